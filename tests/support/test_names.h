#pragma once
// Names for the cases of parameterised suites. GoogleTest accepts only letters, digits and
// underscores in a name, so the text of a case is spelt out: letters, digits and underscores
// stay, full-width letters and digits become "wide_" and their ASCII form, a few signs become
// words ("blank", "minus", "point", "plus"), any other character its code point ("u914D") and a
// byte that is no UTF-8 its value ("x82").
// Parts are joined by underscores; the empty text is "empty". GoogleTest refuses a suite whose
// names repeat, so a clash shows at once.
#include <string>
#include <string_view>

namespace harlowe::test {

std::string caseName(std::string_view utf8);

}  // namespace harlowe::test

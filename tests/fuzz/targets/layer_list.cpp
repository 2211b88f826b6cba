// Lay.dat as the layer form reads it: the items parsed from the file, the form loaded with them,
// one item chosen and confirmed. The narrowing of layer names (which the form's checks compare)
// is checked on every item: it keeps UTF-8 valid, is idempotent and changes no character count
// by more than the voicing marks it adds.
#include "dialogs/layer_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/form4.h"
#include "dialogs/narrow_text.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_form_host.h"

namespace {

using namespace harlowe;

bool reserved(const std::string& name) {
  const std::string n = dialogs::upperAscii(dialogs::narrowText(name));
  return n.find("TARGET") != std::string::npos || n == "PIPE" || n == "CENTERLINE" || n == "SAGYOU";
}

// A name the CAD takes as it is: it reaches the CAD unchanged through the code page, holds no
// control character and none of the signs a layer name cannot hold, and has at most 255
// characters.
bool cadTakes(const std::string& name, const platform::CodePage& cp) {
  if (cp.fromAnsi(cp.toAnsi(name)) != name) return false;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if ((c & 0xC0) != 0x80) ++characters;
    if (c < 0x20 || c == 0x7F ||
        std::string_view("<>/\\\":;?*|,=`").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
    if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9F)
      return false;  // U+0080 to U+009F
  }
  return characters <= 255;
}

}  // namespace

HARLOWE_FUZZ_TARGET(layer_list, 4 * 1024, "laydat") {
  fuzz::FuzzInput in(data, size);
  const std::uint8_t choice = in.byte();
  const std::string_view file = in.rest();
  test::Cp932CodePage cp;

  const auto folder = fuzz::freshScratch("layer_list");
  fuzz::writeBytes(folder / "Lay.dat", file);
  const std::vector<std::string> items =
      dialogs::readLayerFile(fuzz::programPath(folder / "Lay.dat"), cp);
  FUZZ_CHECK(items == dialogs::parseLayerItems(cp.fromAnsi(file)),
             "the file gives the items of its decoded text");
  FUZZ_CHECK(items.size() <= file.size() + 1, "no more items than separators");

  for (const std::string& item : items) {
    const std::string narrow = dialogs::narrowText(item);
    if (fuzz::isUtf8(item)) FUZZ_CHECK(fuzz::isUtf8(narrow), "narrowing keeps UTF-8 valid");
    FUZZ_CHECK(dialogs::narrowText(narrow) == narrow, "a narrowed name stays as it is");
    FUZZ_CHECK(narrow.size() <= 2 * item.size(), "narrowing at most adds a voicing mark");
    const std::string upper = dialogs::upperAscii(narrow);
    FUZZ_CHECK(
        upper.size() == narrow.size() &&
            std::none_of(upper.begin(), upper.end(), [](char c) { return c >= 'a' && c <= 'z'; }),
        "upper-casing leaves no small ASCII letter");
  }

  RunSettings s;
  s.AppDir = fuzz::programPath(folder) + "\\";
  dialogs::Form4 form(s, cp);
  test::FakeFormHost host(dialogs::form4Def(), form);
  host.load();
  host.show();
  FUZZ_CHECK(host.items("List1") == items, "the list shows the items in file order");
  if (items.empty()) return;
  const std::string& chosen = items[choice % items.size()];
  host.select("List1", static_cast<int>(choice % items.size()));
  host.click("Command1");
  const bool accepted = !chosen.empty() && !reserved(chosen) && cadTakes(chosen, cp);
  FUZZ_CHECK(host.unloaded() == accepted,
             "OK takes every name but empty and reserved ones and those the CAD cannot take");
  if (accepted) FUZZ_CHECK(s.TargetLayer == chosen, "the chosen item becomes the layer");
}

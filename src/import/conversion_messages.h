#pragma once
// The texts through which a user learns how a conversion ended. They live in one place so that
// every converter speaks alike.
#include <optional>
#include <string>
#include <string_view>

#include "import/conversion_result.h"
#include "platform/codepage.h"
#include "platform/ui.h"

namespace harlowe {

struct UserMessage {
  std::string text;
  platform::MessageIcon icon;
};

// Nothing for a normal end; a warning when the points stopped at a line (the run goes on to
// the CAD); an error when nothing can be drawn (the run ends without sending anything).
// inputPath is the file the user chose.
std::optional<UserMessage> ConversionMessage(const ConversionResult& result,
                                             std::string_view inputPath,
                                             const platform::CodePage& codePage);

// The start of a line as a person can read it in a message: decoded from the code page, control
// characters shown as "?", cut to about 60 characters with "…" when it goes on.
std::string ShownLineStart(std::string_view bytes, const platform::CodePage& codePage);

}  // namespace harlowe

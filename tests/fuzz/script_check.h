#pragma once
// Checks of the generated AutoLISP files, made on their text as the CAD reads it (decoded from
// the ANSI code page first, so a Shift-JIS trail byte is no backslash). Each failed check aborts
// through FUZZ_CHECK.
#include <cstdint>
#include <string>
#include <string_view>

namespace harlowe::fuzz {

struct ScriptFacts {
  std::int64_t records = 0;        // POINT records in the script
  std::int64_t calledRecords = 0;  // records of the functions that a group flush calls
};

// ENT_GO.lsp: every line has one of the shapes the writer writes, the layer lines and the path
// line hold string literals that decode to `layer` and `pathText`, and the whole file is
// balanced.
ScriptFacts checkPointScript(std::string_view text, std::string_view layer,
                             std::string_view pathText);

// A file that the CAD loads on its own (ENT_start.lsp, a piece, the loader): string literals
// close on their line and the parentheses balance, never going below zero.
void checkBalanced(std::string_view text);

// ent_gogo.lsp: loads ent_start and the pieces 1 to `pieces` in order, with the pause after
// every 100th, then leaves its mark and ends with (gc).
void checkLoader(std::string_view text, std::int64_t pieces);

}  // namespace harlowe::fuzz

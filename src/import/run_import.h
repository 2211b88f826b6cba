#pragma once
// The start procedure of Harlowe: one process converts exactly one input file.
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

inline constexpr const char* kDelayFileMissing =
    "delay.datファイルがありません。ディレイする値１～２０をセットして　delay."
    "datというファイルを作成"
    "してください。";
inline constexpr std::int16_t kDefaultDelayUnit = 5;
inline constexpr const char* kLoadCommand = "(load \"ENT_GOGO\")\r\n";

struct RunSteps {
  OptionForms& forms;
  Converters& converters;
  CadLink& cadLink;
};

// Runs a whole import and ends the program through platform::System::endProgram; it never
// returns normally. Exit code 0 for a normal end (also after a cancel, and after a warning that
// not all points are drawn), 1 when the conversion has nothing to draw and nothing was sent.
[[noreturn]] void RunImport(RunSettings& s, Platform& p, RunSteps& steps);

// The pieces of the start, exposed for tests.
std::int16_t ReadDelayUnit(const std::string& folder, Platform& p);
void DeletePreviousScripts(const RunSettings& s, Platform& p);
ConverterId ChooseConverter(const RunSettings& s);

}  // namespace harlowe

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

// The file of the program folder that a run holds open from its start to its end, so that a
// second run in the same folder cannot delete or overwrite the scripts of the first.
inline constexpr const char* kRunLockFile = "harlowe.lock";
inline constexpr const char* kRunInProgress =
    "別の変換を実行中です。実行中の変換が終わってから、もう一度実行してください。";
inline constexpr const char* kPreviousLoadUnfinished =
    "前回の変換データを、CADがまだ最後まで読み込んでいません。\n"
    "（CADが読み込み中か、読み込みを途中で中止したか、まだ読み込んでいません。）\n\n"
    "続けると、前回の変換データを削除します。CADが読み込み中のときは「いいえ」を押し、"
    "読み込みが終わってから、もう一度実行してください。\n\n続けますか？";

struct RunSteps {
  OptionForms& forms;
  Converters& converters;
  CadLink& cadLink;
};

// Runs a whole import and ends the program through platform::System::endProgram; it never
// returns normally. Exit code 0 for a normal end (also after a cancel, and after a warning that
// not all points are drawn), 1 when the conversion has nothing to draw and nothing was sent, or
// when another run holds the program folder.
[[noreturn]] void RunImport(RunSettings& s, Platform& p, RunSteps& steps);

// The pieces of the start, exposed for tests.
std::int16_t ReadDelayUnit(const std::string& folder, Platform& p);
void DeletePreviousScripts(const RunSettings& s, Platform& p);
// The previous run's loader is there, but not the mark it leaves when the CAD has loaded its last
// piece: the CAD may still be loading the pieces (or was stopped, or never got the command).
bool PreviousLoadUnfinished(const std::string& appDir);
// Removes the script files of a run that sends nothing, so that a load by hand cannot load a
// part of it.
void RemoveRunScripts(const std::string& appDir);
ConverterId ChooseConverter(const RunSettings& s);

}  // namespace harlowe

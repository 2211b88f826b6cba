#pragma once
// The open dialog in which the user picks the one point-cloud file of a run.
#include "import/run_settings.h"
#include "import/services.h"

namespace harlowe {

inline constexpr const char* kOpenDialogTitle = "点群、メッシュのファイルを選択して下さい。";
inline constexpr const char* kOpenDialogFilter =
    "CloudCompare Text FILE(*.txt)|*.txt|PLYファイル（エッジ抽出/メッシュ）(*.ply)|*.ply| PTX "
    "FILE(*.ptx)|*.ptx|";
inline constexpr unsigned kOfnReadOnly = 1;
inline constexpr const char* kNotCloudCompareText =
    "Reconstructor TXTファイルではありません。CloudCompare TXTファイルを選択して下さい。";
inline constexpr const char* kInputFileMissing =
    "ファイルが見つかりません。ファイル名を確認して、もう一度選択して下さい。";

// Shows the open dialog. Returns with InputPath set, or with InputPath empty after a rejected
// choice. A cancelled dialog writes qmr_status.dat and quit_status.dat into the program folder
// and ends the program (platform::System::endProgram).
void ChooseInputFile(RunSettings& s, Platform& p);

}  // namespace harlowe

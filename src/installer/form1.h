#pragma once
// Form1, the installer's only window: a picture, one sentence, "インストール" and "キャンセル".
// Install asks for the folder, copies the files, reports the end and opens the installation
// guide in the chosen folder; both buttons end the program.
#include <string_view>

#include "dialogs/form_host_interface.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace harlowe::installer {

inline constexpr std::string_view kInstallerTitle = "Tamsett";
inline constexpr std::string_view kPictureInstaller = "installer";
// One ideographic space after "インストール終了".
inline constexpr std::string_view kInstallDone =
    "インストール終了　iJ-CADの設定は表示されたPDFを参照してください。";

// Exit codes: 0 installed or cancelled, 1 stopped at a file that could not be copied.
inline constexpr int kExitStopped = 1;

const dialogs::FormDef& form1Def();

struct InstallerServices {
  platform::Shell& shell;
  platform::Ui& ui;
  platform::System& system;
};

class Form1 : public dialogs::FormBehaviour {
 public:
  explicit Form1(InstallerServices services) : s_(services) {}
  void dispatch(std::string_view control, dialogs::FormEvent event) override;
  void Command1_Click();
  void Command2_Click();

  // The form's window, which owns the folder browser; the host sets it once the form is loaded.
  platform::WindowHandle hWnd = 0;

 private:
  InstallerServices s_;
};

}  // namespace harlowe::installer

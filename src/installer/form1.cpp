#include "installer/form1.h"

#include <string>

#include "common/text_util.h"
#include "installer/copy_files.h"
#include "installer/install_files.h"
#include "installer/module1.h"

namespace harlowe::installer {

namespace {

using dialogs::ControlDef;
using dialogs::ControlKind;
using dialogs::FormEvent;

constexpr dialogs::FontSpec kLabelFont{dialogs::kFormFace, 10.5};

constexpr ControlDef kControls[] = {
    {.kind = ControlKind::PictureBox,
     .name = "Picture1",
     .left = 240,
     .top = 240,
     .width = 1440,
     .height = 1440,
     .picture = kPictureInstaller,
     .pictureWidth = 96,
     .pictureHeight = 96},
    {.kind = ControlKind::Label,
     .name = "Label1",
     .left = 1920,
     .top = 480,
     .width = 4440,
     .height = 960,
     .text = "点群をCADに取り込むソフトウェア Harlowe をインストールする準備ができました。",
     .font = kLabelFont},
    {.kind = ControlKind::CommandButton,
     .name = "Command1",
     .left = 2760,
     .top = 1980,
     .width = 1695,
     .height = 495,
     .text = "インストール"},
    {.kind = ControlKind::CommandButton,
     .name = "Command2",
     .left = 4665,
     .top = 1980,
     .width = 1695,
     .height = 495,
     .text = "キャンセル"},
};

constexpr std::string_view kTabs[] = {"Command1", "Command2"};

constexpr dialogs::FormDef kForm{
    .name = "Form1",
    .caption = kInstallerTitle,
    .clientWidth = 6600,
    .clientHeight = 2715,
    .border = dialogs::BorderStyle::FixedDialog,
    .showInTaskbar = true,
    // Centred across, its middle at a third of the screen height, above other windows.
    .placement = dialogs::Placement::TopThird,
    .topmost = true,
    .controls = kControls,
    .tabOrder = kTabs,
    .defaultButton = "Command1",
    .cancelButton = "Command2",
};

constexpr dialogs::Handler<Form1> kHandlers[] = {
    {"Command1", FormEvent::Click, &Form1::Command1_Click},
    {"Command2", FormEvent::Click, &Form1::Command2_Click},
};

// Whether asking the shell to open the guide can show it: a program opens PDF documents, and the
// path is one the shell hands on (shorter than MAX_PATH). The shell itself reports success
// either way.
bool guideCanBeOpened(platform::Shell& shell, const std::string& guide) {
  return text::utf16Length(guide) < platform::kMaxPath && shell.hasAssociatedProgram(guide);
}

}  // namespace

const dialogs::FormDef& form1Def() { return kForm; }

void Form1::dispatch(std::string_view control, FormEvent event) {
  dialogs::dispatchTo(*this, kHandlers, control, event);
}

void Form1::Command1_Click() {
  const std::string folder = BrowseInstallFolder(s_.shell, hWnd);
  if (folder.empty()) platform::endProgram(s_.system, 0);

  const std::string source = s_.system.programFolder();
  const CopyOutcome copied = copyInstallFiles(s_.shell, s_.ui, source, folder);
  const std::string title(kInstallerTitle);
  if (copied.failure != CopyFailure::None) {
    host().messageBox(copyFailureMessage(copied, source, folder), title,
                      platform::MessageIcon::Error);
    platform::endProgram(s_.system, kExitStopped);
  }

  host().messageBox(std::string(kInstallDone), title, platform::MessageIcon::None);
  const std::string guide = folder + std::string(kInstallGuide);
  if (!guideCanBeOpened(s_.shell, guide) || !s_.shell.shellExecute(guide)) {
    // The installation is complete; only the guide could not be shown. Its path as the user
    // would type it: a drive root's "\" not doubled.
    const std::string shown =
        folder.ends_with('\\') ? folder + std::string(kInstallGuide.substr(1)) : guide;
    host().messageBox(
        "インストールガイドを開けませんでした。次のファイルを開いてください。\n" + shown, title,
        platform::MessageIcon::None);
  }
  platform::endProgram(s_.system, 0);
}

void Form1::Command2_Click() { platform::endProgram(s_.system, 0); }

}  // namespace harlowe::installer

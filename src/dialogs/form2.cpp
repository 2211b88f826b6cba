#include "dialogs/form2.h"

namespace harlowe::dialogs {

namespace {

constexpr ControlDef kControls[] = {
    {.kind = ControlKind::Label,
     .name = "Label1",
     .left = 120,
     .top = 240,
     .width = 1005,
     .height = 180,
     .text = kForm2Stage,
     .autoSize = true},
    {.kind = ControlKind::PictureBox,
     .name = "Picture1",
     .left = 240,
     .top = 600,
     .width = 4215,
     .height = 200},
    {.kind = ControlKind::Label,
     .name = "Label2",
     .left = 3600,
     .top = 1005,
     .width = 855,
     .height = 180,
     .autoSize = true},
};

constexpr FormDef kForm{
    .name = "Form2",
    .caption = "データ処理",
    .clientWidth = 4755,
    .clientHeight = 1410,
    .border = BorderStyle::FixedDialog,
    // It offers no way to stop the work, so it offers no close box either.
    .closeButton = false,
    .showInTaskbar = false,
    .placement = Placement::TopThird,
    .topmost = true,
    .controls = kControls,
};

}  // namespace

const FormDef& form2Def() { return kForm; }

void Form2::Form_Load() { host().setText("Label2", ""); }

}  // namespace harlowe::dialogs

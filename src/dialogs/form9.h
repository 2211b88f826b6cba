#pragma once
// The export guidance windows: Form9 tells how to export a CloudCompare text file, Form9_ori how
// to export a PLY file. Neither stores anything; Form9_ori's Cancel ends the program at once.
#include "dialogs/form_host_interface.h"
#include "platform/system.h"

namespace harlowe::dialogs {

const FormDef& form9Def();
const FormDef& form9OriDef();

// Picture identifiers that the hosts know how to draw.
inline constexpr std::string_view kPictureSaveTxtFields = "save-txt-fields";
inline constexpr std::string_view kPictureAsciiSaveDialog = "ascii-save-dialog";
inline constexpr std::string_view kPicturePlySave = "ply-save";

class Form9 : public FormBehaviour {
 public:
  void dispatch(std::string_view control, FormEvent event) override;
  void Command1_Click();
};

class Form9Ori : public FormBehaviour {
 public:
  explicit Form9Ori(platform::System& system) : system_(system) {}
  void dispatch(std::string_view control, FormEvent event) override;
  void Command1_Click();
  // Ends the program: no further form, no file written, nothing sent to the CAD.
  void Command2_Click();

 private:
  platform::System& system_;
};

}  // namespace harlowe::dialogs

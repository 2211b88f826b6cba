#pragma once
// What the start procedure needs from the operating system and from the later steps of a run.
// The exe wires real implementations; the unit tests wire fakes.
#include "import/conversion_result.h"
#include "platform/codepage.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace harlowe {

struct RunSettings;

struct Platform {
  platform::Ui& ui;
  platform::System& system;
  platform::FileDialog& fileDialog;
  platform::ProgressWindow& progress;
  const platform::CodePage& codePage;
};

// The modal option forms, shown one at a time; each leaves its choices in the run settings.
class OptionForms {
 public:
  virtual ~OptionForms() = default;
  virtual void showForm9(RunSettings& s) = 0;  // text export guidance
  virtual void showForm9Ori(
      RunSettings& s) = 0;  // PLY export guidance; its Cancel ends the program
  // Thinning and unit; for PTX the equal-interval frame is hidden after load, before showing.
  virtual void showForm3(RunSettings& s, bool hideFrame2) = 0;
  virtual void showForm4(RunSettings& s) = 0;  // layer and zoom
};

enum class ConverterId {
  PtxSubSample,
  PlyVertices,
  TxtSubSample,
  TxtQuickInterval,
  TxtFullInterval
};

class Converters {
 public:
  virtual ~Converters() = default;
  // Runs one converter to its end (script set written and split) and says how it ended; it shows
  // no message of its own.
  virtual ConversionResult run(ConverterId id, RunSettings& s) = 0;
};

class CadLink {
 public:
  virtual ~CadLink() = default;
  virtual void sendCommandToCad(RunSettings& s) = 0;
};

}  // namespace harlowe

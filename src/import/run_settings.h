#pragma once
// The values through which the start procedure, the forms, the converters and the CAD link pass
// the choices of one run. One instance lives for the whole process.
#include <cstdint>
#include <string>

namespace harlowe {

struct RunSettings {
  std::string AppDir;          // program folder, ending in "\"
  std::string InputPath;       // full path of the input (later a work file)
  std::string InputFileLabel;  // input path shown in the layer form
  std::int16_t InputKind = 0;  // 5 CloudCompare text, 3 PLY, 1 PTX
  std::string TargetLayer;     // chosen layer, or "Cancel"
  std::string DialogCancel;    // "Cancel" when the thinning form was cancelled
  std::int16_t SubSampleStep = 0;
  float ThinningInterval = 0.0f;  // millimetres; 0 selects the every-n-th converter
  std::int16_t QuickInterval = 0;
  std::string DrawUnit;  // "m", "mm", or what the script end wrote ("1" / "1000")
  std::int32_t ZoomExtentsAtEnd = 0;
  std::int16_t DelayUnit = 0;
  std::string CadCommand;
};

inline constexpr const char* kCancelMarker = "Cancel";

enum class InputKindValue : std::int16_t { Ptx = 1, Ply = 3, CloudCompareText = 5 };

}  // namespace harlowe

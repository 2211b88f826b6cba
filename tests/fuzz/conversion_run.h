#pragma once
// A whole conversion as users run it, for the conversion targets: the options and the input
// come from the fuzz input, the converter runs with fake platform objects in a scratch folder
// (a program folder and an input folder whose names hold blanks and Japanese characters), and
// what must hold afterwards is checked:
//  - every script file is well formed (only the expected line shapes, balanced parentheses in
//    every file the CAD loads, string literals that decode to the layer name and the path);
//  - no work file is left beside the input (only the input and the log);
//  - the stand-in CAD loads the scripts without an error, and the log names no more points
//    than it draws.
//
// Layout of the fuzz input (shared by every conversion target, so one seed set serves them):
//   byte  step:  SubSampleStep, mostly 1 to 4, sometimes up to 1024
//   byte  interval: ThinningInterval in millimetres (0 to 255; 0 selects every-n-th)
//   byte  flags: bits 0-1 unit ("m", "mm", "m", ""), bit 2 zoom at the end, bit 3 quick
//   text  the layer name (length byte, at most 64 bytes, any bytes)
//   text  the input file's name (length byte, at most 32 bytes; "/", "\" and NUL become "_")
//   rest  the content of the input file
#include <cstdint>
#include <functional>
#include <string>

#include "import/conversion_result.h"
#include "import/run_settings.h"
#include "import/services.h"
#include "tests/fuzz/fuzz_support.h"

namespace harlowe::fuzz {

struct ConversionInput {
  RunSettings settings;  // InputPath, AppDir set by runConversion
  std::string fileName;  // the input's name in its folder
  std::string content;
};

// Takes the options and the content as the layout above says. `extension` ends the file name.
ConversionInput takeConversionInput(FuzzInput& in, const char* extension);

// Runs `convert` on the input in a fresh scratch folder and makes every check, of the result
// too: a converter shows no message, and the points it says are drawn are what the CAD draws.
void runConversion(const char* scratchName, ConversionInput& input,
                   const std::function<ConversionResult(RunSettings&, Platform&)>& convert);

// The whole body of a conversion target: the input taken apart (with `extension` ending the file
// name), the converter run and every check made. An
// equal-interval converter gets an interval of at least 1 mm, as its form makes sure.
void fuzzConversion(const std::uint8_t* data, std::size_t size, const char* scratchName,
                    const char* extension, ConversionResult (*convert)(RunSettings&, Platform&),
                    bool equalInterval = false);

}  // namespace harlowe::fuzz

#pragma once
// The drawing as files that tests read: entities.tsv, layers.tsv, variables.tsv, the logs of the
// evaluated lines and of the history, and state.txt, which is written last so that a poller that
// sees a new line count finds the other files already complete. Every file is replaced whole.
#include <cstdint>
#include <filesystem>
#include <string>

#include "standin/cad/lisp/drawing.h"

namespace standin::lisp {

struct DumpState {
  std::int64_t linesEvaluated = 0;
  bool idle = true;
  std::int64_t errors = 0;  // lines whose evaluation ended in an error
};

// Header "type\tlayer\tx\ty\tz\tcolour", then one row per entity in creation order; reals in
// their shortest form that reads back exactly; the colour empty when the entity has none.
std::string entitiesTsv(const Drawing& d);
// Header "name\tflags\tcurrent"; current is "1" for the current layer, else "0".
std::string layersTsv(const Drawing& d);
// Header "name\tvalue"; points as "x,y,z".
std::string variablesTsv(const Drawing& d);
std::string stateText(const Drawing& d, const DumpState& s);

// Shortest decimal text of a double that reads back to the same value.
std::string exactReal(double v);

class DumpWriter {
 public:
  explicit DumpWriter(std::filesystem::path folder);
  bool enabled() const { return !folder_.empty(); }
  // The whole drawing, the logs and then the state. False when a file could not be written.
  bool writeAll(const Drawing& d, const DumpState& s, const std::string& evaluatedLog,
                const std::string& history);
  bool writeState(const Drawing& d, const DumpState& s);
  bool writeHistory(const std::string& history);

 private:
  std::filesystem::path folder_;
};

}  // namespace standin::lisp

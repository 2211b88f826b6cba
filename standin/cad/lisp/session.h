#pragma once
// The command line of the stand-in as a person (or a paste) drives it: characters arrive, ESC
// clears the input, CR LF (or CR, or LF) ends a line, and each line is evaluated: an expression
// in parentheses as AutoLISP (one that is still open waits for the next line, as the CAD's
// "(_>" prompt does), anything else as a command with its inputs separated by blanks. After every
// line the drawing is dumped. Lines that arrive while one is evaluated wait their turn.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "standin/cad/lisp/drawing.h"
#include "standin/cad/lisp/dump.h"
#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

struct SessionOptions {
  std::vector<std::filesystem::path> supportFolders;
  std::filesystem::path dumpFolder;  // empty: no dump
  bool continueAtPause = true;       // the answer to getpoint pauses
  // A CAD with secure loading: its trusted locations (TRUSTEDPATHS); nullopt for none.
  std::optional<std::string> trustedPaths;
};

// The window side of a session.
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  virtual std::string decodeAnsi(std::string_view bytes) = 0;
  virtual void historyAdded(std::string_view) {}  // text appended to the history
  virtual void poll() {}                          // a turn of the event pump while busy
  // getfiled's dialog and startapp (see Console).
  virtual std::optional<std::string> chooseFile(std::string_view, std::string_view,
                                                std::string_view) {
    return std::nullopt;
  }
  virtual bool startProgram(std::string_view) { return false; }
};

class Session : private Console {
 public:
  Session(Drawing& drawing, SessionHost& host, SessionOptions options);

  // Typed or pasted text (UTF-8). Complete lines are queued; call runPending to evaluate them.
  void type(std::string_view utf8);
  void escape();  // clears the input, as the ESC key does
  // Evaluates the queued lines in order. Does nothing when called during an evaluation.
  void runPending();
  // Asks the running evaluation to stop at its next poll, as ESC does in the CAD.
  void cancel() { cancelRequested_ = true; }

  bool busy() const { return busy_; }
  bool idle() const { return !busy_ && queue_.empty(); }
  const std::string& input() const { return input_; }
  std::string prompt() const { return expression_.empty() ? "Command: " : "(_> "; }
  const std::string& history() const { return history_; }
  const std::string& evaluatedLog() const { return evaluatedLog_; }
  const DumpState& state() const { return state_; }
  Interpreter& interpreter() { return interp_; }
  Drawing& drawing() { return drawing_; }
  void writeDump();

 private:
  // Console
  void print(std::string_view utf8) override;
  std::string decodeAnsi(std::string_view bytes) override { return host_.decodeAnsi(bytes); }
  bool continueAtPause() override { return options_.continueAtPause; }
  void poll() override;
  std::optional<std::string> chooseFile(std::string_view title, std::string_view defaultFile,
                                        std::string_view extension) override {
    return host_.chooseFile(title, defaultFile, extension);
  }
  bool startProgram(std::string_view commandLine) override {
    return host_.startProgram(commandLine);
  }

  void enterLine(const std::string& line);
  void evaluate(const std::string& text);
  void evaluateCommandLine(std::string_view text);
  void newLine();  // starts a new history line unless the history is at one

  Drawing& drawing_;
  SessionHost& host_;
  SessionOptions options_;
  Interpreter interp_;
  DumpWriter dump_;
  std::string input_;       // the line being typed
  std::string expression_;  // lines of an expression that is still open
  std::deque<std::string> queue_;
  std::string history_;
  std::string evaluatedLog_;
  DumpState state_;
  bool busy_ = false;
  bool cancelRequested_ = false;
  bool lastWasCr_ = false;
};

}  // namespace standin::lisp

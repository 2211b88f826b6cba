#pragma once
// The AutoLISP subset that the generated point scripts and the pasted command lines use, over a
// Drawing. Symbols are case-insensitive and dynamically bound; an error throws LispError, which
// the top level reports in the history as the CAD does ("; error: ...") after undoing the
// bindings of the calls it leaves. The drawing keeps whatever was made before the error.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "standin/cad/lisp/drawing.h"
#include "standin/cad/lisp/value.h"

namespace standin::lisp {

class LispError : public std::runtime_error {
 public:
  explicit LispError(const std::string& message) : std::runtime_error(message) {}
};

// What the evaluator needs from the program around it.
class Console {
 public:
  virtual ~Console() = default;
  // Text for the history pane (UTF-8; "\n" breaks lines).
  virtual void print(std::string_view utf8) = 0;
  // File bytes in the ANSI code page to UTF-8.
  virtual std::string decodeAnsi(std::string_view bytes) = 0;
  // The answer to a getpoint pause: true to go on, false to cancel as ESC does.
  virtual bool continueAtPause() = 0;
  // Called now and then during long evaluations (keeps a window responsive); may throw
  // LispError to cancel the evaluation.
  virtual void poll() {}
  // getfiled: the file the user chose in a file dialog, or nullopt when the dialog was cancelled.
  // defaultFile may be empty, a name or a full path; extension has no dot ("exe").
  virtual std::optional<std::string> chooseFile(std::string_view /*title*/,
                                                std::string_view /*defaultFile*/,
                                                std::string_view /*extension*/) {
    return std::nullopt;
  }
  // startapp: starts a program with this command line; false when it could not be started.
  virtual bool startProgram(std::string_view /*commandLine*/) { return false; }
  // Secure loading: a file from a folder outside the trusted locations is about to be loaded;
  // true to load it.
  virtual bool confirmUntrustedLoad(const std::filesystem::path& /*file*/) { return true; }
};

class Interpreter {
 public:
  Interpreter(Drawing& drawing, Console& console);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  Drawing& drawing() { return drawing_; }
  Console& console() { return console_; }
  std::vector<std::filesystem::path>& supportFolders() { return support_; }
  // Environment settings of getenv and setenv, read back as they were written. "ACAD" is the
  // support file search path, searched in its order; until it is set it reads as the support
  // folders the CAD started with, joined by ";".
  std::optional<std::string> getEnv(std::string_view name) const;
  void setEnv(std::string_view name, const std::string& value);

  // Evaluates every form of a UTF-8 text in turn; returns the value of the last one. Throws
  // LispError for an evaluation error and for text that is not well formed (the forms before
  // the fault have been evaluated).
  Value evalText(std::string_view utf8);
  Value eval(const Value& form);
  Value apply(const Value& fn, Args args);
  Value load(std::string_view name);  // throws when the file cannot be found or read

  // Symbols.
  SymObj* intern(std::string_view name);
  Value symbolValue(std::string_view name);  // the symbol itself, or nil for "nil"
  const Value& quoteSymbol() const { return quote_; }
  const Value& trueValue() const { return t_; }
  const Value& quietValue() const { return quiet_; }  // what (princ) returns: prints as nothing

  void defineSubr(std::string_view name, SubrFn fn);
  void defineSpecial(std::string_view name, SpecialFn fn);

  // Finds a support file by name: `defaultExtension` (".lsp" for load) is added when the name
  // has no extension, and names are compared without regard to case. A name with a folder is
  // looked up there alone. Empty when none is found.
  std::filesystem::path findSupportFile(std::string_view name,
                                        std::string_view defaultExtension = ".lsp") const;
  // Whether a file lies in one of the trusted locations (TRUSTEDPATHS; an entry ending in
  // "\..." takes in its subfolders too).
  bool isTrusted(const std::filesystem::path& file) const;

  int loadDepth() const { return loadDepth_; }

 private:
  Value call(const Value& form);
  Value callFunc(FuncObj* f, Args args);
  void tick();

  Drawing& drawing_;
  Console& console_;
  std::vector<std::filesystem::path> support_;
  std::unordered_map<std::string, std::string> env_;  // by upper-case name
  std::unordered_map<std::string, SymObj*> symbols_;
  std::vector<Value> keep_;  // owns the symbols
  Value quote_, t_, quiet_, lambda_;
  std::uint32_t ticks_ = 0;
  int depth_ = 0;
  int loadDepth_ = 0;
};

// Typed argument helpers for the built-in functions; each throws the CAD's "bad argument type".
[[noreturn]] void badArgument(std::string_view predicate, const Value& v);
void checkArgCount(Args args, std::size_t min, std::size_t max);
double numberArg(const Value& v);
std::int32_t intArg(const Value& v);
const std::string& stringArg(const Value& v);
// A point: a list of two or three numbers (z is 0 for two).
Point3 pointArg(const Value& v);
std::optional<Point3> toPoint(const Value& v);
Value pointValue(const Point3& p);

void installCoreFunctions(Interpreter& in);
void installControlFunctions(Interpreter& in);
void installTextFunctions(Interpreter& in);
void installDrawingFunctions(Interpreter& in);
void installSystemFunctions(Interpreter& in);
void installFileFunctions(Interpreter& in);

// A list of folders separated by ";", blanks around each trimmed, empty entries left out.
std::vector<std::string> splitPathList(std::string_view list);

}  // namespace standin::lisp

// What the CAD offers beyond the drawing: finding files on the support path, the file dialog,
// environment settings (the support path among them) and starting another program.
#include "standin/cad/lisp/file_text.h"
#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

namespace {

// (findfile name): the full path of the file on the support path (or at the folder it names),
// or nil. No extension is added.
Value fFindfile(Interpreter& in, Args a) {
  checkArgCount(a, 1, 1);
  std::filesystem::path found = in.findSupportFile(stringArg(a[0]), "");
  if (found.empty()) return Value();
  return Value::string(pathUtf8(found.make_preferred()));
}

// (getfiled title default extension flags): the file chosen in the dialog, or nil.
Value fGetfiled(Interpreter& in, Args a) {
  checkArgCount(a, 4, 4);
  intArg(a[3]);
  auto chosen = in.console().chooseFile(stringArg(a[0]), stringArg(a[1]), stringArg(a[2]));
  if (!chosen) return Value();
  return Value::string(*chosen);
}

Value fGetenv(Interpreter& in, Args a) {
  checkArgCount(a, 1, 1);
  auto value = in.getEnv(stringArg(a[0]));
  return value ? Value::string(*value) : Value();
}

Value fSetenv(Interpreter& in, Args a) {
  checkArgCount(a, 2, 2);
  in.setEnv(stringArg(a[0]), stringArg(a[1]));
  return a[1];
}

// (startapp appcmd [file]): starts "appcmd file"; a number above 0, or nil when it failed.
Value fStartapp(Interpreter& in, Args a) {
  checkArgCount(a, 1, 2);
  std::string commandLine = stringArg(a[0]);
  if (a.size() == 2) commandLine += " " + stringArg(a[1]);
  if (!in.console().startProgram(commandLine)) return Value();
  return Value::integer(33);
}

}  // namespace

void installSystemFunctions(Interpreter& in) {
  in.defineSubr("findfile", fFindfile);
  in.defineSubr("getfiled", fGetfiled);
  in.defineSubr("getenv", fGetenv);
  in.defineSubr("setenv", fSetenv);
  in.defineSubr("startapp", fStartapp);
}

}  // namespace standin::lisp

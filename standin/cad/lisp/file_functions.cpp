// Files that a script opens itself: open and close, as the CAD offers them. A path without a
// folder is taken from the current folder.
#include "standin/cad/lisp/file_text.h"
#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

namespace {

// (open filename mode): a file descriptor, or nil when the file cannot be opened. The mode is
// "r" (read), "w" (write, the file emptied or created) or "a" (append), in either case.
Value fOpen(Interpreter&, Args a) {
  checkArgCount(a, 2, 2);
  const std::string& name = stringArg(a[0]);
  const std::string& mode = stringArg(a[1]);
  std::ios::openmode how;
  if (mode == "r" || mode == "R") {
    how = std::ios::in;
  } else if (mode == "w" || mode == "W") {
    how = std::ios::out | std::ios::trunc;
  } else if (mode == "a" || mode == "A") {
    how = std::ios::out | std::ios::app;
  } else {
    throw LispError("bad argument value: " + printValue(a[1], true));
  }
  std::fstream stream(utf8Path(name), how | std::ios::binary);
  if (!stream.is_open()) return Value();
  return Value(new FileObj(name, std::move(stream)));
}

// (close file): closes it; nil.
Value fClose(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  if (a[0].kind() != Kind::File) badArgument("streamp", a[0]);
  static_cast<FileObj*>(a[0].obj())->stream.close();
  return Value();
}

}  // namespace

void installFileFunctions(Interpreter& in) {
  in.defineSubr("open", fOpen);
  in.defineSubr("close", fClose);
}

}  // namespace standin::lisp

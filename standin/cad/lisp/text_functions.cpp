// String functions. Strings are UTF-8 here; lengths and positions count characters, as in a
// CAD whose strings are Unicode.
#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t charCount(const std::string& s) {
  std::size_t n = 0;
  for (char c : s) n += isContinuation(c) ? 0 : 1;
  return n;
}

// Byte offset of the character with the 0-based index (the size when beyond the end).
std::size_t offsetOf(const std::string& s, std::size_t index) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index && pos < s.size(); ++i) {
    ++pos;
    while (pos < s.size() && isContinuation(s[pos])) ++pos;
  }
  return pos;
}

Value fStrcat(Interpreter&, Args a) {
  std::string out;
  for (const Value& v : a) out += stringArg(v);
  return Value::string(std::move(out));
}

Value fStrlen(Interpreter&, Args a) {
  std::size_t n = 0;
  for (const Value& v : a) n += charCount(stringArg(v));
  return Value::integer(static_cast<std::int32_t>(n));
}

// (substr string start [length]): start counts from 1.
Value fSubstr(Interpreter&, Args a) {
  checkArgCount(a, 2, 3);
  const std::string& s = stringArg(a[0]);
  std::int32_t start = intArg(a[1]);
  if (start < 1) badArgument("positive integer", a[1]);
  std::size_t from = offsetOf(s, static_cast<std::size_t>(start - 1));
  std::size_t to = s.size();
  if (a.size() == 3) {
    std::int32_t length = intArg(a[2]);
    if (length < 0) badArgument("positive integer", a[2]);
    to = from + offsetOf(s.substr(from), static_cast<std::size_t>(length));
  }
  return Value::string(s.substr(from, to - from));
}

// (strcase string [lower]): ASCII letters to upper case, or to lower case when lower is not nil.
Value fStrcase(Interpreter&, Args a) {
  checkArgCount(a, 1, 2);
  std::string s = stringArg(a[0]);
  bool lower = a.size() == 2 && !a[1].isNil();
  for (char& c : s) {
    if (!lower && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (lower && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return Value::string(std::move(s));
}

}  // namespace

void installTextFunctions(Interpreter& in) {
  in.defineSubr("strcat", fStrcat);
  in.defineSubr("strlen", fStrlen);
  in.defineSubr("substr", fSubstr);
  in.defineSubr("strcase", fStrcase);
}

}  // namespace standin::lisp

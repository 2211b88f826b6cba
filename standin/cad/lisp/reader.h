#pragma once
// Reads AutoLISP source text (UTF-8; file bytes are decoded from the ANSI code page before they
// get here, so a Shift-JIS trail byte 0x5C can never be taken for a backslash) one form at a
// time: integers, reals with exponents, strings with escapes, case-insensitive symbols, quote,
// dotted pairs, lists and comments.
#include <string>
#include <string_view>

#include "standin/cad/lisp/value.h"

namespace standin::lisp {

class Interpreter;

enum class ReadStatus {
  Form,        // a form was read
  End,         // nothing but blanks and comments was left
  Incomplete,  // the text ended inside a list or a string
  Malformed,   // a misplaced dot or a stray ")"; `error` tells which
};

class Reader {
 public:
  Reader(Interpreter& in, std::string_view text) : in_(in), text_(text) {}
  ReadStatus next(Value& form);
  const std::string& error() const { return error_; }
  std::size_t position() const { return pos_; }

 private:
  enum class Tok { Open, Close, Quote, Dot, Atom, String, End, Unterminated };
  Tok token();
  ReadStatus readForm(Tok t, Value& out, int depth);
  ReadStatus readList(Value& out, int depth);
  Value atom(std::string_view text);
  void skipBlanks();

  Interpreter& in_;
  std::string_view text_;
  std::size_t pos_ = 0;
  std::string_view atom_;
  std::string str_;
  std::string error_;
};

// The text of a string literal whose opening quote stands before `pos`, its escapes resolved;
// `pos` ends after the closing quote. False when the text ends before the string does.
bool readStringBody(std::string_view text, std::size_t& pos, std::string& out);

// True when `text` parses as an AutoLISP number; `out` receives it.
bool parseNumberToken(std::string_view text, Value& out);

}  // namespace standin::lisp

#include "standin/cad/lisp/reader.h"

#include <charconv>
#include <cstdlib>
#include <limits>
#include <string>

#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

namespace {

constexpr int kMaxDepth = 2000;  // deeper nesting than any script needs; keeps the stack safe

bool isDelimiter(char c) {
  return c == '(' || c == ')' || c == '\'' || c == '"' || c == ';' || c == ' ' || c == '\t' ||
         c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool parseNumberToken(std::string_view t, Value& out) {
  // [sign] digits [. digits] [e [sign] digits], or [sign] . digits [...]; "5." is a real.
  std::size_t i = 0, n = t.size();
  if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t intDigits = 0, fracDigits = 0;
  while (i < n && isDigit(t[i])) ++i, ++intDigits;
  bool isReal = false;
  if (i < n && t[i] == '.') {
    isReal = true;
    ++i;
    while (i < n && isDigit(t[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return false;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    isReal = true;
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < n && isDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  std::string_view digits = t[0] == '+' ? t.substr(1) : t;
  if (!isReal) {
    long long v = 0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (res.ec == std::errc() && v >= std::numeric_limits<std::int32_t>::min() &&
        v <= std::numeric_limits<std::int32_t>::max()) {
      out = Value::integer(static_cast<std::int32_t>(v));
      return true;
    }
    // An integer beyond 32 bits becomes a real, as in the CAD.
  }
  double d = 0;
  auto res = std::from_chars(digits.data(), digits.data() + digits.size(), d);
  if (res.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone here; the CAD's reader gives infinity for a number too
    // large and zero for one too small, as the C library does.
    d = std::strtod(std::string(digits).c_str(), nullptr);
  } else if (res.ec != std::errc()) {
    return false;
  }
  out = Value::real(d);
  return true;
}

bool readStringBody(std::string_view text, std::size_t& pos, std::string& out) {
  out.clear();
  while (pos < text.size()) {
    char ch = text[pos++];
    if (ch == '"') return true;
    if (ch != '\\') {
      out += ch;
      continue;
    }
    if (pos >= text.size()) break;
    char e = text[pos++];
    switch (e) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'e':
        out += '\x1b';
        break;
      default:
        if (e >= '0' && e <= '7') {
          // Octal character code of up to three digits.
          int code = e - '0';
          for (int k = 0; k < 2 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7'; ++k) {
            code = code * 8 + (text[pos++] - '0');
          }
          out += static_cast<char>(code);
        } else {
          out += e;  // \\ and \" stand for themselves, as does any other character
        }
    }
  }
  return false;
}

void Reader::skipBlanks() {
  while (pos_ < text_.size()) {
    char c = text_[pos_];
    if (c == ';') {
      if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '|') {
        // Block comment ;| ... |;
        auto end = text_.find("|;", pos_ + 2);
        pos_ = end == std::string_view::npos ? text_.size() : end + 2;
      } else {
        auto end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end + 1;
      }
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
      ++pos_;
    } else {
      return;
    }
  }
}

Reader::Tok Reader::token() {
  skipBlanks();
  if (pos_ >= text_.size()) return Tok::End;
  char c = text_[pos_];
  switch (c) {
    case '(':
      ++pos_;
      return Tok::Open;
    case ')':
      ++pos_;
      return Tok::Close;
    case '\'':
      ++pos_;
      return Tok::Quote;
    case '"': {
      ++pos_;
      return readStringBody(text_, pos_, str_) ? Tok::String : Tok::Unterminated;
    }
    default: {
      std::size_t start = pos_;
      while (pos_ < text_.size() && !isDelimiter(text_[pos_])) ++pos_;
      atom_ = text_.substr(start, pos_ - start);
      return atom_ == "." ? Tok::Dot : Tok::Atom;
    }
  }
}

Value Reader::atom(std::string_view text) {
  Value number;
  if (parseNumberToken(text, number)) return number;
  return in_.symbolValue(text);
}

ReadStatus Reader::next(Value& form) {
  Tok t = token();
  if (t == Tok::End) return ReadStatus::End;
  return readForm(t, form, 0);
}

ReadStatus Reader::readForm(Tok t, Value& out, int depth) {
  if (depth > kMaxDepth) {
    error_ = "malformed list on input";
    return ReadStatus::Malformed;
  }
  switch (t) {
    case Tok::End:
      return ReadStatus::Incomplete;
    case Tok::Unterminated:
      error_ = "malformed string on input";
      return ReadStatus::Incomplete;
    case Tok::Open:
      return readList(out, depth + 1);
    case Tok::Close:
      error_ = "extra right paren on input";
      return ReadStatus::Malformed;
    case Tok::Dot:
      error_ = "invalid dotted pair";
      return ReadStatus::Malformed;
    case Tok::Quote: {
      Value quoted;
      ReadStatus s = readForm(token(), quoted, depth + 1);
      if (s != ReadStatus::Form) return s == ReadStatus::End ? ReadStatus::Incomplete : s;
      out = Value::cons(in_.quoteSymbol(), Value::cons(std::move(quoted), Value()));
      return ReadStatus::Form;
    }
    case Tok::String:
      out = Value::string(str_);
      return ReadStatus::Form;
    case Tok::Atom:
      out = atom(atom_);
      return ReadStatus::Form;
  }
  return ReadStatus::Malformed;
}

ReadStatus Reader::readList(Value& out, int depth) {
  ListBuilder list;
  bool any = false;
  while (true) {
    Tok t = token();
    if (t == Tok::Close) {
      out = list.take();
      return ReadStatus::Form;
    }
    if (t == Tok::Dot) {
      Value tail;
      ReadStatus s = any ? readForm(token(), tail, depth) : ReadStatus::Malformed;
      if (s == ReadStatus::Form) {
        Tok close = token();
        if (close == Tok::Close) {
          list.setTail(std::move(tail));
          out = list.take();
          return ReadStatus::Form;
        }
        if (close == Tok::End) return ReadStatus::Incomplete;
        s = ReadStatus::Malformed;
      }
      if (s == ReadStatus::Malformed) error_ = "invalid dotted pair";
      return s;
    }
    Value item;
    ReadStatus s = readForm(t, item, depth);
    if (s != ReadStatus::Form) {
      if (s == ReadStatus::Incomplete && error_.empty()) error_ = "malformed list on input";
      return s;
    }
    list.add(std::move(item));
    any = true;
  }
}

}  // namespace standin::lisp

#include "standin/cad/lisp/session.h"

#include "standin/cad/lisp/reader.h"

namespace standin::lisp {

Session::Session(Drawing& drawing, SessionHost& host, SessionOptions options)
    : drawing_(drawing),
      host_(host),
      options_(std::move(options)),
      interp_(drawing, *this),
      dump_(options_.dumpFolder) {
  interp_.supportFolders() = options_.supportFolders;
  drawing_.trustedPaths = options_.trustedPaths;
}

void Session::type(std::string_view utf8) {
  for (char c : utf8) {
    bool cr = c == '\r';
    if (c == '\x1b') {
      escape();
    } else if (cr || (c == '\n' && !lastWasCr_)) {
      queue_.push_back(std::move(input_));
      input_.clear();
    } else if (c == '\b') {
      // Remove the last character, with all bytes of a multi-byte one.
      while (!input_.empty() && (static_cast<unsigned char>(input_.back()) & 0xC0) == 0x80) {
        input_.pop_back();
      }
      if (!input_.empty()) input_.pop_back();
    } else if (c == '\t') {
      input_ += ' ';
    } else if (static_cast<unsigned char>(c) >= 0x20 && c != '\x7f') {
      input_ += c;
    }
    lastWasCr_ = cr;
  }
}

void Session::escape() {
  input_.clear();
  expression_.clear();
  newLine();
  print("*Cancel*\n");
  if (!busy_) dump_.writeHistory(history_);  // no line follows to bring the history file up to date
}

void Session::runPending() {
  if (busy_) return;
  while (!queue_.empty()) {
    std::string line = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    cancelRequested_ = false;
    state_.idle = false;
    dump_.writeState(drawing_, state_);
    enterLine(line);
    busy_ = false;
    state_.idle = queue_.empty();
    writeDump();
  }
}

void Session::writeDump() { dump_.writeAll(drawing_, state_, evaluatedLog_, history_); }

void Session::print(std::string_view utf8) {
  if (utf8.empty()) return;
  history_ += utf8;
  host_.historyAdded(utf8);
}

void Session::newLine() {
  if (!history_.empty() && history_.back() != '\n') print("\n");
}

void Session::poll() {
  host_.poll();
  if (cancelRequested_) {
    cancelRequested_ = false;
    newLine();
    print("*Cancel*\n");
    throw LispError("Function cancelled");
  }
}

void Session::enterLine(const std::string& line) {
  newLine();
  print(prompt() + line + "\n");
  evaluatedLog_ += line;
  evaluatedLog_ += '\n';
  ++state_.linesEvaluated;

  if (expression_.empty()) {
    std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return;  // an empty line repeats nothing here
    if (line[first] != '(') {
      evaluateCommandLine(line);
      return;
    }
  }
  expression_ += line;
  expression_ += '\n';
  // An expression that is still open waits for more lines.
  Reader reader(interp_, expression_);
  Value form;
  ReadStatus s;
  while ((s = reader.next(form)) == ReadStatus::Form) {
  }
  if (s == ReadStatus::Incomplete) return;
  std::string text = std::move(expression_);
  expression_.clear();
  evaluate(text);
}

void Session::evaluate(const std::string& text) {
  try {
    Value result = interp_.evalText(text);
    if (result.kind() != Kind::Sym || result.obj() != interp_.quietValue().obj()) {
      newLine();
      print(printValue(result, true) + "\n");
    }
  } catch (const LispError& e) {
    newLine();
    print(std::string("; error: ") + e.what() + "\n");
    ++state_.errors;
  }
}

void Session::evaluateCommandLine(std::string_view text) {
  // Outside an expression a blank ends an input, as the Enter key does.
  std::vector<Value> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t start = text.find_first_not_of(' ', i);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    tokens.push_back(Value::string(std::string(text.substr(start, end - start))));
    i = end;
  }
  try {
    interp_.apply(interp_.intern("COMMAND")->value, tokens);
  } catch (const LispError& e) {
    newLine();
    print(std::string("; error: ") + e.what() + "\n");
    ++state_.errors;
  }
}

}  // namespace standin::lisp

#pragma once
// A console and a fixture for tests of the stand-in's evaluator: the console records what is
// printed, answers the getpoint pauses and the secure-loading question as told.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "standin/cad/lisp/file_text.h"
#include "standin/cad/lisp/interpreter.h"
#include "tests/support/cp932_codepage.h"

namespace standin::lisp {

class TestConsole : public Console {
 public:
  void print(std::string_view s) override { out += s; }
  std::string decodeAnsi(std::string_view bytes) override { return cp.fromAnsi(bytes); }
  bool continueAtPause() override {
    ++pauses;
    return answer;
  }
  bool confirmUntrustedLoad(const std::filesystem::path& file) override {
    untrustedAsked += pathUtf8(file.filename()) + ";";
    return loadUntrusted;
  }
  std::string out;
  bool answer = true;
  int pauses = 0;
  std::string untrustedAsked;  // file names, each followed by ";"
  bool loadUntrusted = true;
  harlowe::test::Cp932CodePage cp;
};

class LispFixture : public ::testing::Test {
 protected:
  // The printed form of the value of the last form of `text`.
  std::string run(const std::string& text) { return printValue(in.evalText(text), true); }
  // The message of the error that `text` raises, or "" when it raises none.
  std::string error(const std::string& text) {
    try {
      in.evalText(text);
    } catch (const LispError& e) {
      return e.what();
    }
    return "";
  }
  Drawing drawing;
  TestConsole console;
  Interpreter in{drawing, console};
};

}  // namespace standin::lisp

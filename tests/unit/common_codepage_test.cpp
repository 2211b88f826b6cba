#include <gtest/gtest.h>

#include <string>

#include "tests/support/cp932_codepage.h"

using harlowe::test::Cp932CodePage;

TEST(Cp932CodePage, JapaneseRoundTrip) {
  const Cp932CodePage cp;
  const std::string text = "実行中です。　お待ちください。";
  const std::string ansi = cp.toAnsi(text);
  EXPECT_EQ(ansi.size(), 30u);                // fifteen double-byte characters
  EXPECT_EQ(ansi.substr(12, 2), "\x81\x40");  // the ideographic space
  EXPECT_EQ(cp.fromAnsi(ansi), text);
}

TEST(Cp932CodePage, TrailByteCanBeABackslash) {
  const Cp932CodePage cp;
  EXPECT_EQ(cp.toAnsi("表"), "\x95\x5C");
  EXPECT_EQ(cp.fromAnsi("\x95\x5C"), "表");
  EXPECT_EQ(cp.toAnsi("C:\\表示\\a.txt"), "C:\\\x95\x5C\x8E\xA6\\a.txt");
  EXPECT_EQ(cp.fromAnsi("C:\\\x95\x5C\x8E\xA6\\a.txt"), "C:\\表示\\a.txt");
}

TEST(Cp932CodePage, AsciiPassesUnchanged) {
  const Cp932CodePage cp;
  const std::string ascii = "(load \"ENT_GOGO\")\r\n\\ ~";
  EXPECT_EQ(cp.toAnsi(ascii), ascii);
  EXPECT_EQ(cp.fromAnsi(ascii), ascii);
  EXPECT_EQ(cp.toAnsi(""), "");
}

TEST(Cp932CodePage, WhatCannotBeConvertedBecomesAQuestionMark) {
  const Cp932CodePage cp;
  EXPECT_EQ(cp.toAnsi("a€bé"), "a?b?");  // no euro sign, no accented letters in CP932
  EXPECT_EQ(cp.toAnsi("😀"), "??");       // as on Windows: one "?" for each UTF-16 unit
  EXPECT_EQ(cp.toAnsi("x\xff"
                      "y"),
            "x?y");                       // not UTF-8
  EXPECT_EQ(cp.fromAnsi("a\x95"), "a?");  // a lead byte without its trail byte
  EXPECT_EQ(cp.toAnsi("ｱ"), "\xB1");      // half-width katakana is one byte
  EXPECT_EQ(cp.fromAnsi("\xB1"), "ｱ");
  // No look-alikes, as Windows converts without best fit: "¥" must never become a backslash.
  EXPECT_EQ(cp.toAnsi("¥‾¢£¬—‖−〜"), "?????????");
  EXPECT_EQ(cp.toAnsi("\xC2%"), "?%");  // not UTF-8, and no yen sign either
  EXPECT_EQ(cp.toAnsi("\xC3¥"), "??");  // a stray lead byte does not hide the yen sign after it
}

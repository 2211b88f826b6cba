#include <gtest/gtest.h>

#include "common/text_util.h"

TEST(TextUtil, LispEscapeDoublesBackslashAndEscapesQuotes) {
  EXPECT_EQ(harlowe::text::lispEscape("a\\b\"c"), "a\\\\b\\\"c");
  EXPECT_EQ(harlowe::text::lispEscape("表示"), "表示");  // 表 is 0x955C in CP932; UTF-8 has no 0x5C
}

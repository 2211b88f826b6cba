#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/file_io.h"
#include "common/line_reader.h"

namespace fs = std::filesystem;
using harlowe::io::LineEnds;
using harlowe::io::LineReader;
using harlowe::io::ReadResult;

namespace {

class LineReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("harlowe 行 " + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& bytes) {
    const std::string p = (dir_ / "入力 データ.txt").string();
    EXPECT_TRUE(harlowe::io::writeWholeFile(p, bytes));
    return p;
  }

  // Every line up to the end of the data; a failure shows as a last entry "<failed>".
  static std::vector<std::string> readAll(const std::string& path, std::size_t bufferSize,
                                          LineEnds ends = LineEnds::CrLfOrCr) {
    LineReader r(bufferSize, LineReader::kWholeLines, ends);
    EXPECT_TRUE(r.open(path));
    std::vector<std::string> lines;
    std::string_view line;
    for (;;) {
      const ReadResult res = r.next(line);
      if (res == ReadResult::EndOfData) break;
      if (res == ReadResult::Failed) {
        lines.push_back("<failed>");
        break;
      }
      lines.emplace_back(line);
    }
    EXPECT_EQ(r.next(line), ReadResult::EndOfData);  // and it stays at the end
    EXPECT_TRUE(r.atEnd());
    return lines;
  }

  fs::path dir_;
};

using Lines = std::vector<std::string>;

struct Case {
  std::string bytes;
  Lines lines;  // CR LF or a lone CR ends a line
  Lines any;    // a lone LF too
};

}  // namespace

TEST_F(LineReaderTest, LineEndsAtEveryBufferSize) {
  const std::vector<Case> cases = {
      {"", {}, {}},
      {"a\r\nb\r\n", {"a", "b"}, {"a", "b"}},
      {"a\rb", {"a", "b"}, {"a", "b"}},    // a lone CR ends a line
      {"a\nb\r\n", {"a\nb"}, {"a", "b"}},  // a lone LF in a file of our own stays inside
      {"a\r\nb", {"a", "b"}, {"a", "b"}},  // no line end after the last line
      {"\r\n\r\n", {"", ""}, {"", ""}},    // empty lines
      {"\r\r\n", {"", ""}, {"", ""}},      // CR CR LF: an empty line follows
      {"a\r\n\r\nbc", {"a", "", "bc"}, {"a", "", "bc"}},
      {"\n", {"\n"}, {""}},
      {"a\r", {"a"}, {"a"}},
      {"a\r\r", {"a", ""}, {"a", ""}},
      {"\r\n\n", {"", "\n"}, {"", ""}},
      {"x\n\r\n", {"x\n"}, {"x", ""}},
      {"\n\r", {"\n"}, {"", ""}},  // LF CR is two line ends
      {"1\r\n2\n3\r4\r\n\n5", {"1", "2\n3", "4", "\n5"}, {"1", "2", "3", "4", "", "5"}},
      {"12 34\t5\r\n-1 2 3\r\n", {"12 34\t5", "-1 2 3"}, {"12 34\t5", "-1 2 3"}},
      {"abcdefgh\r\nij\rklmnopqrstu\r\n\r\nv",
       {"abcdefgh", "ij", "klmnopqrstu", "", "v"},
       {"abcdefgh", "ij", "klmnopqrstu", "", "v"}},
  };
  for (const Case& c : cases) {
    const std::string p = write(c.bytes);
    for (std::size_t size : {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 1 << 20}) {
      EXPECT_EQ(readAll(p, size, LineEnds::CrLfOrCr), c.lines)
          << "buffer " << size << " input " << testing::PrintToString(c.bytes);
      EXPECT_EQ(readAll(p, size, LineEnds::Any), c.any)
          << "buffer " << size << " input " << testing::PrintToString(c.bytes);
    }
  }
}

TEST_F(LineReaderTest, CrLfSplitAcrossARefill) {
  // With 4 bytes the first refill ends right after the CR of "abc\r\n".
  const std::string p = write("abc\r\ndef\r\nghi");
  EXPECT_EQ(readAll(p, 4), (Lines{"abc", "def", "ghi"}));
}

TEST_F(LineReaderTest, LinesLongerThanTheBuffer) {
  const std::string longLine(3'000'000, 'x');
  const std::string other = std::string(1000, 'y') + "\t" + std::string(1000, 'z');
  const std::string p = write("a\r\n" + longLine + "\r\n" + other + "\r" + longLine);
  for (LineEnds ends : {LineEnds::CrLfOrCr, LineEnds::Any}) {
    EXPECT_EQ(readAll(p, 1 << 20, ends), (Lines{"a", longLine, other, longLine}));
    EXPECT_EQ(readAll(p, 100, ends), (Lines{"a", longLine, other, longLine}));
  }
}

// With a line limit only the head of a longer line is kept, whatever the buffer: memory stays
// constant however long a line is, and the line's whole length is still told.
TEST_F(LineReaderTest, LineLimitKeepsTheHeadOfLongerLines) {
  const std::string longLine = "1 2 3 " + std::string(3'000'000, 'x');
  const std::string p = write("a\n" + longLine + "\r\n" + std::string(1000, 'y') + "\rb");
  for (std::size_t size : {100, 1 << 20}) {
    LineReader r(size, 1000, LineEnds::Any);
    ASSERT_TRUE(r.open(p));
    std::string_view line;
    std::vector<std::tuple<std::string, bool, std::uint64_t>> got;
    while (r.next(line) == ReadResult::Line) got.emplace_back(line, r.cut(), r.length());
    EXPECT_EQ(got, (std::vector<std::tuple<std::string, bool, std::uint64_t>>{
                       {"a", false, 1},
                       {longLine.substr(0, 1000), true, longLine.size()},
                       {std::string(1000, 'y'), false, 1000},
                       {"b", false, 1}}))
        << "buffer " << size;
  }
}

TEST_F(LineReaderTest, AtEndBeforeEachRead) {
  for (const std::string bytes : {"a\r\n", "a\r", "a"}) {
    LineReader r(2);
    ASSERT_TRUE(r.open(write(bytes)));
    EXPECT_FALSE(r.atEnd());
    std::string_view line;
    ASSERT_EQ(r.next(line), ReadResult::Line);
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(r.atEnd()) << testing::PrintToString(bytes);
  }
  // The classic loop: test for the end, then read.
  LineReader r;
  ASSERT_TRUE(r.open(write("1\r\n2\r\n\r\n3")));
  Lines got;
  std::string_view line;
  while (!r.atEnd()) {
    ASSERT_EQ(r.next(line), ReadResult::Line);
    got.emplace_back(line);
  }
  EXPECT_EQ(got, (Lines{"1", "2", "", "3"}));
}

TEST_F(LineReaderTest, EmptyFileIsAtEndAtOnce) {
  LineReader r;
  ASSERT_TRUE(r.open(write("")));
  EXPECT_TRUE(r.atEnd());
  std::string_view line;
  EXPECT_EQ(r.next(line), ReadResult::EndOfData);
}

TEST_F(LineReaderTest, FailureIsNotEndOfData) {
  std::string_view line;
  LineReader notOpened;
  EXPECT_EQ(notOpened.next(line), ReadResult::Failed);

  LineReader missing;
  EXPECT_FALSE(missing.open((dir_ / "missing.txt").string()));
  EXPECT_EQ(missing.next(line), ReadResult::Failed);

  // A folder opens for reading on Linux, but reading from it is an I/O error.
  LineReader folder;
  folder.open(dir_.string());
  EXPECT_EQ(folder.next(line), ReadResult::Failed);
  EXPECT_EQ(folder.next(line), ReadResult::Failed);
}

TEST_F(LineReaderTest, ReopeningStartsAfresh) {
  LineReader r(4);
  const std::string first = (dir_ / "first.txt").string();
  ASSERT_TRUE(harlowe::io::writeWholeFile(first, "one\r\ntwo"));
  ASSERT_TRUE(r.open(first));
  std::string_view line;
  ASSERT_EQ(r.next(line), ReadResult::Line);
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(r.open(write("x\r\n")));
  ASSERT_EQ(r.next(line), ReadResult::Line);
  EXPECT_EQ(line, "x");
  EXPECT_EQ(r.next(line), ReadResult::EndOfData);
  r.close();
  EXPECT_EQ(r.next(line), ReadResult::Failed);
}

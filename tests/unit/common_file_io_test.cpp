#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/file_io.h"

namespace fs = std::filesystem;
using namespace harlowe::io;

namespace {

// A fresh folder whose name holds Japanese characters and blanks; given to the code with "\"
// separators, as the program writes its paths.
class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("harlowe ファイル 試験 " + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // The program's form of a path inside the folder: "\" separators, UTF-8.
  std::string path(const std::string& name) const {
    std::string p = root_.string() + "\\" + name;
    for (char& c : p) {
      if (c == '/') c = '\\';
    }
    return p;
  }
  std::string contents(const std::string& name) const {
    std::ifstream in(root_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path root_;
};

}  // namespace

TEST_F(FileIoTest, PathsWithBackslashesJapaneseAndBlanksReachTheFileSystem) {
  const std::string p = path("点群 データ.txt");
  EXPECT_EQ(toFsPath("C:\\a\\b c.txt"), fs::path("C:/a/b c.txt"));
  EXPECT_FALSE(fileExists(p));
  EXPECT_EQ(fileLength(p), -1);
  ASSERT_TRUE(writeWholeFile(p, "abc\r\n"));
  EXPECT_TRUE(fileExists(p));
  EXPECT_EQ(fileLength(p), 5);
  EXPECT_EQ(contents("点群 データ.txt"), "abc\r\n");
  EXPECT_TRUE(removeFile(p));
  EXPECT_FALSE(fileExists(p));
  EXPECT_TRUE(removeFile(p));  // already gone counts as removed
}

TEST_F(FileIoTest, AFolderIsNotAFile) {
  fs::create_directory(root_ / "sub");
  EXPECT_FALSE(fileExists(path("sub")));
  EXPECT_EQ(fileLength(path("sub")), -1);
}

TEST_F(FileIoTest, OutputFileWritesLinesWithCrLfAndAppends) {
  const std::string p = path("log.txt");
  {
    OutputFile out;
    ASSERT_TRUE(out.open(p));
    out.writeLine("一行目");
    out.write("a");
    out.writeLine("");
    EXPECT_TRUE(out.close());
  }
  EXPECT_EQ(contents("log.txt"), "一行目\r\na\r\n");
  {
    OutputFile out;
    ASSERT_TRUE(out.open(p, true));
    out.writeLine("end");
  }  // closed by the destructor
  EXPECT_EQ(contents("log.txt"), "一行目\r\na\r\nend\r\n");
  {
    OutputFile out;
    ASSERT_TRUE(out.open(p));  // without append the file starts empty again
    EXPECT_TRUE(out.close());
  }
  EXPECT_EQ(fileLength(p), 0);
}

TEST_F(FileIoTest, LargeWritesKeepTheirOrder) {
  const std::string p = path("big.bin");
  std::string expected;
  OutputFile out;
  ASSERT_TRUE(out.open(p));
  for (int i = 0; i < 3; ++i) {
    std::string small = "line " + std::to_string(i) + "\r\n";
    std::string big(1500000 + i, static_cast<char>('a' + i));  // more than the buffer holds
    out.write(small);
    out.write(big);
    expected += small + big;
  }
  ASSERT_TRUE(out.close());
  EXPECT_EQ(fileLength(p), static_cast<std::int64_t>(expected.size()));
  EXPECT_TRUE(contents("big.bin") == expected);
}

TEST_F(FileIoTest, FailuresAreReported) {
  OutputFile out;
  EXPECT_FALSE(out.open(path("no such folder\\x.txt")));
  EXPECT_FALSE(out.isOpen());
  out.write("lost");
  EXPECT_TRUE(out.failed());
  EXPECT_FALSE(out.close());
  EXPECT_FALSE(writeWholeFile(path("no such folder\\y.txt"), "x"));

  InputFile in;
  EXPECT_FALSE(in.open(path("missing.txt")));
  char c;
  EXPECT_EQ(in.read(&c, 1), 0u);
  EXPECT_TRUE(in.failed());
}

TEST_F(FileIoTest, WritingToAFullDeviceFailsAtClose) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  OutputFile out;
  ASSERT_TRUE(out.open("/dev/full"));
  out.writeLine("x");
  EXPECT_FALSE(out.close());
}

TEST_F(FileIoTest, InputFileReadsInPiecesToTheEnd) {
  const std::string p = path("in.bin");
  ASSERT_TRUE(writeWholeFile(p, std::string("0123456789")));
  InputFile in;
  ASSERT_TRUE(in.open(p));
  char buf[4];
  EXPECT_EQ(in.read(buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_EQ(in.read(buf, 4), 4u);
  EXPECT_EQ(in.read(buf, 4), 2u);
  EXPECT_EQ(std::string(buf, 2), "89");
  EXPECT_EQ(in.read(buf, 4), 0u);
  EXPECT_FALSE(in.failed());
}

// The conversion log QMR_実行.log: the head and end lines of each converter's variant, compared
// byte for byte in CP932 with CR LF line ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "common/file_io.h"
#include "import/conversion_log.h"
#include "import/run_settings.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

namespace harlowe {
namespace {

namespace fs = std::filesystem;

using test::cp932;

class ConversionLogTest : public ::testing::Test {
 protected:
  ConversionLogTest() {
    dir_ = fs::temp_directory_path() / ("harlowe_log_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    s.InputPath = dir_.string() + "\\scan.txt";
    s.TargetLayer = "壁 1";
    system.now = "2026/12/08 9:05:01";
  }
  ~ConversionLogTest() override { fs::remove_all(dir_); }

  std::string log() const {
    std::ifstream in(dir_ / "QMR_実行.log", std::ios::binary);
    std::ostringstream b;
    b << in.rdbuf();
    return b.str();
  }
  std::string head(LogVariant v) { return WriteLogHead(v, s, system, cp); }

  fs::path dir_;
  RunSettings s;
  test::EventLog events;
  test::FakeSystem system{events};
  test::Cp932CodePage cp;
};

TEST_F(ConversionLogTest, EveryNthVariantWithItsCounts) {
  s.SubSampleStep = 512;
  const std::string path = head(LogVariant::TxtSubSample);
  EXPECT_EQ(path, dir_.string() + "\\QMR_実行.log");
  system.now = "2026/12/08 9:07:30";
  EXPECT_TRUE(AppendLogLines(path, LogEndLines(LogVariant::TxtSubSample, {10, 3}), system, cp));
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル\n"
                         "開始日時 2026/12/08 9:05:01\n"
                         " \n"
                         "実行種類 :　単純間引き\n"
                         "データ File名 :" +
                         s.InputPath +
                         "\n"
                         "間引き値 : 512 \n"
                         "指定描画レイヤー :壁 1\n"
                         " \n"
                         "  総点数 : 10\n"
                         "描画点数 : 3\n"
                         " \n"
                         "修了日時 2026/12/08 9:07:30\n"));
}

TEST_F(ConversionLogTest, QuickIntervalVariant) {
  s.ThinningInterval = 2.5f;
  AppendLogLines(head(LogVariant::TxtQuickInterval), LogEndLines(LogVariant::TxtQuickInterval, {}),
                 system, cp);
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル\n"
                         "実行日時 2026/12/08 9:05:01\n"
                         " \n"
                         "実行種類　:　等間隔間引き（簡易型）\n"
                         "データ File名 :" +
                         s.InputPath +
                         "\n"
                         "等間隔間引き値 : 2.5 \n"
                         "指定描画レイヤー :壁 1\n"
                         " \n"
                         "修了日時 2026/12/08 9:05:01\n"));
}

TEST_F(ConversionLogTest, FullIntervalVariantWithItsMidRunLines) {
  s.ThinningInterval = 100.0f;
  const std::string path = head(LogVariant::TxtFullInterval);
  AppendLogLines(path, {LogRecordCountLine(10)}, system, cp);
  AppendLogLines(path, {LogKeptCountLine(3)}, system, cp);
  AppendLogLines(path, LogEndLines(LogVariant::TxtFullInterval, {}), system, cp);
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル\n"
                         "実行日時 2026/12/08 9:05:01\n"
                         " \n"
                         "実行種類　:　等間隔間引き\n"
                         "データ File名 :" +
                         s.InputPath +
                         "\n"
                         "等間隔間引き値 : 100 \n"
                         "指定描画レイヤー :壁 1\n"
                         "総点群数 : 10\n"
                         "描画点群数 : 3\n"
                         " \n"
                         "修了日時 2026/12/08 9:05:01\n"));
}

TEST_F(ConversionLogTest, PlyVariantHasNoValueLine) {
  AppendLogLines(head(LogVariant::PlyVertices), LogEndLines(LogVariant::PlyVertices, {0, 1234}),
                 system, cp);
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル(Mesh)\n"
                         "実行日時 2026/12/08 9:05:01\n"
                         " \n"
                         "実行種類 : PLY（メッシュ）描画\n"
                         "データ File名 :" +
                         s.InputPath +
                         "\n"
                         "指定描画レイヤー :壁 1\n"
                         " \n"
                         "描画点数 : 1234\n"
                         " \n"
                         "修了日時 2026/12/08 9:05:01\n"));
}

TEST_F(ConversionLogTest, PtxVariantKeepsItsHeadOnly) {
  s.SubSampleStep = -3;
  head(LogVariant::PtxSubSample);
  EXPECT_TRUE(LogEndLines(LogVariant::PtxSubSample, {5, 5}).empty());
  EXPECT_EQ(log(), cp932("QMR 変換ログファイル(PTX)\n"
                         "実行日時 2026/12/08 9:05:01\n"
                         " \n"
                         "実行種類 :　単純間引き\n"
                         "データ File名 :" +
                         s.InputPath +
                         "\n"
                         "間引き値 :-3 \n"
                         "指定描画レイヤー :壁 1\n"));
}

TEST_F(ConversionLogTest, ANewRunReplacesTheLogAndKeepsItsFirstPath) {
  s.SubSampleStep = 1;
  AppendLogLines(head(LogVariant::TxtSubSample), LogEndLines(LogVariant::TxtSubSample, {1, 1}),
                 system, cp);
  s.InputPath = dir_.string() + "\\other.txt";
  const std::string path = head(LogVariant::PlyVertices);
  s.InputPath = "elsewhere\\work.dosasc";  // a later change does not move the log
  AppendLogLines(path, LogEndLines(LogVariant::PlyVertices, {0, 2}), system, cp);
  const std::string text = log();
  EXPECT_EQ(text.rfind(cp932("QMR 変換ログファイル(Mesh)\n"), 0), 0u);
  EXPECT_EQ(text.find(cp932("総点数")), std::string::npos);
  EXPECT_NE(text.find(cp932("描画点数 : 2\n")), std::string::npos);
}

TEST(ConversionLogPath, UpToTheLastBackslashOrTheCurrentFolder) {
  EXPECT_EQ(ConversionLogPath("C:\\data\\scan.txt"), "C:\\data\\QMR_実行.log");
  EXPECT_EQ(ConversionLogPath("C:\\データ\\表\\scan.txt"), "C:\\データ\\表\\QMR_実行.log");
  EXPECT_EQ(ConversionLogPath("scan.txt"), "QMR_実行.log");
}

}  // namespace
}  // namespace harlowe

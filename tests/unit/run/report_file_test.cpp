#include "run/report_file.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "output/message_channel.hpp"
#include "run/command_line.hpp"

namespace {

const char* const kBanner =
    "! QUORVA 2(5)-7\n!    Public support calculator for Form 990 Schedule A\n! \n";

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ReportFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMessageChannel();
    char pattern[] = "/tmp/quorva-report-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    closeReportFile();
    resetMessageChannel();
    std::remove((folder + "/first.txt").c_str());
    std::remove((folder + "/second.txt").c_str());
    std::remove(folder.c_str());
  }
  std::string folder;
};

TEST_F(ReportFileTest, OpeningWritesTheBannerToBothOutputs) {
  const std::string path = folder + "/first.txt";
  testing::internal::CaptureStdout();
  ASSERT_TRUE(openReportFile(path.c_str()));
  writeReport("! body\n");
  closeReportFile();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), kBanner);
  EXPECT_EQ(fileText(path), std::string(kBanner) + "! body\n");
  EXPECT_EQ(reportFile, nullptr);
  EXPECT_EQ(errorCount, 0);
}

TEST_F(ReportFileTest, SecondReportFileClosesTheFirstAndBothBeginWithTheBanner) {
  const std::string first = folder + "/first.txt";
  const std::string second = folder + "/second.txt";
  testing::internal::CaptureStdout();
  ASSERT_TRUE(openReportFile(first.c_str()));
  writeReport("one\n");
  ASSERT_TRUE(openReportFile(second.c_str()));
  writeReport("two\n");
  closeReportFile();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(fileText(first), std::string(kBanner) + "one\n");
  EXPECT_EQ(fileText(second), std::string(kBanner) + "two\n");
}

TEST_F(ReportFileTest, FileInAMissingFolderIsNotOpenedAndEarlierFileIsClosed) {
  const std::string first = folder + "/first.txt";
  testing::internal::CaptureStdout();
  ASSERT_TRUE(openReportFile(first.c_str()));
  EXPECT_FALSE(openReportFile((folder + "/missing/report.txt").c_str()));
  EXPECT_EQ(reportFile, nullptr);
  writeReport("console\n");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, std::string(kBanner) + "console\n");
  EXPECT_EQ(fileText(first), kBanner);
}

TEST_F(ReportFileTest, FullDiskIsAnErrorOnTheConsole) {
  testing::internal::CaptureStdout();
  ASSERT_TRUE(openReportFile("/dev/full"));
  closeReportFile();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            std::string(kBanner) + "? ERROR: Writing report file /dev/full failed\n");
  EXPECT_EQ(errorCount, 1);
  EXPECT_EQ(reportFile, nullptr);
}

TEST_F(ReportFileTest, ClosingWithNoFileOpenDoesNothing) {
  testing::internal::CaptureStdout();
  closeReportFile();
  closeReportFile();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(errorCount, 0);
}

}  // namespace

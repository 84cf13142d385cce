#include "run/run_sequence.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "output/message_channel.hpp"

namespace {

class ClosingTalliesTest : public ::testing::Test {
 protected:
  void SetUp() override { resetMessageChannel(); }
  void TearDown() override {
    reportFile = nullptr;
    resetMessageChannel();
  }
  static std::string tallies(int infos, int warnings, int errors) {
    resetMessageChannel();
    infoCount = infos;
    warningCount = warnings;
    errorCount = errors;
    testing::internal::CaptureStdout();
    printClosingTallies();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(ClosingTalliesTest, SingularAndPluralByCount) {
  EXPECT_EQ(tallies(0, 0, 0), "! INFO: No Warnings.\n! INFO: No errors.\n");
  EXPECT_EQ(tallies(1, 1, 1),
            "! INFO: 2 Informational messages reading and reporting on donation list(s).\n"
            "! INFO: 1 Warning reading and reporting on donation list(s).\n"
            "! INFO: 1 Error reading and reporting on donation list(s).\n");
  EXPECT_EQ(tallies(4, 2, 12),
            "! INFO: 5 Informational messages reading and reporting on donation list(s).\n"
            "! INFO: 2 Warnings reading and reporting on donation list(s).\n"
            "! INFO: 12 Errors reading and reporting on donation list(s).\n");
  // The tally lines are informational messages themselves.
  EXPECT_EQ(infoCount, 7);
  EXPECT_EQ(errorCount, 12);
}

TEST_F(ClosingTalliesTest, TalliesGoToTheReportFileToo) {
  std::FILE* scratch = std::tmpfile();
  ASSERT_NE(scratch, nullptr);
  reportFile = scratch;
  testing::internal::CaptureStdout();
  printClosingTallies();
  const std::string console = testing::internal::GetCapturedStdout();
  std::fflush(scratch);
  std::rewind(scratch);
  std::string file;
  for (int ch = std::fgetc(scratch); ch != EOF; ch = std::fgetc(scratch)) {
    file.push_back(static_cast<char>(ch));
  }
  reportFile = nullptr;
  std::fclose(scratch);
  EXPECT_EQ(console, "! INFO: No Warnings.\n! INFO: No errors.\n");
  EXPECT_EQ(file, console);
}

}  // namespace

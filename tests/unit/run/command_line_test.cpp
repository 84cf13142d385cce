#include "run/command_line.hpp"

#include <gtest/gtest.h>

#include <string>

#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "run/report_file.hpp"

namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMessageChannel();
    resetTotals();
  }
  void TearDown() override {
    closeReportFile();
    resetMessageChannel();
    resetTotals();
  }
  // Console output of one argument handled on its own.
  static std::string handle(const char* argument) {
    testing::internal::CaptureStdout();
    handleArgument(argument);
    return testing::internal::GetCapturedStdout();
  }
};

TEST(ParseYearArgumentTest, TwoDigitYearsFourDigitYearsAndRefusals) {
  const struct {
    const char* text;
    long year;
  } cases[] = {
    { "0", 2000 },
    { "00", 2000 },
    { "24", 2024 },
    { "49", 2049 },
    { "50", 1950 },
    { "75", 1975 },
    { "99", 1999 },
    { "100", -1 },
    { "150", -1 },
    { "1950", -1 },
    { "1951", 1951 },
    { "2023abc", 2023 },
    { "2155", 2155 },
    { "abc", -1 },
    { "", -1 },
    { "-5", -1 },
    { " 24", -1 },
    { "024", 2024 },
    { "99999999999", 2147483647 },
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseYearArgument(c.text), c.year) << '"' << c.text << '"';
  }
  EXPECT_EQ(parseYearArgument(nullptr), -1);
}

TEST_F(CommandLineTest, SetVerbosityStoresOnlyLevelsZeroToFour) {
  for (long level = 0; level <= 4; ++level) {
    EXPECT_TRUE(setVerbosity(level));
    EXPECT_EQ(verbosityLevel, level);
  }
  setVerbosity(2);
  for (long refused : { -1L, 5L, 7L, 2147483647L, -2147483648L }) {
    EXPECT_FALSE(setVerbosity(refused)) << refused;
    EXPECT_EQ(verbosityLevel, 2);
  }
}

TEST_F(CommandLineTest, ShowVerbosityListsEveryLevelReachedHighestFirst) {
  setVerbosity(2);
  testing::internal::CaptureStdout();
  showVerbosity();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "! Messaging enabled:\n"
            "!     Messages useful for checking the inputs\n"
            "!     Messages useful for explaining the results\n"
            "!     Information needed for Form 990\n"
            "\n");
}

TEST_F(CommandLineTest, VerbosityOptions) {
  const struct {
    const char* argument;
    int levelAfter;
    bool shown;
  } cases[] = {
    { "-d", 1, true },      { "-v", 1, true },    { "/v", 1, true },
    { "-d-", 0, true },     { "-v-x", 0, true },  { "-d=3", 3, true },
    { "-v=4abc", 4, true }, { "-d=0", 0, true },  { "-v=x", 2, true },
    { "-d=", 2, true },     { "-d=-1", 2, true }, { "-d=7", 2, false },
    { "-d5", 2, false },    { "-vx", 2, false },  { "-d=99999999999", 2, false },
  };
  for (const auto& c : cases) {
    resetMessageChannel();
    verbosityLevel = 2;
    const std::string out = handle(c.argument);
    EXPECT_EQ(verbosityLevel, c.levelAfter) << c.argument;
    EXPECT_EQ(out.find("! Messaging enabled:\n") != std::string::npos, c.shown) << c.argument;
  }
}

TEST_F(CommandLineTest, VerbosityOptionsThatAreRefusedSayWhy) {
  EXPECT_EQ(handle("-d=7"), "! Argument-Issue: illegal value after -d: 7\n");
  EXPECT_EQ(handle("/v=12x"), "! Argument-Issue: illegal value after -v: 12x\n");
  EXPECT_EQ(handle("-d=99999999999"), "! Argument-Issue: illegal value after -d: 99999999999\n");
  EXPECT_EQ(handle("-d5"), "! Argument-Issue: ? Missing equal sign in argument -d5\n\n");
}

TEST_F(CommandLineTest, OptionsWithoutTheirEqualSign) {
  for (const char* argument : { "-i", "-o", "-r", "-ifile", "/oreport.txt", "-r24" }) {
    EXPECT_EQ(handle(argument), std::string("! Argument-Issue: ? Missing equal sign in argument ") +
                                    argument + "\n\n");
  }
}

TEST_F(CommandLineTest, UnrecognizedSelections) {
  for (const char* argument : { "-", "/", "-x", "-D", "-f3", "-I=a.txt", "-O=b.txt", "-R=24" }) {
    EXPECT_EQ(handle(argument),
              std::string("! Argument-Issue: Unrecognized selection after -: ") + argument + "\n");
  }
  EXPECT_EQ(infoCount + warningCount + errorCount, 0);
}

TEST_F(CommandLineTest, YearOption) {
  EXPECT_EQ(handle("-r=24"), "! INFO: Setting latest year 5 year 990 period to 2024\n");
  EXPECT_EQ(latestFormYear, 2024);
  EXPECT_EQ(infoCount, 1);
  EXPECT_EQ(handle("/r=2023abc"), "! INFO: Setting latest year 5 year 990 period to 2023\n");
  EXPECT_EQ(latestFormYear, 2023);
  EXPECT_EQ(handle("-r=99999999999"),
            "! INFO: Setting latest year 5 year 990 period to 2147483647\n");
  EXPECT_EQ(latestFormYear, 2147483647);

  for (const char* tooEarly : { "-r=75", "-r=1951", "-r=99", "-r=1999" }) {
    EXPECT_EQ(handle(tooEarly),
              "! Argument-Issue: ? The program can not handle data from years before 2000\n")
        << tooEarly;
  }
  for (const char* text : { "150", "1950", "abc", "" }) {
    EXPECT_EQ(handle((std::string("-r=") + text).c_str()),
              std::string("! Argument-Issue: ? Unrecognized value after -r number between 0 and "
                          "99 or greater than 1950 required: ") +
                  text + "\n");
  }
  // Refused years leave the last accepted one.
  EXPECT_EQ(latestFormYear, 2147483647);
  EXPECT_EQ(infoCount, 3);
}

TEST_F(CommandLineTest, HelpWritesTheUsageToTheConsoleOnly) {
  const std::string usage = handle("-h");
  EXPECT_EQ(usage.rfind("Public support calculation for a 501(c)(3) charity is complex. \n", 0),
            0u);
  EXPECT_NE(
      usage.find("-r#\t\t\t# use this year as most recent year for 990-v[#]\t\t\t(same as -d)"),
      std::string::npos);
  const std::string ending =
      "-v-\t\t\tlowest level of reporting\n\n"
      "This program is provided as is, without warranty of any kind. Check its figures\n"
      "against your own records before you file; it does not replace a tax adviser.\n";
  ASSERT_GE(usage.size(), ending.size());
  EXPECT_EQ(usage.substr(usage.size() - ending.size()), ending);
  EXPECT_EQ(handle("/hanything"), usage);
}

TEST_F(CommandLineTest, ListsThatCannotBeOpened) {
  EXPECT_EQ(handle("no-such-list.txt"),
            "! Argument-Issue: Open donation list file failed for: no-such-list.txt\n");
  EXPECT_EQ(handle("-i=no-such-list.txt"),
            "! Argument-Issue: Open donation list file failed for: no-such-list.txt\n");
  EXPECT_EQ(handle("-i="), "! Argument-Issue: Open donation list file failed for: \n");
  // A folder opens for reading but holds no lines; it must not pass for an empty list.
  EXPECT_EQ(handle("/tmp"), "! Argument-Issue: Unrecognized selection after -: /tmp\n");
  EXPECT_EQ(handle("-i=/tmp"), "! Argument-Issue: Open donation list file failed for: /tmp\n");
  EXPECT_EQ(handle("."), "! Argument-Issue: Open donation list file failed for: .\n");
  EXPECT_EQ(infoCount, 0);
}

TEST_F(CommandLineTest, BannerWithItsNotice) {
  testing::internal::CaptureStdout();
  printBanner();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "! QUORVA 2(5)-7\n!    Public support calculator for Form 990 Schedule A\n! \n");
}

TEST_F(CommandLineTest, NoArgumentsGiveBannerAndUsageAndStatusOne) {
  const char* argv[] = { "quorva" };
  testing::internal::CaptureStdout();
  const int status = runProgram(1, argv);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 1);
  const std::string start =
      "\n! QUORVA 2(5)-7\n!    Public support calculator for Form 990 Schedule A\n! \n"
      "Public support calculation for a 501(c)(3) charity is complex. \n";
  EXPECT_EQ(out.substr(0, start.size()), start);
  EXPECT_EQ(out.find("Processing command line arguments"), std::string::npos);
}

TEST_F(CommandLineTest, ProgramRunsTwiceInOneProcessWithTheSameResult) {
  const char* argv[] = { "quorva", "-r=24", "-x" };
  testing::internal::CaptureStdout();
  const int first = runProgram(3, argv);
  const std::string firstOut = testing::internal::GetCapturedStdout();
  testing::internal::CaptureStdout();
  const int second = runProgram(3, argv);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), firstOut);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
  EXPECT_NE(firstOut.find("! INFO: 2 Informational messages reading and reporting on donation "
                          "list(s).\n! INFO: No Warnings.\n! INFO: No errors.\n"),
            std::string::npos);
}

}  // namespace

#include "run/command_line.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console_capture.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "run/run_sequence.hpp"

namespace {

TEST(ParseYearArgumentTest, TwoDigitYearsFourDigitYearsAndRefusals) {
  const struct {
    const char* text;
    long year;
  } cases[] = {
    { "0", 2000 },  { "24", 2024 },   { "49", 2049 },
    { "50", 1950 }, { "99", 1999 },   { "100", -1 },
    { "1950", -1 }, { "1951", 1951 }, { "2023abc", 2023 },
    { "abc", -1 },  { "", -1 },       { "-5", -1 },
    { " 24", -1 },  { "024", 2024 },  { "99999999999", 2147483647 },
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseYearArgument(c.text), c.year) << '"' << c.text << '"';
  }
  EXPECT_EQ(parseYearArgument(nullptr), -1);
}

TEST(SetVerbosityTest, StoresOnlyLevelsZeroToFour) {
  resetMessageChannel();
  for (long level = 0; level <= 4; ++level) {
    EXPECT_TRUE(setVerbosity(level));
    EXPECT_EQ(verbosityLevel, level);
  }
  setVerbosity(2);
  for (long refused : { -1L, 5L, 2147483647L, -2147483648L }) {
    EXPECT_FALSE(setVerbosity(refused)) << refused;
    EXPECT_EQ(verbosityLevel, 2);
  }
  resetMessageChannel();
}

TEST(HandleArgumentTest, VerbosityOptionsChangeTheLevelOnlyWhenValid) {
  const struct {
    const char* argument;
    int levelAfter;
    bool shown;
  } cases[] = {
    { "-d", 1, true },
    { "/v", 1, true },
    { "-d-", 0, true },
    { "-v-x", 0, true },
    { "-d=3", 3, true },
    { "-v=4abc", 4, true },
    { "-v=x", 2, true },
    { "-d=", 2, true },
    { "-d=-1", 2, true },
    { "-d=7", 2, false },
    { "-d=99999999999", 2, false },
    { "-d5", 2, false },
  };
  for (const auto& c : cases) {
    resetMessageChannel();
    verbosityLevel = 2;
    ConsoleCapture console;
    handleArgument(c.argument);
    const std::string out = console.take();
    EXPECT_EQ(verbosityLevel, c.levelAfter) << c.argument;
    EXPECT_EQ(out.find("! Messaging enabled:\n") != std::string::npos, c.shown) << c.argument;
  }
  resetMessageChannel();
}

TEST(HandleArgumentTest, AMissingArgumentIsPassedOver) {
  resetMessageChannel();
  ConsoleCapture console;
  handleArgument(nullptr);
  const char* const arguments[] = { "quorva", nullptr, "-w=" };
  handleArguments(2, arguments);
  EXPECT_EQ(console.take(), "");
  EXPECT_EQ(errorCount + warningCount + infoCount, 0);
}

// Without its "=" an option is not applied: an error where the figures would change silently.
TEST(HandleArgumentTest, EveryOptionWithAValueWantsItsEqualSign) {
  const struct {
    const char* argument;
    const char* prefix;
  } cases[] = {
    { "-i", "! Argument-Issue:" },   { "-ogifts.txt", "! Argument-Issue:" },
    { "/w", "! Argument-Issue:" },   { "-n512", "! Argument-Issue:" },
    { "-r24", "! Argument-Issue:" }, { "-y7", "? ERROR:" },
    { "/b2020", "? ERROR:" },
  };
  for (const auto& c : cases) {
    resetMessageChannel();
    ConsoleCapture console;
    handleArgument(c.argument);
    EXPECT_EQ(console.take(),
              std::string(c.prefix) + " ? Missing equal sign in argument " + c.argument + "\n\n");
  }
  resetMessageChannel();
}

// -y= and -b= take digits only; a refused value leaves the setting as it was.
TEST(HandleArgumentTest, TaxYearOptionsTakeOnlyTheirRange) {
  resetProgramState();
  ConsoleCapture console;
  for (const char* argument : { "-y=007", "-y=13", "-y=0", "-y=7x", "-y=", "/y=99999999999" }) {
    handleArgument(argument);
  }
  EXPECT_EQ(taxYearStartMonth(), 7);
  for (const char* argument : { "-b=1900", "-b=2155", "-b=1899", "-b=2156", "-b=24", "-b=02020" }) {
    handleArgument(argument);
  }
  EXPECT_EQ(ledgerTotals.firstTaxYear, 2155);
  console.take();
  EXPECT_EQ(errorCount, 9);
  resetProgramState();
}

TEST(HandleArgumentTest, RefusedYearsKeepTheLastAcceptedOne) {
  resetMessageChannel();
  resetTotals();
  ConsoleCapture console;
  for (const char* argument : { "-r=21", "/r=24", "-r=75", "-r=150", "-r=", "-r24" }) {
    handleArgument(argument);
  }
  console.take();
  EXPECT_EQ(ledgerTotals.latestFormYear, 2024);
  EXPECT_EQ(infoCount, 2);
  // A refused year is an error (the period is not the one asked for); -r24 is only a typo.
  EXPECT_EQ(errorCount, 3);
  resetTotals();
  resetMessageChannel();
}

TEST(HandleArgumentTest, AbsolutePathsAreListsOtherSlashArgumentsOptions) {
  const struct {
    const char* argument;
    bool list;
  } cases[] = {
    { "/no-such-folder-q/gifts.txt", true },  // a second '/' and no '='
    { "/no-such-folder-q/x=1.txt", true },    // the second '/' before the first '='
    { "/no-such-q=1/gifts.txt", false },      // '=' first: an option
    { "/no-such-list-q.txt", false },
    { "/", false },
    { "/etc", false },  // a folder without a second '/'
    { "/d=2", false },
  };
  for (const auto& c : cases) {
    resetMessageChannel();
    ConsoleCapture console;
    handleArgument(c.argument);
    const std::string out = console.take();
    const std::string refused =
        std::string("? ERROR: Open donation list file failed for: ") + c.argument + "\n";
    EXPECT_EQ(out.find(refused) != std::string::npos, c.list) << c.argument;
    EXPECT_EQ(errorCount, c.list ? 1 : 0) << c.argument;
  }
  resetMessageChannel();
}

TEST(RunProgramTest, NoArgumentsReturnOneWithoutProcessing) {
  const char* argv[] = { "quorva" };
  ConsoleCapture console;
  EXPECT_EQ(runProgram(1, argv), 1);
  const std::string out = console.take();
  EXPECT_EQ(out.rfind("\n! QUORVA 2(5)-7\n", 0), 0u);
  EXPECT_EQ(out.find("Processing command line arguments"), std::string::npos);
}

TEST(RunProgramTest, RunsTwiceInOneProcessWithTheSameResult) {
  const char* argv[] = { "quorva", "-d=2", "-r=24", "-x" };
  ConsoleCapture console;
  const int first = runProgram(4, argv);
  const std::string firstOut = console.take();
  const int second = runProgram(4, argv);
  EXPECT_EQ(console.take(), firstOut);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
  EXPECT_NE(firstOut.find("! INFO: 2 Informational messages reading and reporting on donation "
                          "list(s).\n! INFO: No Warnings.\n! INFO: No errors.\n"),
            std::string::npos);
}

TEST(RunProgramTest, AnErrorInAListGivesStatusOne) {
  char path[] = "/tmp/quorva-list-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  std::FILE* list = fdopen(fd, "w");
  std::fputs("Smith\t1/15/2020\t100.00\nJones\tyesterday\t5.00\n", list);
  std::fclose(list);
  // An absolute path alone is a list, not an option.
  const char* argv[] = { "quorva", path };
  ConsoleCapture console;
  EXPECT_EQ(runProgram(2, argv), 1);
  const std::string out = console.take();
  std::remove(path);
  EXPECT_NE(out.find("! INFO: 1 Error reading and reporting on donation list(s).\n"),
            std::string::npos);
}

// The report file keeps its name for a later error in a fixed buffer; a longer path (here made
// long with ./ steps) must still be opened and written whole, without overrunning that buffer.
TEST(RunProgramTest, ReportFileWithAPathLongerThanTheNameBuffer) {
  char folder[] = "/tmp/quorva-long-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string path = folder;
  while (path.size() <= kMessageLineSize) {
    path += "/.";
  }
  path += "/report.txt";
  const std::string option = "-o=" + path;
  const char* argv[] = { "quorva", option.c_str(), "-r=24" };
  ConsoleCapture console;
  EXPECT_EQ(runProgram(3, argv), 0);
  const std::string out = console.take();
  std::FILE* report = std::fopen(path.c_str(), "r");
  ASSERT_NE(report, nullptr);
  std::string text;
  for (int ch = std::fgetc(report); ch != EOF; ch = std::fgetc(report)) {
    text.push_back(static_cast<char>(ch));
  }
  std::fclose(report);
  std::remove(path.c_str());
  rmdir(folder);
  EXPECT_EQ(out.find("Writing report file"), std::string::npos);
  EXPECT_EQ(text.rfind("! QUORVA 2(5)-7\n", 0), 0u);
  EXPECT_NE(text.find("! INFO: No errors.\n"), std::string::npos);
}

// A worksheet name shorter than any ending it may have is refused like any other wrong ending,
// and the refusal is an error: the worksheet asked for is not written.
TEST(RunProgramTest, WorksheetNameShorterThanItsEnding) {
  const char* argv[] = { "quorva", "-w=a", "-w=.cs" };
  ConsoleCapture console;
  EXPECT_EQ(runProgram(3, argv), 1);
  const std::string out = console.take();
  EXPECT_NE(out.find("? ERROR: Worksheet file a must end in .csv or .html\n"), std::string::npos);
  EXPECT_NE(out.find("? ERROR: Worksheet file .cs must end in .csv or .html\n"), std::string::npos);
}

}  // namespace

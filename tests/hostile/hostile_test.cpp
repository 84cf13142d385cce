// Unit tests for faults that hostile input can reach but a golden case cannot show in time:
// tallies at their limit, and runs repeated in one process (the fuzz target's way of running
// the program) giving exactly what a fresh process gives.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "console_capture.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "run/run_sequence.hpp"

namespace {

TEST(Tallies, StopAtTheLargestCountInsteadOfWrapping) {
  resetMessageChannel();
  errorCount = INT_MAX - 1;
  warningCount = INT_MAX;
  infoCount = INT_MAX;
  ConsoleCapture console;
  message(MessageKind::error, 0, "one");
  message(MessageKind::error, 0, "two");
  message(MessageKind::calculationError, 0, "three");
  message(MessageKind::warning, 3, "four");
  message(MessageKind::info, 0, "five");
  // A run with errors must still end with status 1, however many there were.
  EXPECT_EQ(errorCount, INT_MAX);
  EXPECT_EQ(warningCount, INT_MAX);
  EXPECT_EQ(infoCount, INT_MAX);
  resetMessageChannel();
}

std::string writeList(const char* name, const char* content) {
  std::FILE* file = std::fopen(name, "w");
  std::fputs(content, file);
  std::fclose(file);
  return std::string("-i=") + name;
}

// The console of one in-process run.
std::string runOnce(int argc, const char* const* argv, int& status) {
  ConsoleCapture console;
  status = runProgram(argc, argv);
  return console.take();
}

TEST(Rerun, ASecondRunInTheSameProcessPrintsWhatTheFirstPrinted) {
  const std::string list = writeList(
      "rerun-gifts.txt",
      "Town of Oak\tGovernment\nAnn Lee\t1/15/2020\t100\nAnn Lee\tbad\t5\n\"Bo\"\t2/1/2021\t7\n");
  const char* const withYear[] = { "quorva", "-d=4", "-r=22", list.c_str() };
  const char* const plain[] = { "quorva", list.c_str() };

  int firstStatus = 0;
  const std::string first = runOnce(4, withYear, firstStatus);
  int secondStatus = 0;
  const std::string second = runOnce(4, withYear, secondStatus);
  EXPECT_EQ(first, second);
  EXPECT_EQ(firstStatus, 1);
  EXPECT_EQ(secondStatus, firstStatus);

  // Nothing of the earlier run carries over: not the level, not the year, not the ledger.
  int plainStatus = 0;
  const std::string afterOthers = runOnce(2, plain, plainStatus);
  resetProgramState();
  int freshStatus = 0;
  const std::string fresh = runOnce(2, plain, freshStatus);
  EXPECT_EQ(afterOthers, fresh);
  EXPECT_EQ(plainStatus, freshStatus);
  EXPECT_NE(afterOthers.find("Using the most recent year 2021 for form 990"), std::string::npos);
  EXPECT_EQ(ledgerTotals.latestFormYear, 2021);
  std::remove("rerun-gifts.txt");
}

}  // namespace

#ifndef QUORVA_TESTS_UNIT_LEDGER_DONOR_TABLE_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_LEDGER_DONOR_TABLE_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "console_capture.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"

/// An empty donor table, the list name "gifts.txt" and the console captured.
class DonorTableTest : public ::testing::Test {
 protected:
  void SetUp() override { startAfresh(); }
  void TearDown() override {
    resetMessageChannel();
    resetDonorTable();
  }
  /// An empty table and a fresh channel, as at the start of a run: for each case of a table.
  static void startAfresh() {
    resetMessageChannel();
    resetDonorTable();
    setInputFileName("gifts.txt");
  }
  // What was printed since the test began or since the last call.
  std::string output() { return console.take(); }
  static std::time_t localTime(int year, int month, int day) {
    std::tm broken{};
    broken.tm_year = year - kBaseYear;
    broken.tm_mon = month - 1;
    broken.tm_mday = day;
    broken.tm_sec = 1;
    broken.tm_isdst = -1;
    return std::mktime(&broken);
  }
  // An entry put into the table without a lookup, as code that bypassed it would.
  static void writeEntry(const char* name) { ASSERT_GE(appendDonorEntry(name), 0); }
  static void fillTable() {
    for (std::size_t i = 0; i < kDonorTableSize; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "Donor %zu", i);
      ASSERT_EQ(findOrCreateDonor(name, 1), static_cast<int>(i));
    }
  }

 private:
  ConsoleCapture console;
};

#endif

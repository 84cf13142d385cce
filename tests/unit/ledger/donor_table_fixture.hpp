#ifndef QUORVA_TESTS_UNIT_LEDGER_DONOR_TABLE_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_LEDGER_DONOR_TABLE_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"

/// An empty donor table, the list name "gifts.txt" and the console captured.
class DonorTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMessageChannel();
    resetDonorTable();
    setInputFileName("gifts.txt");
    testing::internal::CaptureStdout();
  }
  void TearDown() override {
    testing::internal::GetCapturedStdout();
    resetMessageChannel();
    resetDonorTable();
  }
  // What was printed since the test began or since the last call.
  static std::string output() {
    std::string printed = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    return printed;
  }
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
};

#endif

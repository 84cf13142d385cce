#ifndef QUORVA_TESTS_UNIT_REPORT_REPORT_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_REPORT_REPORT_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"

/// Starts every report test from an empty ledger, no report file and verbosity 0.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMessageChannel();
    resetDonorTable();
    resetTotals();
  }

  /// Writes an entry straight into the table, as the reader would have created it.
  static int addSource(const char* name, int type) {
    const int index = appendDonorEntry(name);
    donorTable[static_cast<std::size_t>(index)].sourceType = type;
    return index;
  }

  /// Books cents for the entry in a calendar year.
  static void book(int index, long year, Amount cents) {
    EXPECT_TRUE(addYearAmount(index, static_cast<int>(year - kBaseYear), cents));
  }

  /// Computes the totals, keeping their messages out of the section's output.
  static void computeQuietly() {
    testing::internal::CaptureStdout();
    computeTotals();
    testing::internal::GetCapturedStdout();
  }

  /// What a section printed to the console (no report file is open in these tests).
  template <typename Section>
  static std::string capture(Section section) {
    testing::internal::CaptureStdout();
    section();
    return testing::internal::GetCapturedStdout();
  }
};

#endif

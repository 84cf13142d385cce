#ifndef QUORVA_TESTS_UNIT_REPORT_REPORT_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_REPORT_REPORT_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console_capture.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"

/// The report sections' and the totals' tests: each starts from an empty ledger, no report file
/// and verbosity 0, with the console written to a temporary file that capture reads back.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override { resetLedger(); }

  /// An empty ledger and a fresh channel, as at the start of a run: for each case of a table.
  static void resetLedger() {
    resetMessageChannel();
    resetDonorTable();
    resetTotals();
  }

  /// Writes an entry straight into the table, as the reader would have created it.
  static int addSource(const char* name, SourceType type) {
    const int index = appendDonorEntry(name);
    donorTable[static_cast<std::size_t>(index)].sourceType = type;
    return index;
  }

  /// Books cents for the entry in a calendar year.
  static void book(int index, long year, Amount cents) {
    EXPECT_TRUE(addYearAmount(index, static_cast<int>(year - kBaseYear), cents));
  }

  /// Computes the totals; what they print is never read, so it stays out of the next capture.
  static void computeQuietly() { computeTotals(); }

  /// What a section printed to the console (no report file is open in these tests).
  template <typename Section>
  std::string capture(Section section) {
    console.take();
    section();
    return console.take();
  }

 private:
  ConsoleCapture console;
};

#endif

#ifndef QUORVA_TESTS_UNIT_REPORT_REPORT_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_REPORT_REPORT_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>

#include "console_capture.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
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

  /// A city's 1,000.00 in every year from 2014 to 2020 and one giver's 10,000.00 in 2015: the
  /// period ending 2020 has the city alone, the one ending a year earlier the large gift too.
  static void bookLargeGiftBeforeThePeriod() {
    const int city = addSource("City", GOVERNMENT);
    for (long year = 2014; year <= 2020; ++year) {
      book(city, year, 100000);
    }
    book(addSource("Big Giver", DONOR), 2015, 1000000);
  }

  /// Computes the totals; what they print is never read, so it stays out of the next capture.
  static void computeQuietly() { computeTotals(); }

  void TearDown() override {
    for (ScheduleAFigures& kept : kept_) {
      releaseScheduleAFigures(kept);
    }
  }

  /// The Schedule A figures of the ledger as it stands, kept until the test ends.
  const ScheduleAFigures& figures() { return keep(scheduleAFigures(ledgerTotals, donorTable)); }
  /// Keeps figures until the test ends, when their lists are freed.
  const ScheduleAFigures& keep(const ScheduleAFigures& computed) {
    kept_.push_back(computed);
    return kept_.back();
  }

  /// What a section printed to the console (no report file is open in these tests).
  template <typename Section>
  std::string capture(Section section) {
    console.take();
    section();
    return console.take();
  }

 private:
  ConsoleCapture console;
  std::deque<ScheduleAFigures> kept_;
};

#endif

#include "ledger/totals.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "ledger/source_type.hpp"
#include "output/message_channel.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

// The report sections' fixture: an empty ledger and entries written straight into the table.
using TotalsTest = ReportTest;

TEST(SourceTypeTest, NamesAndRoles) {
  EXPECT_STREQ(sourceTypeName(DONOR), "DONOR");
  EXPECT_STREQ(sourceTypeName(NOT_UNRELATED), "NOT_UNRELATED");
  EXPECT_STREQ(sourceTypeName(INVESTMENT), "INVESTMENT");
  EXPECT_STREQ(sourceTypeName(UNUSUAL), "UNUSUAL");
  EXPECT_STREQ(sourceTypeName(static_cast<SourceType>(20)), "UNKNOWN");
  EXPECT_STREQ(sourceTypeName(static_cast<SourceType>(-1)), "UNKNOWN");

  std::string twoPercent, officers, excluded, largeReceipts, related, substantial, unusual, lineOne;
  for (int value = -1; value <= kSourceTypeCount; ++value) {
    const auto type = static_cast<SourceType>(value);
    const std::string code = std::to_string(value) + " ";
    twoPercent += isTwoPercentTested(type) ? code : "";
    officers += isOfficerGroup(type) ? code : "";
    excluded += isExcludedGiver(type) ? code : "";
    largeReceipts += isLargeReceiptTested(type) ? code : "";
    related += mayBeRelated(type) ? code : "";
    substantial += mayBecomeSubstantial(type) ? code : "";
    unusual += isUnusualGrant(type) ? code : "";
    lineOne += isLineOneContribution(type) ? code : "";
  }
  EXPECT_EQ(twoPercent, "0 3 4 5 6 7 16 ");
  EXPECT_EQ(officers, "5 6 7 ");
  EXPECT_EQ(excluded, "5 6 7 16 ");
  EXPECT_EQ(largeReceipts, "11 14 15 17 ");
  EXPECT_EQ(related, "0 4 5 6 7 16 ");  // a donor-advised fund is no person
  EXPECT_EQ(substantial, "0 4 ");       // the others are disqualified already, or never are
  EXPECT_EQ(unusual, "19 ");
  EXPECT_EQ(lineOne, "0 1 2 3 4 5 6 7 16 ");
}

TEST_F(TotalsTest, DefaultPeriodEndsWithTheLastYearOfDonations) {
  const int ann = addSource("Ann", DONOR);
  for (long year = 2015; year <= 2020; ++year) {
    book(ann, year, 1000 * (year - 2014));
  }
  const std::string out = capture(computeTotals);
  EXPECT_EQ(out,
            "!\n"
            "! Using the most recent year 2020 for form 990\n"
            "! Form 990 Schedule A Report is for year 2020\n");
  EXPECT_EQ(ledgerTotals.firstDonationYear, 2015);
  EXPECT_EQ(ledgerTotals.latestFormYear, 2020);
  EXPECT_EQ(ledgerTotals.numberOfYears, 6);
  const ScheduleAFigures& f = figures();
  for (std::size_t r = 0; r < f.rows.size(); ++r) {
    EXPECT_EQ(f.rows[r].yearIndex, 120 - static_cast<long>(r));
    EXPECT_EQ(f.rows[r].gifts, 1000 * (6 - static_cast<Amount>(r)));
  }
  // 2015's 10.00 is in the aggregates but outside the period.
  EXPECT_EQ(donorTable[0].fiveYearTotal, 2000 + 3000 + 4000 + 5000 + 6000);
  EXPECT_EQ(ledgerTotals.grandTotal, 21000);
  EXPECT_EQ(ledgerTotals.cumulativeTotals[115], 1000);
  EXPECT_EQ(ledgerTotals.cumulativeTotals[120], 21000);
}

TEST_F(TotalsTest, GivenYearStandsEvenAfterTheLastDonation) {
  ledgerTotals.latestFormYear = 2025;
  book(addSource("Ann", DONOR), 2020, 5000);
  const std::string out = capture(computeTotals);
  EXPECT_EQ(out, "!\n! Form 990 Schedule A Report is for year 2025\n");
  EXPECT_EQ(ledgerTotals.numberOfYears, 6);
  const ScheduleAFigures& f = figures();
  EXPECT_EQ(f.rows[0].yearIndex, 125);
  EXPECT_EQ(f.rows[4].yearIndex, 121);
  for (const FormYearRow& row : f.rows) {
    EXPECT_EQ(row.gifts, 0);
    EXPECT_EQ(row.largeNonDonationLimit, 500000);
  }
  EXPECT_EQ(donorTable[0].fiveYearTotal, 0);
}

TEST_F(TotalsTest, NoDonationsAtAll) {
  addSource("Idle", DIRECTOR);
  EXPECT_EQ(capture(computeTotals),
            "!\n"
            "! Using the most recent year 1900 for form 990\n"
            "! Form 990 Schedule A Report is for year 1900\n"
            "! No donations at all\n");
  EXPECT_EQ(ledgerTotals.firstDonationYear, -1);
  EXPECT_EQ(ledgerTotals.numberOfYears, 0);
  EXPECT_FALSE(figures().anyDonations);
  EXPECT_FALSE(figures().periodComputed);
  EXPECT_EQ(figures().rows[0].yearIndex, 0);
  EXPECT_EQ(ledgerTotals.officerCount, 1);  // bound by keyword without any amount
  EXPECT_EQ(ledgerTotals.officerTotal, 0);

  resetLedger();
  ledgerTotals.latestFormYear = 2020;
  EXPECT_EQ(capture(computeTotals),
            "!\n"
            "! Form 990 Schedule A Report is for year 2020\n"
            "! No donations at all\n");
}

TEST_F(TotalsTest, YearThatCancelsOutHasNoDonations) {
  const int ann = addSource("Ann", DONOR);
  book(ann, 2018, 5000);
  book(ann, 2019, 700);
  book(addSource("Refund", DONOR), 2019, -700);
  book(ann, 2017, 100);
  book(ann, 2017, -100);
  computeQuietly();
  EXPECT_EQ(ledgerTotals.firstDonationYear, 2018);
  EXPECT_EQ(ledgerTotals.latestFormYear, 2018);
  EXPECT_EQ(ledgerTotals.cumulativeTotals[119], 0);
  EXPECT_EQ(ledgerTotals.cumulativeTotals[118], 5000);
}

TEST_F(TotalsTest, OfficerGroupLeavesFamilyOut) {
  ledgerTotals.latestFormYear = 2020;
  book(addSource("Father", FAMILY), 2020, 100000);
  const int chair = addSource("Chair", OFFICER);
  book(chair, 2020, 3000);
  book(chair, 2018, 2000);
  addSource("Silent", TRUSTEE);
  computeQuietly();
  EXPECT_EQ(ledgerTotals.officerCount, 2);  // the chair and the silent trustee
  EXPECT_EQ(ledgerTotals.officerTotal, 5000);
  EXPECT_EQ(figures().rows[0].disqualifiedGifts, 103000);
  EXPECT_EQ(figures().rows[0].gifts, 103000);
  EXPECT_EQ(ledgerTotals.typeTotals[FAMILY], 100000);
}

TEST_F(TotalsTest, PeriodMustEndAfter1904) {
  book(addSource("Old", DONOR), 1904, 100);
  EXPECT_EQ(capture(computeTotals),
            "!\n"
            "! Using the most recent year 1904 for form 990\n"
            "! Form 990 Schedule A Report is for year 1904\n"
            "? ERROR in calculations: Donations must start in a year after 1905\n"
            "    Can not print 990 information\n");
  EXPECT_EQ(errorCount, 1);
  EXPECT_EQ(ledgerTotals.numberOfYears, 1);
  EXPECT_FALSE(figures().periodComputed);
  EXPECT_EQ(figures().rows[0].yearIndex, 0);
  EXPECT_EQ(figures().rows[0].gifts, 0);
  EXPECT_EQ(donorTable[0].fiveYearTotal, 0);

  resetLedger();
  book(addSource("Old", DONOR), 1905, 100);
  computeQuietly();
  EXPECT_EQ(errorCount, 0);
  const ScheduleAFigures& f = figures();
  EXPECT_EQ(f.rows[0].yearIndex, 5);
  EXPECT_EQ(f.rows[4].yearIndex, 1);
  EXPECT_EQ(f.rows[0].gifts, 100);
}

TEST_F(TotalsTest, PeriodMustEndInsideTheYearTable) {
  book(addSource("Late", DONOR), 2155, 300);
  book(addSource("Late2", SALES), 2151, 900000);
  ledgerTotals.latestFormYear = 2155;
  computeQuietly();
  EXPECT_EQ(errorCount, 0);
  const ScheduleAFigures& f = figures();
  EXPECT_EQ(f.rows[0].yearIndex, 255);
  EXPECT_EQ(f.rows[0].gifts, 300);
  EXPECT_EQ(f.rows[4].largeNonDonations, 400000);

  for (long year : { 2156L, 2147483647L }) {
    SCOPED_TRACE(year);
    resetLedger();
    book(addSource("Late", DONOR), 2155, 300);
    ledgerTotals.latestFormYear = year;
    const std::string out = capture(computeTotals);
    EXPECT_EQ(out, "!\n! Form 990 Schedule A Report is for year " + std::to_string(year) +
                       "\n? ERROR in calculations: " + std::to_string(year) +
                       " is too large for table of years\n    Can not print 990 information\n");
    EXPECT_EQ(errorCount, 1);
    EXPECT_EQ(ledgerTotals.numberOfYears, year - 2155 + 1);
    EXPECT_EQ(figures().rows[0].yearIndex, 0);
    EXPECT_EQ(figures().rows[0].gifts, 0);
    EXPECT_EQ(donorTable[0].fiveYearTotal, 0);
  }
}

// The -b= year against the lists and the report's year: a year after the report's is an error,
// amounts before it are left out, and lists that begin after it and after the prior year's
// first year lack years. The organization's age counts from it.
TEST_F(TotalsTest, FirstTaxYearIsSaidAgainstTheListsAndTheReportsYear) {
  const struct {
    long firstTaxYear;
    long listsBegin;
    const char* said;  // after the lines that name the report's year
    long numberOfYears;
    Amount fiveYearTotal;
  } cases[] = {
    { 2015, 2018, "", 10, 500 },
    { 2015, 2020,
      "% WARNING: The lists begin in 2020, after the first tax year 2015: the figures of the years before 2020 are missing\n",
      10, 500 },
    { 2019, 2020,
      "% WARNING: The lists begin in 2020, after the first tax year 2019: the figures of the years before 2020 are missing\n",
      6, 500 },
    { 2019, 2019, "", 6, 500 },
    { 2022, 2020,
      "! INFO: Amounts before 2022, the first tax year given with -b=, are left out of Schedule A\n",
      3, 300 },
    { 2025, 2020,
      "? ERROR in calculations: First tax year 2025 is after the report's year 2024\n"
      "! INFO: Amounts before 2025, the first tax year given with -b=, are left out of Schedule A\n",
      0, 0 },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.firstTaxYear);
    resetLedger();
    setFirstTaxYear(c.firstTaxYear);
    // A refund that cancels its gift leaves a year of no amount: nothing is left out.
    const int refunded = addSource("Refunded", DONOR);
    book(refunded, 2015, 100);
    book(refunded, 2015, -100);
    const int ann = addSource("Ann", DONOR);
    for (long year = c.listsBegin; year <= 2024; ++year) {
      book(ann, year, 100);
    }
    EXPECT_EQ(capture(computeTotals),
              std::string("!\n"
                          "! Using the most recent year 2024 for form 990\n"
                          "! Form 990 Schedule A Report is for year 2024\n") +
                  c.said);
    EXPECT_EQ(ledgerTotals.numberOfYears, c.numberOfYears);
    EXPECT_EQ(donorTable[static_cast<std::size_t>(ann)].fiveYearTotal, c.fiveYearTotal);
    EXPECT_EQ(figures().firstFiveYears, c.numberOfYears <= 5);
  }
}

TEST_F(TotalsTest, TaxYearsThatDoNotBeginInJanuaryAreSaid) {
  ASSERT_TRUE(setTaxYearStartMonth(4));
  EXPECT_EQ(capture(computeTotals),
            "!\n"
            "! Using the most recent year 1900 for form 990\n"
            "! Form 990 Schedule A Report is for year 1900\n"
            "!   Each year is the tax year that begins in April of that year\n"
            "! No donations at all\n");
  EXPECT_EQ(figures().taxYearStartMonth, 4);
}

TEST_F(TotalsTest, PeriodReportFollowsVerbosity) {
  const int ann = addSource("Ann", DONOR);
  book(ann, 2016, 100);
  book(ann, 2020, 100);
  verbosityLevel = 3;
  EXPECT_EQ(capture(computeTotals),
            "!\n"
            "! Using the most recent year 2020 for form 990\n"
            "! Form 990 Schedule A Report is for year 2020\n"
            "!   First year of donations 2016\n"
            "!   Most recent year for form 990 2020\n"
            "!   Oldest year used of the 5 year period 2016\n"
            "! \n");
  resetTotals();
  verbosityLevel = 4;
  EXPECT_EQ(capture(computeTotals).substr(0, 36), "!\n! First year of any donations 2016");
}

}  // namespace

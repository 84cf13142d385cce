#include "report/donations_by_year.hpp"

#include <gtest/gtest.h>

#include <string>

#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

using DonationsByYearTest = ReportTest;

const char kYearHeading[] =
    "! Donations by year\n"
    "!           Percent of all years\n"
    "!            !        Total for year\n"
    "!            !         !          Total Ever\n"
    "!            !         !           !\n";

TEST_F(DonationsByYearTest, EarlyYearNotesCountFromTheFirstYearPrinted) {
  const int ann = addSource("Ann", DONOR);
  book(ann, 2015, 5000001);
  book(ann, 2017, 5000000);
  book(addSource("Fair", SALES), 2020, 2000);
  computeQuietly();
  // 2015 and 2017 are among the first three years; 2016 has no line; 2020 has no note.
  EXPECT_EQ(capture([] { printDonationsByYear(ledgerTotals); }),
            std::string(kYearHeading) +
                "!   2015"
                "     49.9%"
                "   $50000.01"
                "  $100020.01"
                "  early year exceeds $50K by"
                "        $0.01"
                "\n"
                "!   2017"
                "     49.9%"
                "   $50000.00"
                "  $100020.01"
                "  early year below $50K\n"
                "!   2020"
                "      0.0%"
                "      $20.00"
                "  $100020.01"
                "\n"
                "!\n"
                "! Total of all years $100020.01\n");
}

TEST_F(DonationsByYearTest, SummaryStopsAtTheStartOfTheTable) {
  ledgerTotals.latestFormYear = 1902;
  const std::string out = capture([] { printContributionSummary(ledgerTotals); });
  EXPECT_NE(out.find("! 1902  "), std::string::npos);
  EXPECT_NE(out.find("! 1900  "), std::string::npos);
  EXPECT_EQ(out.find("! 1899"), std::string::npos);
}

TEST_F(DonationsByYearTest, SummaryRefusesAYearPastTheTable) {
  ledgerTotals.latestFormYear = 2156;
  EXPECT_EQ(capture([] { printContributionSummary(ledgerTotals); }),
            "! CONTRIBUTION SUMMARY\n"
            "!\n"
            "! Year     this year        last 5 years          Sum of only the form 990 years\n"
            "? ERROR: 2156 is too large for table of years\n");
  EXPECT_EQ(errorCount, 1);

  ledgerTotals.latestFormYear = 2155;
  const std::string out = capture([] { printContributionSummary(ledgerTotals); });
  EXPECT_NE(out.find("! 2155  "), std::string::npos);
  EXPECT_NE(out.find("! 2151  "), std::string::npos);
  EXPECT_EQ(errorCount, 1);
}

}  // namespace

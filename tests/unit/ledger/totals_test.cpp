#include "ledger/totals.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "output/message_channel.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

// The report sections' fixture: an empty ledger and entries written straight into the table.
using TotalsTest = ReportTest;

// Each type's amounts reach the raw line fields its row of kSourceTypes names, and no other.
TEST_F(TotalsTest, EachSourceTypeFeedsItsScheduleLines) {
  Amount FormYearRow::*const rawFields[] = {
    &FormYearRow::gifts,
    &FormYearRow::admissionsAndSales,
    &FormYearRow::relatedBusiness,
    &FormYearRow::taxRevenues,
    &FormYearRow::governmentServices,
    &FormYearRow::disqualifiedGifts,
    &FormYearRow::investmentIncome,
    &FormYearRow::unrelatedIncome,
    &FormYearRow::oldBusinessIncome,
    &FormYearRow::otherIncome,
  };
  for (int code = 0; code < kSourceTypeCount; ++code) {
    const auto type = static_cast<SourceType>(code);
    const RowFields route = kSourceTypes[code].rowFields;
    SCOPED_TRACE(sourceTypeName(type));
    ASSERT_NE(route.first, nullptr);
    resetLedger();
    latestFormYear = 2020;
    book(addSource("Source", type), 2020, 100000);
    computeQuietly();
    const FormYearRow& row = formYearTable[0];
    int fedFields = 0;
    for (Amount FormYearRow::*field : rawFields) {
      const bool fed = field == route.first || field == route.second;
      fedFields += fed ? 1 : 0;
      EXPECT_EQ(row.*field, fed ? 100000 : 0);
    }
    EXPECT_EQ(fedFields, route.second != nullptr ? 2 : 1);  // only raw fields are fed
    EXPECT_EQ(typeTotals[static_cast<std::size_t>(type)], 100000);
    EXPECT_EQ(donorTable[0].fiveYearTotal, 100000);
    EXPECT_EQ(row.largeNonDonations, 0);  // 1,000.00 is far below the 5,000.00 floor
  }
}

TEST(SourceTypeTest, NamesAndRoles) {
  EXPECT_STREQ(sourceTypeName(DONOR), "DONOR");
  EXPECT_STREQ(sourceTypeName(NOT_UNRELATED), "NOT_UNRELATED");
  EXPECT_STREQ(sourceTypeName(INVESTMENT), "INVESTMENT");
  EXPECT_STREQ(sourceTypeName(static_cast<SourceType>(19)), "UNKNOWN");
  EXPECT_STREQ(sourceTypeName(static_cast<SourceType>(-1)), "UNKNOWN");

  std::string twoPercent, officers, excluded, largeReceipts;
  for (int value = -1; value <= kSourceTypeCount; ++value) {
    const auto type = static_cast<SourceType>(value);
    const std::string code = std::to_string(value) + " ";
    twoPercent += isTwoPercentTested(type) ? code : "";
    officers += isOfficerGroup(type) ? code : "";
    excluded += isExcludedGiver(type) ? code : "";
    largeReceipts += isLargeReceiptTested(type) ? code : "";
  }
  EXPECT_EQ(twoPercent, "0 3 4 5 6 7 16 ");
  EXPECT_EQ(officers, "5 6 7 ");
  EXPECT_EQ(excluded, "5 6 7 16 ");
  EXPECT_EQ(largeReceipts, "11 14 15 17 ");
}

TEST_F(TotalsTest, DerivedLinesFollowTheFormsSums) {
  latestFormYear = 2020;
  book(addSource("Ann", DONOR), 2020, 100);
  book(addSource("Fair", ADMISSIONS), 2020, 200);
  book(addSource("Shop", NOT_UNRELATED), 2020, 400);
  book(addSource("County", TAX), 2020, 800);
  book(addSource("Hall", FREE_USE), 2020, 1600);
  book(addSource("Bank", INVESTMENT), 2020, 3200);
  book(addSource("Cafe", UNRELATED), 2020, 6400);
  book(addSource("Mill", OLD_BUSINESS), 2020, 12800);
  book(addSource("Misc", OTHER_INCOME), 2020, 25600);
  book(addSource("Bob", TRUSTEE), 2020, 51200);
  computeQuietly();
  const FormYearRow& row = formYearTable[0];
  EXPECT_EQ(row.yearIndex, 120);
  EXPECT_EQ(row.gifts, 51300);
  EXPECT_EQ(row.partIITotal, 51300 + 800 + 1600);
  EXPECT_EQ(row.partIILine7, row.partIITotal);
  EXPECT_EQ(row.partIIITotal, 51300 + 200 + 400 + 800 + 1600);
  EXPECT_EQ(row.partIIILine9, row.partIIITotal);
  EXPECT_EQ(row.investmentAndUnrelated, 3200 + 6400);
  EXPECT_EQ(row.totalSupport, 54300 + 9600 + 12800 + 25600);
  EXPECT_EQ(row.disqualifiedGifts, 51200);
  EXPECT_EQ(row.notPublicSum, 51200);
  EXPECT_EQ(row.largeNonDonationLimit, 500000);
}

TEST_F(TotalsTest, WorkedRowUsesTheFiveThousandDollarFloor) {
  latestFormYear = 2020;
  book(addSource("Donor", DONOR), 2020, 100000);
  book(addSource("Officer", OFFICER), 2020, 20000);
  book(addSource("Store", SALES), 2020, 6000000);
  computeQuietly();
  const FormYearRow& row = formYearTable[0];
  EXPECT_EQ(row.gifts, 120000);
  EXPECT_EQ(row.admissionsAndSales, 6000000);
  EXPECT_EQ(row.partIITotal, 120000);
  EXPECT_EQ(row.partIIITotal, 6120000);
  EXPECT_EQ(row.totalSupport, 6120000);
  EXPECT_EQ(row.disqualifiedGifts, 20000);
  EXPECT_EQ(row.largeNonDonationLimit, 500000);
  EXPECT_EQ(row.largeNonDonations, 5500000);
  EXPECT_EQ(row.notPublicSum, 5520000);
}

TEST_F(TotalsTest, LargeReceiptLimitIsTheGreaterOfFloorAndOnePercent) {
  struct Case {
    Amount support;
    Amount limit;
  } cases[] = {
    { 49999999, 500000 },   { 50000000, 500000 }, { 50000099, 500000 }, { 50000100, 500001 },
    { 123456789, 1234567 }, { -100, 500000 },     { 0, 500000 },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.support);
    resetLedger();
    latestFormYear = 2020;
    book(addSource("Gift", DONOR), 2019, 100);  // keeps a donation year when 2020 nets to 0
    book(addSource("Other", OTHER_INCOME), 2020, c.support);
    computeQuietly();
    EXPECT_EQ(formYearTable[0].totalSupport, c.support);
    EXPECT_EQ(formYearTable[0].largeNonDonationLimit, c.limit);
  }
}

TEST_F(TotalsTest, LargeReceiptsAreTestedPerSourceAndPerYear) {
  latestFormYear = 2020;
  // 2020: total support 100,000.00 + 10,000.00 + 5,000.01 + 5,000.00 = 120,000.01, limit 5,000.00.
  book(addSource("Gala", ADMISSIONS), 2020, 1000000);
  book(addSource("Shop", SALES), 2020, 500001);
  book(addSource("Fees", REVENUE), 2020, 500000);
  book(addSource("Rich", DONOR), 2020, 10000000);
  // 2019: total support 1,000,000.00, limit 10,000.00; the related business is over by 0.01.
  book(addSource("Clinic", NOT_UNRELATED), 2019, 1000001);
  book(addSource("Estate", DONOR), 2019, 98999999);
  computeQuietly();
  EXPECT_EQ(formYearTable[0].largeNonDonationLimit, 500000);
  EXPECT_EQ(formYearTable[0].largeNonDonations, 500000 + 1);
  EXPECT_EQ(formYearTable[0].notPublicSum, 500001);
  EXPECT_EQ(formYearTable[1].totalSupport, 100000000);
  EXPECT_EQ(formYearTable[1].largeNonDonationLimit, 1000000);
  EXPECT_EQ(formYearTable[1].largeNonDonations, 1);
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
  EXPECT_EQ(firstDonationYear, 2015);
  EXPECT_EQ(latestFormYear, 2020);
  EXPECT_EQ(numberOfYears, 6);
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    EXPECT_EQ(formYearTable[r].yearIndex, 120 - static_cast<long>(r));
    EXPECT_EQ(formYearTable[r].gifts, 1000 * (6 - static_cast<Amount>(r)));
  }
  // 2015's 10.00 is in the aggregates but outside the period.
  EXPECT_EQ(donorTable[0].fiveYearTotal, 2000 + 3000 + 4000 + 5000 + 6000);
  EXPECT_EQ(grandTotal, 21000);
  EXPECT_EQ(cumulativeTotals[115], 1000);
  EXPECT_EQ(cumulativeTotals[120], 21000);
}

TEST_F(TotalsTest, GivenYearStandsEvenAfterTheLastDonation) {
  latestFormYear = 2025;
  book(addSource("Ann", DONOR), 2020, 5000);
  const std::string out = capture(computeTotals);
  EXPECT_EQ(out, "!\n! Form 990 Schedule A Report is for year 2025\n");
  EXPECT_EQ(numberOfYears, 6);
  EXPECT_EQ(formYearTable[0].yearIndex, 125);
  EXPECT_EQ(formYearTable[4].yearIndex, 121);
  for (const FormYearRow& row : formYearTable) {
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
  EXPECT_EQ(firstDonationYear, -1);
  EXPECT_EQ(numberOfYears, 0);
  EXPECT_EQ(formYearTable[0].yearIndex, 0);
  EXPECT_EQ(officerCount, 1);  // bound by keyword without any amount
  EXPECT_EQ(officerTotal, 0);

  resetLedger();
  latestFormYear = 2020;
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
  EXPECT_EQ(firstDonationYear, 2018);
  EXPECT_EQ(latestFormYear, 2018);
  EXPECT_EQ(cumulativeTotals[119], 0);
  EXPECT_EQ(cumulativeTotals[118], 5000);
}

TEST_F(TotalsTest, OfficerGroupLeavesFamilyOut) {
  latestFormYear = 2020;
  book(addSource("Father", FAMILY), 2020, 100000);
  const int chair = addSource("Chair", OFFICER);
  book(chair, 2020, 3000);
  book(chair, 2018, 2000);
  addSource("Silent", TRUSTEE);
  computeQuietly();
  EXPECT_EQ(officerCount, 2);  // the chair and the silent trustee
  EXPECT_EQ(officerTotal, 5000);
  EXPECT_EQ(formYearTable[0].disqualifiedGifts, 103000);
  EXPECT_EQ(formYearTable[0].gifts, 103000);
  EXPECT_EQ(typeTotals[FAMILY], 100000);
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
  EXPECT_EQ(numberOfYears, 1);
  EXPECT_EQ(formYearTable[0].yearIndex, 0);
  EXPECT_EQ(formYearTable[0].gifts, 0);
  EXPECT_EQ(donorTable[0].fiveYearTotal, 0);

  resetLedger();
  book(addSource("Old", DONOR), 1905, 100);
  computeQuietly();
  EXPECT_EQ(errorCount, 0);
  EXPECT_EQ(formYearTable[0].yearIndex, 5);
  EXPECT_EQ(formYearTable[4].yearIndex, 1);
  EXPECT_EQ(formYearTable[0].gifts, 100);
}

TEST_F(TotalsTest, PeriodMustEndInsideTheYearTable) {
  book(addSource("Late", DONOR), 2155, 300);
  book(addSource("Late2", SALES), 2151, 900000);
  latestFormYear = 2155;
  computeQuietly();
  EXPECT_EQ(errorCount, 0);
  EXPECT_EQ(formYearTable[0].yearIndex, 255);
  EXPECT_EQ(formYearTable[0].gifts, 300);
  EXPECT_EQ(formYearTable[4].largeNonDonations, 400000);

  for (long year : { 2156L, 2147483647L }) {
    SCOPED_TRACE(year);
    resetLedger();
    book(addSource("Late", DONOR), 2155, 300);
    latestFormYear = year;
    const std::string out = capture(computeTotals);
    EXPECT_EQ(out, "!\n! Form 990 Schedule A Report is for year " + std::to_string(year) +
                       "\n? ERROR in calculations: " + std::to_string(year) +
                       " is too large for table of years\n    Can not print 990 information\n");
    EXPECT_EQ(errorCount, 1);
    EXPECT_EQ(numberOfYears, year - 2155 + 1);
    EXPECT_EQ(formYearTable[0].yearIndex, 0);
    EXPECT_EQ(formYearTable[0].gifts, 0);
    EXPECT_EQ(donorTable[0].fiveYearTotal, 0);
  }
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

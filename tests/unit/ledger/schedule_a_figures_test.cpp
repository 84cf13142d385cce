#include "ledger/schedule_a_figures.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iterator>
#include <utility>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/growing_list.hpp"
#include "ledger/source_type.hpp"
#include "ledger/substantial_contributors.hpp"
#include "ledger/totals.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

// The report sections' fixture: an empty ledger and entries written straight into the table.
using FiguresTest = ReportTest;

// Each type's amounts reach the raw line fields its row of kSourceTypes names, and no other; an
// unusual grant and a corrupted code reach none.
TEST_F(FiguresTest, EachSourceTypeFeedsItsScheduleLines) {
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
  for (int code = 0; code <= kSourceTypeCount; ++code) {
    const auto type = static_cast<SourceType>(code);
    const RowFields route = rowFieldsOf(type);
    SCOPED_TRACE(sourceTypeName(type));
    ASSERT_EQ(route.first == nullptr, code == kSourceTypeCount || code == UNUSUAL);
    resetLedger();
    ledgerTotals.latestFormYear = 2020;
    book(addSource("Source", type), 2020, 100000);
    computeQuietly();
    const ScheduleAFigures& f = figures();
    int fedFields = 0;
    for (Amount FormYearRow::*field : rawFields) {
      const bool fed = field != nullptr && (field == route.first || field == route.second);
      fedFields += fed ? 1 : 0;
      EXPECT_EQ(f.rows[0].*field, fed ? 100000 : 0);
      EXPECT_EQ(f.columnF.*field, fed ? 100000 : 0);
    }
    EXPECT_EQ(fedFields, route.first == nullptr ? 0 : (route.second != nullptr ? 2 : 1));
    EXPECT_EQ(donorTable[0].fiveYearTotal, 100000);
    EXPECT_EQ(f.rows[0].largeNonDonations, 0);  // 1,000.00 is far below the 5,000.00 floor
  }
}

TEST_F(FiguresTest, DerivedLinesFollowTheFormsSums) {
  ledgerTotals.latestFormYear = 2020;
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
  const ScheduleAFigures& f = figures();
  const FormYearRow& row = f.rows[0];
  EXPECT_EQ(row.yearIndex, 120);
  EXPECT_EQ(row.gifts, 51300);
  EXPECT_EQ(row.partIITotal, 51300 + 800 + 1600);
  EXPECT_EQ(row.twoPercentExcess, 0);  // column f only
  EXPECT_EQ(row.partIIPublicSupport, 0);
  EXPECT_EQ(row.partIILine7, row.partIITotal);
  EXPECT_EQ(row.partIILine9, 6400 + 12800);  // old businesses too
  EXPECT_EQ(row.partIITotalSupport, 53700 + 3200 + 19200 + 25600);
  EXPECT_EQ(row.partIIRelatedReceipts, 200 + 400);
  EXPECT_EQ(row.partIIITotal, 51300 + 200 + 400 + 800 + 1600);
  EXPECT_EQ(row.partIIILine9, row.partIIITotal);
  EXPECT_EQ(row.investmentAndUnrelated, 3200 + 6400);
  EXPECT_EQ(row.totalSupport, 54300 + 9600 + 12800 + 25600);
  EXPECT_EQ(row.disqualifiedGifts, 51200);
  EXPECT_EQ(row.notPublicSum, 51200);
  EXPECT_EQ(row.partIIIPublicSupport, 54300 - 51200);
  EXPECT_EQ(row.largeNonDonationLimit, 500000);
  // The limit is 2% of 1,017.00, 20.34: the trustee's 512.00 is over it by 491.66, Ann's 1.00 is
  // not, and column f's line 6 is line 4 less that.
  EXPECT_EQ(f.twoPercentLimit, 101700 / 50);
  EXPECT_EQ(f.columnF.twoPercentExcess, 51200 - 2034);
  EXPECT_EQ(f.columnF.partIIPublicSupport, 53700 - (51200 - 2034));
  ASSERT_EQ(f.giversOverLimit.count, 1u);
  EXPECT_EQ(f.giversOverLimit.items[0].index, 9u);
  EXPECT_EQ(f.giversOverLimit.items[0].fiveYearTotal, 51200);
  EXPECT_EQ(f.giversOverLimit.items[0].excess, 51200 - 2034);
  EXPECT_EQ(f.partTwoLine14.part, f.columnF.partIIPublicSupport);
  EXPECT_EQ(f.partTwoLine14.whole, 101700);
  EXPECT_EQ(f.partThreeLine15.part, 3100);
  EXPECT_EQ(f.partThreeLine17.part, 9600);
  EXPECT_EQ(f.partThreeLine17.whole, 102300);
  ASSERT_EQ(f.lineSevenA.count, 1u);
  EXPECT_EQ(f.lineSevenA.items[0].index, 9u);
  EXPECT_EQ(f.lineSevenA.items[0].counted[4], 51200);  // column (e)
  EXPECT_EQ(f.lineSevenA.items[0].total, 51200);
}

TEST_F(FiguresTest, WorkedRowUsesTheFiveThousandDollarFloor) {
  ledgerTotals.latestFormYear = 2020;
  book(addSource("Donor", DONOR), 2020, 100000);
  book(addSource("Officer", OFFICER), 2020, 20000);
  book(addSource("Store", SALES), 2020, 6000000);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  const FormYearRow& row = f.rows[0];
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

TEST_F(FiguresTest, LargeReceiptLimitIsTheGreaterOfFloorAndOnePercent) {
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
    ledgerTotals.latestFormYear = 2020;
    book(addSource("Gift", DONOR), 2019, 100);  // keeps a donation year when 2020 nets to 0
    book(addSource("Other", OTHER_INCOME), 2020, c.support);
    computeQuietly();
    const ScheduleAFigures& f = figures();
    EXPECT_EQ(f.rows[0].totalSupport, c.support);
    EXPECT_EQ(f.rows[0].largeNonDonationLimit, c.limit);
  }
}

TEST_F(FiguresTest, LargeReceiptsAreTestedPerSourceAndPerYear) {
  ledgerTotals.latestFormYear = 2020;
  // 2020: total support 100,000.00 + 10,000.00 + 5,000.01 + 5,000.00 = 120,000.01, limit 5,000.00.
  book(addSource("Gala", ADMISSIONS), 2020, 1000000);
  book(addSource("Shop", SALES), 2020, 500001);
  book(addSource("Fees", REVENUE), 2020, 500000);
  book(addSource("Rich", GOVERNMENT), 2020, 10000000);  // no substantial contributor on 7a
  // 2019: total support 1,000,000.00, limit 10,000.00; the related business is over by 0.01.
  const int clinic = addSource("Clinic", NOT_UNRELATED);
  book(clinic, 2019, 1000001);
  book(clinic, 2020, 500002);
  book(addSource("Estate", GOVERNMENT), 2019, 98999999);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  EXPECT_EQ(f.rows[0].largeNonDonationLimit, 500000);
  EXPECT_EQ(f.rows[0].largeNonDonations, 500000 + 1 + 2);
  EXPECT_EQ(f.rows[0].notPublicSum, 500003);
  EXPECT_EQ(f.rows[1].totalSupport, 100000000);
  EXPECT_EQ(f.rows[1].largeNonDonationLimit, 1000000);
  EXPECT_EQ(f.rows[1].largeNonDonations, 1);
  // The detail: one name per source over a limit, its excess in each year's column.
  ASSERT_EQ(f.lineSevenB.count, 3u);
  EXPECT_EQ(f.lineSevenB.items[0].index, 0u);
  EXPECT_EQ(f.lineSevenB.items[1].index, 1u);
  const DetailName& detail = f.lineSevenB.items[2];
  EXPECT_EQ(detail.index, static_cast<std::size_t>(clinic));
  EXPECT_EQ(detail.amount[3], 1000001);  // column (d): 2019
  EXPECT_EQ(detail.counted[3], 1);
  EXPECT_EQ(detail.amount[4], 500002);
  EXPECT_EQ(detail.counted[4], 2);
  EXPECT_EQ(detail.total, 3);
}

// One period's figures: government gifts are public support in both Parts and never limited;
// investment income and other income only add to total support.
struct PeriodAmounts {
  Amount gifts;
  Amount investment;
  Amount other;
};

// The current period is 2016 to 2020, the prior one 2015 to 2019: what differs is booked in 2020
// and in 2015. The first donation year is set, not booked, so a case may leave 2015 empty.
class FiguresCascadeTest : public ReportTest {
 protected:
  const ScheduleAFigures& figuresOf(bool firstFiveYears, PeriodAmounts now, PeriodAmounts prior) {
    resetLedger();
    const int city = addSource("City", GOVERNMENT);
    const int bank = addSource("Bank", INVESTMENT);
    const int misc = addSource("Misc", OTHER_INCOME);
    for (const auto& [year, amounts] : { std::pair{ 2020L, now }, std::pair{ 2015L, prior } }) {
      book(city, year, amounts.gifts);
      book(bank, year, amounts.investment);
      book(misc, year, amounts.other);
    }
    LedgerTotals totals{};
    totals.latestFormYear = 2020;
    totals.firstDonationYear = 2015;
    totals.numberOfYears = firstFiveYears ? 5 : 6;
    return keep(scheduleAFigures(totals, donorTable));
  }
};

TEST_F(FiguresCascadeTest, PartTwoChecksOneBoxAtExactBoundaries) {
  struct Case {
    bool firstFiveYears;
    Amount line6, line11, priorLine6, priorLine11;
    PartTwoBox box;
  } cases[] = {
    { true, 1, 3, 1, 3, PartTwoBox::line13 },
    { false, 1, 3, 0, 0, PartTwoBox::line16a },                 // exactly one third
    { false, 9999, 30000, 1, 3, PartTwoBox::line16b },          // a cent short; prior a third
    { false, 9999, 30000, 9999, 30000, PartTwoBox::line17a },   // short both years, over 10%
    { false, 1, 10, 0, 0, PartTwoBox::line17a },                // exactly one tenth
    { false, 9999, 100000, 1, 10, PartTwoBox::line17b },        // a cent short; prior a tenth
    { false, 9999, 100000, 9999, 100000, PartTwoBox::line18 },  // short of a tenth both years
    { false, 0, 0, 0, 0, PartTwoBox::line18 },                  // no total support
    { false, -1, 3, 5, -3, PartTwoBox::line18 },                // negative figures pass nothing
    { false, 5, -3, 1, 3, PartTwoBox::line16b },  // no percentage from negative support
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line6 << "/" << c.line11 << " prior " << c.priorLine6
                                    << "/" << c.priorLine11);
    const ScheduleAFigures& f = figuresOf(c.firstFiveYears, { c.line6, c.line11 - c.line6, 0 },
                                          { c.priorLine6, c.priorLine11 - c.priorLine6, 0 });
    EXPECT_EQ(f.partTwoBox, c.box);
    EXPECT_EQ(f.partTwoLine14.part, c.line6);
    // Total support below 0 has no percentage, as none has 0.
    EXPECT_EQ(f.partTwoLine14.whole, c.line11 < 0 ? 0 : c.line11);
    EXPECT_EQ(f.partTwoSupportBelowZero, c.line11 < 0);
    EXPECT_EQ(f.priorShown, !c.firstFiveYears);
    EXPECT_EQ(f.partTwoLine15.part, c.firstFiveYears ? 0 : c.priorLine6);
    EXPECT_EQ(f.partTwoLine15.whole, c.firstFiveYears || c.priorLine11 < 0 ? 0 : c.priorLine11);
  }
}

TEST_F(FiguresCascadeTest, PartThreeNeedsSupportOverAThirdAndInvestmentAtMostAThird) {
  struct Case {
    bool firstFiveYears;
    Amount line8, line10c, line13, priorLine8, priorLine10c, priorLine13;
    PartThreeBox box;
    bool investmentOverThird;
  } cases[] = {
    { true, 10001, 0, 30000, 10001, 0, 30000, PartThreeBox::line14, false },
    { false, 10001, 10000, 30000, 0, 0, 0, PartThreeBox::line19a, false },  // investment 1/3
    { false, 10001, 10001, 30000, 0, 0, 0, PartThreeBox::line20, true },    // a cent over
    { false, 10000, 0, 30000, 0, 0, 0, PartThreeBox::line20, false },       // support exactly 1/3
    { false, 10000, 0, 30000, 10001, 10000, 30000, PartThreeBox::line19b, false },
    { false, 10001, 10001, 30000, 10001, 10001, 30000, PartThreeBox::line20, true },
    { false, 0, 0, 0, 0, 0, 0, PartThreeBox::line20, false },
    { false, 10001, 0, -1, 10001, 0, 30000, PartThreeBox::line19b, false },  // negative support
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line8 << " " << c.line10c << " " << c.line13);
    const ScheduleAFigures& f =
        figuresOf(c.firstFiveYears, { c.line8, c.line10c, c.line13 - c.line8 - c.line10c },
                  { c.priorLine8, c.priorLine10c, c.priorLine13 - c.priorLine8 - c.priorLine10c });
    EXPECT_EQ(f.partThreeBox, c.box);
    EXPECT_EQ(f.current.partThreeInvestment, c.investmentOverThird);
    EXPECT_EQ(f.partThreeSupportBelowZero, c.line13 < 0);
    EXPECT_EQ(f.partThreeLine15.whole, c.line13 < 0 ? 0 : c.line13);
    EXPECT_EQ(f.partThreeLine17.part, c.line10c);
    EXPECT_EQ(f.partThreeLine18.part, c.firstFiveYears ? 0 : c.priorLine10c);
  }
}

// The prior year is the same computation over the five years ending a year earlier: its own
// rows and its own two percent limit.
TEST_F(FiguresTest, PriorYearIsThePeriodEndingOneYearEarlier) {
  bookLargeGiftBeforeThePeriod();
  computeQuietly();
  const ScheduleAFigures& f = figures();
  ASSERT_TRUE(f.priorShown);
  EXPECT_EQ(f.lastYear, 2020);
  // 2016 to 2020: the city alone. 2015 to 2019: the city and the large gift, of which all but
  // two percent of 15,000.00 is over the limit.
  EXPECT_EQ(f.columnF.partIITotalSupport, 500000);
  EXPECT_EQ(f.columnF.twoPercentExcess, 0);
  EXPECT_TRUE(f.giversOverLimit.empty());
  EXPECT_EQ(f.priorColumnF.partIITotalSupport, 1500000);
  EXPECT_EQ(f.priorColumnF.twoPercentExcess, 1000000 - 30000);
  EXPECT_EQ(f.priorColumnF.partIIPublicSupport, 530000);
  EXPECT_EQ(f.partTwoBox, PartTwoBox::line16a);
  // The report's own period is untouched by the prior year's computation.
  EXPECT_EQ(donorTable[1].fiveYearTotal, 0);
  EXPECT_EQ(f.rows[0].yearIndex, 120);
}

// The form enters 0 for a year whose unrelated businesses lost money: Part II line 9 on the
// sum of both kinds, Part III lines 10b and 11 each on its own. The losses of the period's years
// are listed, oldest first; the prior year's sixth year is entered the same way, unlisted.
TEST_F(FiguresTest, UnrelatedBusinessLossesEnterZeroYearByYear) {
  book(addSource("Founder", DONOR), 2014, 100);
  const int cafe = addSource("Cafe", UNRELATED);
  const int mill = addSource("Mill", OLD_BUSINESS);
  book(cafe, 2015, -500);
  book(cafe, 2018, 50);
  book(mill, 2018, -20);
  book(cafe, 2020, -100);
  book(mill, 2020, 30);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  ASSERT_TRUE(f.priorShown);
  const struct {
    long year;
    const char* part;
    const char* line;
    Amount sum;
  } losses[] = { { 2018, "III", "11", -20 },
                 { 2020, "II", "9", -70 },
                 { 2020, "III", "10b", -100 } };
  ASSERT_EQ(f.netLossCount, std::size(losses));
  for (std::size_t i = 0; i < f.netLossCount; ++i) {
    EXPECT_EQ(f.netLosses[i].year, losses[i].year) << i;
    EXPECT_STREQ(f.netLosses[i].part, losses[i].part) << i;
    EXPECT_STREQ(f.netLosses[i].line, losses[i].line) << i;
    EXPECT_EQ(f.netLosses[i].sum, losses[i].sum) << i;
  }
  EXPECT_EQ(f.rows[0].partIILine9, 0);
  EXPECT_EQ(f.rows[0].unrelatedIncome, 0);
  EXPECT_EQ(f.rows[0].oldBusinessIncome, 30);
  EXPECT_EQ(f.rows[2].partIILine9, 30);
  EXPECT_EQ(f.rows[2].unrelatedIncome, 50);
  EXPECT_EQ(f.rows[2].oldBusinessIncome, 0);
  EXPECT_EQ(f.columnF.partIILine9, 30);
  EXPECT_EQ(f.columnF.partIITotalSupport, 30);
  EXPECT_EQ(f.columnF.investmentAndUnrelated, 50);
  EXPECT_EQ(f.columnF.totalSupport, 80);
  EXPECT_EQ(f.priorColumnF.unrelatedIncome, 50);  // 2015's loss enters 0
  EXPECT_EQ(f.priorColumnF.partIILine9, 30);
}

// Before the organization's first tax year nothing counts: not in the rows, the prior year, the
// two percent limit, the five-year totals or the lines 7a and 7b details. Its gifts still make a
// substantial contributor, whose later amounts are on line 7a.
TEST_F(FiguresTest, AmountsBeforeTheFirstTaxYearAreInNoFigure) {
  setFirstTaxYear(2018);
  const int ann = addSource("Ann", DONOR);
  book(ann, 2017, 1000000);
  book(ann, 2019, 100);
  book(addSource("Chair", OFFICER), 2017, 500);
  book(addSource("Shop", SALES), 2016, 1000000);
  const int city = addSource("City", GOVERNMENT);
  for (long year = 2015; year <= 2020; ++year) {
    book(city, year, 1000);
  }
  computeQuietly();
  const ScheduleAFigures& f = figures();
  EXPECT_EQ(ledgerTotals.numberOfYears, 3);
  EXPECT_TRUE(f.firstFiveYears);
  EXPECT_EQ(f.rows[3].gifts, 0);               // 2017
  EXPECT_EQ(f.rows[4].admissionsAndSales, 0);  // 2016
  EXPECT_EQ(f.columnF.gifts, 3100);
  EXPECT_EQ(f.twoPercentLimit, 62);
  ASSERT_EQ(f.giversOverLimit.count, 1u);
  EXPECT_EQ(f.giversOverLimit.items[0].fiveYearTotal, 100);
  EXPECT_EQ(donorTable[0].fiveYearTotal, 100);
  // Ann's 10,000.00 of 2017 is over $5,000 and 2% of the 10,035.00 given to date.
  ASSERT_EQ(f.lineSevenA.count, 1u);
  EXPECT_EQ(f.lineSevenA.items[0].index, 0u);
  EXPECT_EQ(f.lineSevenA.items[0].substantialFrom, 2017);
  EXPECT_EQ(f.lineSevenA.items[0].counted[3], 100);  // 2019
  EXPECT_EQ(f.lineSevenA.items[0].total, 100);
  EXPECT_EQ(f.rows[1].disqualifiedGifts, 100);
  EXPECT_TRUE(f.lineSevenB.empty());

  // Were the organization older, its prior year would leave out the years before 2018 too.
  LedgerTotals older = ledgerTotals;
  older.numberOfYears = 6;
  const ScheduleAFigures& prior = keep(scheduleAFigures(older, donorTable));
  ASSERT_TRUE(prior.priorShown);
  EXPECT_EQ(prior.priorColumnF.gifts, 2100);
}

// A name becomes a substantial contributor in the first year its gifts to date pass both $5,000
// and 2% of every line 1 contribution to date: each row books the name's gifts and the others'
// (a government unit's) in 2018 to 2020, with the report's year 2020.
TEST_F(FiguresTest, SubstantialContributorYearByYear) {
  struct Case {
    const char* why;
    SourceType type;
    std::array<Amount, 3> own;     // 2018, 2019, 2020
    std::array<Amount, 3> others;  // the same years
    long year;                     // -1: none
  } cases[] = {
    { "exactly $5,000 does not exceed it", DONOR, { 500000, 0, 0 }, { 100, 0, 0 }, -1 },
    { "a cent more does", DONOR, { 500001, 0, 0 }, { 100, 0, 0 }, 2018 },
    { "gifts to date add up", DONOR, { 250000, 250001, 0 }, { 100, 0, 0 }, 2019 },
    { "exactly 2% does not exceed it", DONOR, { 600000, 0, 0 }, { 29400000, 0, 0 }, -1 },
    { "a cent less of the others' and it does", DONOR, { 600000, 0, 0 }, { 29399999, 0, 0 }, 2018 },
    { "the others' refunds can make it one later",
      DONOR,
      { 600000, 0, 0 },
      { 40000000, -20000000, 0 },
      2019 },
    { "a later refund does not end it", DONOR, { 600000, -200000, 100000 }, { 100, 0, 0 }, 2018 },
    { "an advisor of a fund can be one", DAFDONOR, { 600000, 0, 0 }, { 100, 0, 0 }, 2018 },
    { "a fund cannot", DAF, { 600000, 0, 0 }, { 100, 0, 0 }, -1 },
    { "an officer is disqualified already", OFFICER, { 600000, 0, 0 }, { 100, 0, 0 }, -1 },
    { "a government unit never is", GOVERNMENT, { 600000, 0, 0 }, { 100, 0, 0 }, -1 },
    { "an unusual grant counts on no line", UNUSUAL, { 600000, 0, 0 }, { 100, 0, 0 }, -1 },
    { "a gift after the report's year is not looked at", DONOR, { 0, 0, 0 }, { 100, 0, 0 }, -1 },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    resetLedger();
    const int name = addSource("Name", c.type);
    const int city = addSource("City", GOVERNMENT);
    for (std::size_t y = 0; y < 3; ++y) {
      if (c.own[y] != 0) {
        book(name, 2018 + static_cast<long>(y), c.own[y]);
      }
      if (c.others[y] != 0) {
        book(city, 2018 + static_cast<long>(y), c.others[y]);
      }
    }
    book(name, 2021, 10000000);  // after the report's year
    ledgerTotals.latestFormYear = 2020;
    computeQuietly();
    const ContributionsToDate toDate = contributionsToDate(donorTable, 2, 2018, 2020);
    const long index = substantialContributorYear(donorTable[0], toDate);
    EXPECT_EQ(index < 0 ? -1 : index + kBaseYear, c.year);
    // The figures agree: its gifts from that year on are on line 7a.
    const ScheduleAFigures& f = figures();
    Amount onLineSevenA = 0;
    for (long year = c.year; c.year >= 0 && year <= 2020; ++year) {
      onLineSevenA += c.own[static_cast<std::size_t>(year - 2018)];
    }
    EXPECT_EQ(f.columnF.disqualifiedGifts, isExcludedGiver(c.type) ? 600000 : onLineSevenA);
  }
  // A year whose amounts cancel out is no year of the lists: its gifts count for nothing.
  resetLedger();
  const int name = addSource("Name", DONOR);
  const int city = addSource("City", GOVERNMENT);
  book(name, 2017, 600000);
  book(city, 2017, -600000);
  book(name, 2018, 100);
  book(city, 2018, 100);
  ledgerTotals.latestFormYear = 2020;
  computeQuietly();
  EXPECT_EQ(ledgerTotals.firstDonationYear, 2018);
  EXPECT_EQ(
      substantialContributorYear(donorTable[0], contributionsToDate(donorTable, 2, 2018, 2020)),
      -1);
  EXPECT_EQ(figures().contributorLines.count, 0u);
}

// Unusual grants are left out of every line of both Parts, and of the contributions a
// substantial contributor's gifts are compared with, and are listed by year.
TEST_F(FiguresTest, UnusualGrantsGoToNoLineAndAreListedByYear) {
  const int estate = addSource("Estate", UNUSUAL);
  const int grant = addSource("Capital grant", UNUSUAL);
  book(estate, 2019, 40000000);
  book(grant, 2019, 100000);
  book(grant, 2020, 200000);
  book(grant, 2015, 999);  // before the period
  book(addSource("Ann", DONOR), 2019, 600000);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  EXPECT_EQ(f.columnF.gifts, 600000);
  EXPECT_EQ(f.columnF.totalSupport, 600000);
  EXPECT_EQ(f.twoPercentLimit, 12000);
  EXPECT_EQ(f.unusualByColumn, (std::array<Amount, kFormYears>{ 0, 0, 0, 40100000, 200000 }));
  ASSERT_EQ(f.unusualGrants.count, 2u);
  EXPECT_EQ(f.unusualGrants.items[0].index, static_cast<std::size_t>(estate));
  EXPECT_EQ(f.unusualGrants.items[1].amount[4], 200000);
  // Ann's 6,000.00 is all the lists' contributions: she is a substantial contributor of 2019.
  ASSERT_EQ(f.contributorLines.count, 1u);
  EXPECT_EQ(f.contributorLines.items[0].substantialFrom, 2019);
}

// Related names are one giver for the two percent limit: the group's five-year total is tested
// once, where its first member stands, and its other members with an amount are listed with it.
TEST_F(FiguresTest, RelatedNamesAreOneGiverForTheTwoPercentLimit) {
  const int low = addSource("Low", DONOR);  // a group under the limit, before the one over it
  const int lower = addSource("Lower", DONOR);
  ASSERT_TRUE(relateDonors(low, lower, 1));
  book(low, 2020, 100);
  book(lower, 2020, 100);
  const int city = addSource("City", GOVERNMENT);
  const int john = addSource("John", DONOR);
  const int mary = addSource("Mary", FAMILY);
  const int shop = addSource("Shop", DONOR);
  const int quiet = addSource("Quiet", DONOR);
  const int alone = addSource("Alone", DONOR);
  for (const int member : { shop, john, mary, quiet }) {
    ASSERT_TRUE(relateDonors(member, john, 1));
  }
  book(city, 2020, 9000000);
  book(john, 2020, 150000);
  book(mary, 2020, 150000);
  book(shop, 2019, 150000);
  book(quiet, 2014, 50);  // before the period: no five-year amount
  book(alone, 2020, 150000);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  // 96,002.00 of total support: a limit of 1,920.04 that none is over alone.
  EXPECT_EQ(f.twoPercentLimit, 192004);
  ASSERT_EQ(f.giversOverLimit.count, 1u);
  const GiverOverLimit& group = f.giversOverLimit.items[0];
  EXPECT_EQ(group.index, static_cast<std::size_t>(john));
  EXPECT_EQ(group.related, 3u);
  EXPECT_EQ(group.fiveYearTotal, 450000);
  EXPECT_EQ(group.excess, 450000 - 192004);
  EXPECT_EQ(f.columnF.twoPercentExcess, 450000 - 192004);
  ASSERT_EQ(group.memberCount, 2u);
  EXPECT_EQ(f.giverMembers.items[group.firstMember].index, static_cast<std::size_t>(mary));
  EXPECT_EQ(f.giverMembers.items[group.firstMember + 1].index, static_cast<std::size_t>(shop));
  // A member bound to a type that cannot be related leaves; the others stay one group.
  EXPECT_TRUE(bindSourceType(john, 2, CHARITY));
  const ScheduleAFigures& without = figures();
  ASSERT_EQ(without.giversOverLimit.count, 1u);
  EXPECT_EQ(without.giversOverLimit.items[0].index, static_cast<std::size_t>(mary));
  EXPECT_EQ(without.giversOverLimit.items[0].related, 2u);
  EXPECT_EQ(without.giversOverLimit.items[0].fiveYearTotal, 300000);
}

// A substantial contributor's group is disqualified with it, from the first year one of its
// members became one: its other members are listed under the group's first substantial
// contributor, wherever they stand in the table; a member disqualified by its keyword stays so.
TEST_F(FiguresTest, ASubstantialContributorsGroupIsOnLineSevenAFromItsYear) {
  const int company = addSource("Company", DONOR);
  const int ruth = addSource("Ruth", DONOR);
  const int husband = addSource("Husband", FAMILY);
  const int son = addSource("Son", DONOR);
  const int patron = addSource("Patron", DONOR);
  const int friendOfPatron = addSource("Friend", DONOR);
  const int city = addSource("City", GOVERNMENT);
  for (const int member : { company, husband, son }) {
    ASSERT_TRUE(relateDonors(member, ruth, 1));
  }
  ASSERT_TRUE(relateDonors(friendOfPatron, patron, 1));
  for (long year = 2016; year <= 2020; ++year) {
    book(city, year, 10000000);
    book(company, year, 10000);
    book(husband, year, 1000);
  }
  book(ruth, 2016, 100);
  book(ruth, 2018, 3000000);  // 30,001.00 of 340,337.00 to date: one from 2018
  book(son, 2019, 2000000);   // one himself from 2019, counted with the group from 2018
  book(son, 2018, 100);
  book(patron, 2015, 1000000);  // one from 2015, with nothing in the period
  book(friendOfPatron, 2017, 500);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  // Line 7a by column, 2016 to 2020: the husband's every year, the company from 2018, the
  // friend's 5.00 of 2017 as the patron's group's.
  EXPECT_EQ(f.rows[4].disqualifiedGifts, 1000);
  EXPECT_EQ(f.rows[3].disqualifiedGifts, 1000 + 500);
  EXPECT_EQ(f.rows[2].disqualifiedGifts, 1000 + 10000 + 3000000 + 100);
  EXPECT_EQ(f.rows[1].disqualifiedGifts, 1000 + 10000 + 2000000);
  EXPECT_EQ(f.rows[0].disqualifiedGifts, 1000 + 10000);
  const struct {
    int index;
    long year;
  } lines[] = {
    { ruth, 2018 }, { company, -1 }, { son, 2019 }, { patron, 2015 }, { friendOfPatron, -1 }
  };
  ASSERT_EQ(f.contributorLines.count, std::size(lines));
  for (std::size_t i = 0; i < std::size(lines); ++i) {
    EXPECT_EQ(f.contributorLines.items[i].index, static_cast<std::size_t>(lines[i].index)) << i;
    EXPECT_EQ(f.contributorLines.items[i].substantialFrom, lines[i].year) << i;
  }
  // The patron is listed for his friend's amount, though he has none of his own in the period.
  EXPECT_EQ(f.substantialContributorCount, 3u);
  ASSERT_EQ(f.lineSevenA.count, 5u);
  EXPECT_EQ(f.lineSevenA.items[0].disqualified, Disqualified::relatedToContributor);
  EXPECT_EQ(f.lineSevenA.items[0].counted[1], 0);  // 2017: before the group's year
  EXPECT_EQ(f.lineSevenA.items[0].total, 30000);
  EXPECT_EQ(f.lineSevenA.items[2].disqualified, Disqualified::byType);
  EXPECT_EQ(f.lineSevenA.items[3].substantialFrom, 2019);
  EXPECT_EQ(f.lineSevenA.items[3].counted[2], 100);  // 2018, with the group
}

// A period ending in 1905 is in the table; the one ending a year earlier is not, so its figures
// stay empty although they are shown.
TEST_F(FiguresTest, PriorPeriodBeforeTheTableIsEmpty) {
  book(addSource("Early", GOVERNMENT), 1900, 100);
  book(addSource("Later", GOVERNMENT), 1905, 300);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  EXPECT_TRUE(f.periodComputed);
  EXPECT_TRUE(f.priorShown);
  EXPECT_EQ(f.columnF.gifts, 300);
  EXPECT_EQ(f.priorColumnF.gifts, 0);
  EXPECT_EQ(f.partTwoLine15.whole, 0);
  EXPECT_EQ(f.partTwoBox, PartTwoBox::line16a);
}

// The figures' lists keep every item in order past their first block; a list whose next size
// would overflow is refused and left as it was.
TEST(GrowingListTest, GrowsInOrderAndRefusesASizeThatWouldOverflow) {
  GrowingList<int> list;
  for (int i = 0; i < 40; ++i) {
    EXPECT_TRUE(pushItem(list, i));
  }
  ASSERT_EQ(list.count, 40u);
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(list.items[i], i);
  }
  EXPECT_FALSE(list.cut);
  releaseItems(list);
  EXPECT_TRUE(list.empty());

  struct Huge {
    unsigned char bytes[SIZE_MAX / 8];
  };
  GrowingList<Huge> huge;
  EXPECT_FALSE(makeRoom(huge));
  EXPECT_TRUE(huge.cut);
  EXPECT_EQ(huge.items, nullptr);
  EXPECT_EQ(huge.room, 0u);
}

}  // namespace

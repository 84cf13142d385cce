#include "report/schedule_a.hpp"

#include <gtest/gtest.h>

#include <string>

#include "ledger/schedule_a_figures.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "report/report_options.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

class ScheduleATest : public ReportTest {
 protected:
  // The section printed from the ledger's figures.
  std::string scheduleA(int verbosity = 0) {
    const ScheduleAFigures& f = figures();
    return capture([&f, verbosity] { printScheduleA(f, donorTable, ReportOptions{ verbosity }); });
  }
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ScheduleATest, NoDonationsEndsAfterTheHeading) {
  computeQuietly();
  EXPECT_EQ(scheduleA(),
            "! FORM 990 INFORMATION Part II 509(a)(1)\n"
            "!   no donations at all\n");
}

// Government gifts are never limited, so line 6 is exactly the gifts and line 11 adds the
// investment income: the verdicts turn on exact fractions.
TEST_F(ScheduleATest, PartTwoTestsCompareExactFractions) {
  struct Case {
    Amount gifts;
    Amount investment;
    const char* percent;
    bool passes16a;
    bool passes17a;
  } cases[] = {
    { 30000, 60000, "   33.3%", true, true },   // exactly one third
    { 29999, 60000, "   33.3%", false, true },  // a cent short of one third
    { 10000, 90000, "   10.0%", false, true },  // exactly one tenth
    { 9999, 90000, "    9.9%", false, false },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gifts);
    resetLedger();
    book(addSource("City", GOVERNMENT), 2020, c.gifts);
    book(addSource("Bank", INVESTMENT), 2020, c.investment);
    computeQuietly();
    const std::string out = scheduleA();
    EXPECT_TRUE(contains(out, std::string("!       Part II line 14            ") + c.percent +
                                  " (public support percentage)\n"));
    EXPECT_EQ(contains(out, "!       Part II line 16a support         OK (check the box)\n"),
              c.passes16a);
    EXPECT_EQ(contains(out, "!       Part II line 16a (33.3% support) FAILED"), !c.passes16a);
    EXPECT_EQ(contains(out, "!       Part II line 17a (10% support) OK (check the box)\n"),
              !c.passes16a && c.passes17a);
    EXPECT_EQ(contains(out, "!       Part II line 17a (10% support) FAILED"), !c.passes17a);
  }
}

// Part II line 9 is net income from every unrelated business activity, old businesses too;
// leaving them out would overstate the public support percentage.
TEST_F(ScheduleATest, PartTwoLineNineIncludesOldBusinessIncome) {
  book(addSource("Ann Lee", DONOR), 2020, 100000);
  book(addSource("Shop", UNRELATED), 2020, 30000);
  book(addSource("Old Mill", OLD_BUSINESS), 2019, 70000);
  computeQuietly();
  const std::string out = scheduleA();
  EXPECT_TRUE(contains(out, "!            Part II line 9 column e      $300.00\n"));
  EXPECT_TRUE(contains(out, "!            Part II line 9 column d      $700.00\n"));
  EXPECT_TRUE(contains(out, "!            Part II line  9 column f     $1000.00\n"));
  EXPECT_TRUE(contains(out, "!       Part II line 11 column f     $2000.00 (total support)\n"));
  EXPECT_TRUE(contains(out, "!       Part III line  11 column f      $700.00\n"));
}

TEST_F(ScheduleATest, PartThreeNeedsMoreThanAThirdAndLimitedInvestment) {
  struct Case {
    SourceType otherType;
    Amount gifts;
    Amount other;
    const char* line17;
    bool passes;
    bool investmentNote;
  } cases[] = {
    { INVESTMENT, 20000, 10000, "       33.3%", true, false },     // investment exactly a third
    { INVESTMENT, 20000, 10001, "       33.3%", false, true },     // investment a cent over
    { OTHER_INCOME, 10000, 20000, "        0.0%", false, false },  // support exactly a third
    { UNRELATED, 10000, 5000, "       33.3%", true, false },       // line 10c includes unrelated
    { UNRELATED, 10000, 5001, "       33.3%", false, true },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.other);
    resetLedger();
    book(addSource("City", GOVERNMENT), 2020, c.gifts);
    book(addSource("Other", c.otherType), 2020, c.other);
    computeQuietly();
    const std::string out = scheduleA();
    EXPECT_TRUE(contains(out, std::string("!       Part III line 17 column f ") + c.line17 +
                                  " (investment income percentage)\n"))
        << out;
    EXPECT_EQ(contains(out, "!       Part III line 19a 33% support        OK (check the box)\n"),
              c.passes);
    EXPECT_EQ(
        contains(out, "!       Part III line 19a support       FAILED (do not check the box)\n"),
        !c.passes);
    EXPECT_EQ(contains(out,
                       "!         Investment income is more than 33 1/3% of total support "
                       "(line 17)\n"),
              c.investmentNote);
  }
}

TEST_F(ScheduleATest, ZeroTotalSupportFailsEveryTest) {
  ledgerTotals.latestFormYear = 2010;  // a period that ends before the first donation
  book(addSource("Ann", DONOR), 2020, 10000);
  computeQuietly();
  const std::string out = scheduleA();
  EXPECT_TRUE(contains(out, "!       Part II line 14                  -- (public support"));
  EXPECT_TRUE(contains(out, "!       Part II line 17a (10% support) FAILED"));
  EXPECT_TRUE(contains(out, "!       Part III line 15 column f           -- (public support"));
  EXPECT_TRUE(contains(out, "!       Part III line 19a support       FAILED"));
  EXPECT_FALSE(contains(out, "Investment income is more"));
  // numberOfYears is negative here, which still counts as the first five years.
  EXPECT_TRUE(contains(out, "!       Part II line 13            check the box"));
}

// The report's verdict lines name the box the figures check: 16b in place of 17a, 17b after a
// failed 17a, 19b after a failed 19a. The current period is 2016 to 2020, the prior one 2015 to
// 2019: what differs is booked in 2020 and in 2015.
TEST_F(ScheduleATest, VerdictsNameThePriorYearBoxTheFormChecks) {
  const struct {
    Amount gifts, investment, priorGifts, priorInvestment;
    const char* verdicts;
  } cases[] = {
    { 1000, 3000, 1000, 0,
      "!       Part II line 16a (33.3% support) FAILED (do not check the box)\n"
      "!       Part II line 16b (33.3% support, prior year) OK (check the box)\n"
      "!       Part III line 19a support       FAILED (do not check the box)\n"
      "!       Part III line 19b (more than 33.3% support, prior year) OK (check the box)\n" },
    { 999, 9001, 1000, 9000,
      "!       Part II line 16a (33.3% support) FAILED (do not check the box)\n"
      "!       Part II line 17a (10% support) FAILED (do not check the box)\n"
      "!       Part II line 17b (10% support, prior year) OK (check the box)\n"
      "!       Part III line 19a support       FAILED (do not check the box)\n" },
    { 1000, 1000, 1000, 0,
      "!       Part II line 16a support         OK (check the box)\n"
      "!       Part III line 19a support       FAILED (do not check the box)\n"
      "!         Investment income is more than 33 1/3% of total support (line 17)\n"
      "!       Part III line 19b (more than 33.3% support, prior year) OK (check the box)\n" },
    { 100, 9900, 100, 9900,
      "!       Part II line 16a (33.3% support) FAILED (do not check the box)\n"
      "!       Part II line 17a (10% support) FAILED (do not check the box)\n"
      "!       Part III line 19a support       FAILED (do not check the box)\n" },
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gifts);
    resetLedger();
    const int city = addSource("City", GOVERNMENT);
    const int bank = addSource("Bank", INVESTMENT);
    book(city, 2020, c.gifts);
    book(bank, 2020, c.investment);
    book(city, 2015, c.priorGifts);
    book(bank, 2015, c.priorInvestment);
    computeQuietly();
    std::string verdicts;
    const std::string out = scheduleA();
    for (std::size_t at = 0, end = 0; at < out.size(); at = end + 1) {
      end = out.find('\n', at);
      const std::string line = out.substr(at, end - at + 1);
      for (const char* label : { "line 16", "line 17a", "line 17b", "line 19", "Investment" }) {
        if (contains(line, label) && !contains(line, "column")) {
          verdicts += line;
          break;
        }
      }
    }
    EXPECT_EQ(verdicts, c.verdicts);
  }
}

TEST_F(ScheduleATest, TwoPercentLimitCountsOnlyTheExcessOfTestedGivers) {
  // Total support 1,000,000.00: the limit is 20,000.00.
  book(addSource("Over", DONOR), 2020, 2000001);
  book(addSource("AtLimit", DONOR), 2020, 2000000);
  book(addSource("State", GOVERNMENT), 2020, 5000000);
  book(addSource("Foundation", CHARITY), 2019, 90999999);
  computeQuietly();
  const std::string out = scheduleA(2);
  EXPECT_TRUE(contains(out,
                       "!\n"
                       "!   TWO PERCENT LIMIT calculation \n"
                       "!     $20000.00 is two percent of all donations\n"
                       "!         Donor[0] Over has total donations $20000.01\n"
                       "!                $0.01 of which exceeds the 5 year two percent limit\n"
                       "!\n"
                       "!   COLUMN F contains sums for all 5 years\n"))
      << out;
  EXPECT_TRUE(contains(out, "!       Part II line  5 column f        $0.01 (exceeds 2 percent)\n"));
  EXPECT_TRUE(contains(out, "!       Part II line  6 column f   $999999.99 (public support)\n"));

  const std::string quiet = scheduleA();
  EXPECT_FALSE(contains(quiet, "TWO PERCENT"));
  EXPECT_TRUE(
      contains(quiet, "!       Part II line  5 column f        $0.01 (exceeds 2 percent)\n"));
}

// The warning and its two lines of advice are one message: with the longest name the table
// stores, none of it may be cut.
TEST_F(ScheduleATest, DafGroupOverTheLimitIsWarnedInFull) {
  const std::string name(kDonorNameSize - 1, 'D');
  book(addSource(name.c_str(), DAF), 2020, 100000);
  book(addSource("State", GOVERNMENT), 2020, 100000);
  computeQuietly();
  const std::string out = scheduleA();
  EXPECT_TRUE(contains(
      out, "% WARNING: !         DAF donor group [0] " + name +
               " exceeded the two percent limit.\n"
               "!             This may not be correct, it should only occur if one doner in the "
               "group\n"
               "!             exceeded the limit not the whole group. Make that advisor a unique "
               "group.\n"))
      << out;
  EXPECT_EQ(warningCount, 1);
}

TEST_F(ScheduleATest, IncomeLinesFollowTheYearBlocks) {
  book(addSource("Ann", GOVERNMENT), 2020, 10000);
  book(addSource("Bank", INVESTMENT), 2016, 5000);
  book(addSource("Cafe", UNRELATED), 2018, 700);
  book(addSource("Misc", OTHER_INCOME), 2020, -300);
  computeQuietly();
  const std::string out = scheduleA();
  EXPECT_TRUE(contains(out,
                       "!       2016\n"
                       "!            Part II line 4 column a        $0.00\n"
                       "!            Part II line 8 column a       $50.00\n"
                       "!            Part II line 9 column c        $7.00\n"
                       "!            Part II line 10 column e       -$3.00\n"
                       "!\n"
                       "!   COLUMN F"))
      << out;
  // A negative other-income sum is shown in Part II but left out of Part III's column f.
  EXPECT_TRUE(contains(out, "!            Part II line 10 column f       -$3.00\n"));
  EXPECT_FALSE(contains(out, "Part III line  12 column f"));
  EXPECT_TRUE(contains(out, "!       Part III line 13 column f      $154.00 (total support)\n"));
  EXPECT_TRUE(contains(out, "!           Part III line 12 column e      -$3.00\n"));
}

}  // namespace

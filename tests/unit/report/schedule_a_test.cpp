#include "report/schedule_a.hpp"

#include <gtest/gtest.h>

#include <string>

#include "ledger/source_type.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

using ScheduleATest = ReportTest;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ScheduleATest, NoDonationsEndsAfterTheHeading) {
  computeQuietly();
  EXPECT_EQ(capture(printScheduleA),
            "! FORM 990 INFORMATION Part II 509(a)(1)\n"
            "!   no donations at all\n");
}

// One donor, one year: every always-printed line, the empty columns and both verdict styles.
TEST_F(ScheduleATest, OneDonorInOneYearPrintsTheWholeLayout) {
  book(addSource("Ann", DONOR), 2020, 10000);
  computeQuietly();
  std::string expected =
      "! FORM 990 INFORMATION Part II 509(a)(1)\n"
      "!       2020\n"
      "!            Part II line 1 column e      $100.00\n"
      "!            Part II line 4 column e      $100.00\n"
      "!            Part II line 7 column e      $100.00 (from line 4)\n";
  const char* older[] = { "2019", "d", "2018", "c", "2017", "b", "2016", "a" };
  for (int k = 0; k < 8; k += 2) {
    expected += std::string("!       ") + older[k] + "\n";
    expected +=
        std::string("!            Part II line 4 column ") + older[k + 1] + "        $0.00\n";
  }
  // Two percent of 100.00 is 2.00: Ann's 98.00 above it is not public support.
  expected +=
      "!\n"
      "!   COLUMN F contains sums for all 5 years\n"
      "!       Part II line  1 column f      $100.00\n"
      "!       Part II line  4 column f      $100.00\n"
      "!       Part II line  5 column f       $98.00 (exceeds 2 percent)\n"
      "!       Part II line  6 column f        $2.00 (public support)\n"
      "!       Part II line  7 column f      $100.00 (from line 4)\n"
      "!       Part II line 11 column f      $100.00 (total support)\n"
      "!       Part II line 13            check the box (first 5 years)\n"
      "!         The remainder of Part II is for reference only.\n"
      "!         The organization is less than 6 years old\n"
      "!       Part II line 14                2.0% (public support percentage)\n"
      "!       Part II line 16a (33.3% support) FAILED (do not check the box)\n"
      "!       Part II line 17a (10% support) FAILED (do not check the box)\n"
      "!\n"
      "!\n"
      "! FORM 990 INFORMATION Part III 509(a)(2)\n"
      "!       2020\n"
      "!           Part III line  1 column e     $100.00\n"
      "!           Part III line  6 column e     $100.00\n"
      "!           Part III line  9 column e     $100.00 (copy of line 6)\n"
      "!           Part III line 13 column e     $100.00\n";
  for (int k = 0; k < 8; k += 2) {
    expected += std::string("!       ") + older[k] + "\n";
    expected +=
        std::string("!           Part III line  1 column ") + older[k + 1] + "       $0.00\n";
  }
  expected +=
      "!\n"
      "!   COLUMN F contains sums for all 5 years\n"
      "!       Part III line  1 column f      $100.00 (Gifts, Grants etc.)\n"
      "!       Part III line  6 column f      $100.00 (Total Support)\n"
      "!       Part III line  8 column f      $100.00 (public support)\n"
      "!       Part III line  9 column f      $100.00 (copy line 6)\n"
      "!       Part III line 13 column f      $100.00 (total support)\n"
      "!       Part III line 14             check the box (first 5 years)\n"
      "!         The remainder of Part III is for reference only.\n"
      "!         The organization is less than 6 years old\n"
      "!       Part III line 15 column f       100.0% (public support percentage)\n"
      "!       Part III line 17 column f         0.0% (investment income percentage)\n"
      "!       Part III line 19a 33% support        OK (check the box)\n";
  EXPECT_EQ(capture(printScheduleA), expected);
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
    SetUp();
    book(addSource("City", GOVERNMENT), 2020, c.gifts);
    book(addSource("Bank", INVESTMENT), 2020, c.investment);
    computeQuietly();
    const std::string out = capture(printScheduleA);
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

TEST_F(ScheduleATest, PartThreeNeedsMoreThanAThirdAndLimitedInvestment) {
  struct Case {
    int otherType;
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
    SetUp();
    book(addSource("City", GOVERNMENT), 2020, c.gifts);
    book(addSource("Other", c.otherType), 2020, c.other);
    computeQuietly();
    const std::string out = capture(printScheduleA);
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
  latestFormYear = 2010;  // a period that ends before the first donation
  book(addSource("Ann", DONOR), 2020, 10000);
  computeQuietly();
  const std::string out = capture(printScheduleA);
  EXPECT_TRUE(contains(out, "!       Part II line 14                  -- (public support"));
  EXPECT_TRUE(contains(out, "!       Part II line 17a (10% support) FAILED"));
  EXPECT_TRUE(contains(out, "!       Part III line 15 column f           -- (public support"));
  EXPECT_TRUE(contains(out, "!       Part III line 19a support       FAILED"));
  EXPECT_FALSE(contains(out, "Investment income is more"));
  // numberOfYears is negative here, which still counts as the first five years.
  EXPECT_TRUE(contains(out, "!       Part II line 13            check the box"));
}

TEST_F(ScheduleATest, TwoPercentLimitCountsOnlyTheExcessOfTestedGivers) {
  // Total support 1,000,000.00: the limit is 20,000.00.
  book(addSource("Over", DONOR), 2020, 2000001);
  book(addSource("AtLimit", DONOR), 2020, 2000000);
  book(addSource("State", GOVERNMENT), 2020, 5000000);
  book(addSource("Foundation", CHARITY), 2019, 90999999);
  computeQuietly();
  verbosityLevel = 2;
  const std::string out = capture(printScheduleA);
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

  verbosityLevel = 0;
  const std::string quiet = capture(printScheduleA);
  EXPECT_FALSE(contains(quiet, "TWO PERCENT"));
  EXPECT_TRUE(
      contains(quiet, "!       Part II line  5 column f        $0.01 (exceeds 2 percent)\n"));
}

TEST_F(ScheduleATest, DafOverTheLimitIsWarnedAsAGroup) {
  book(addSource("Ann", DONOR), 2020, 100000);
  book(addSource("Giving Fund", DAF), 2020, 50000);
  book(addSource("City", GOVERNMENT), 2020, 850000);
  computeQuietly();
  const std::string out = capture(printScheduleA);
  // Limit 200.00: the fund's 500.00 is 300.00 over, Ann's 1,000.00 is 800.00 over.
  EXPECT_TRUE(contains(
      out,
      "% WARNING: !         DAF donor group [1] Giving Fund exceeded the two percent limit.\n"
      "!             This may not be correct, it should only occur if one doner in the group\n"
      "!             exceeded the limit not the whole group. Make that advisor a unique group.\n"));
  EXPECT_EQ(warningCount, 1);
  EXPECT_TRUE(contains(out, "!       Part II line  5 column f     $1100.00 (exceeds 2 percent)\n"));
}

TEST_F(ScheduleATest, IncomeLinesFollowTheYearBlocks) {
  book(addSource("Ann", GOVERNMENT), 2020, 10000);
  book(addSource("Bank", INVESTMENT), 2016, 5000);
  book(addSource("Cafe", UNRELATED), 2018, 700);
  book(addSource("Misc", OTHER_INCOME), 2020, -300);
  computeQuietly();
  const std::string out = capture(printScheduleA);
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

TEST_F(ScheduleATest, PartThreeSeparatesLargeReceiptsAndExcludedGivers) {
  latestFormYear = 2020;
  book(addSource("Chair", OFFICER), 2020, 20000);
  book(addSource("Gift shop", SALES), 2020, 600000);
  book(addSource("Ann", DONOR), 2020, 100000);
  computeQuietly();
  const std::string out = capture(printScheduleA);
  // Total support 7,200.00 keeps the 5,000.00 floor: the shop is 1,000.00 over it.
  EXPECT_TRUE(contains(out,
                       "!           Part III line  1 column e    $1200.00\n"
                       "!           Part III line  2 column e    $6000.00\n"
                       "!           Part III line  6 column e    $7200.00\n"
                       "!           Part III line 7a column e     $200.00\n"
                       "!           Part III line 7b column e    $1000.00\n"
                       "!           Part III line 7c column e    $1200.00\n"
                       "!           Part III line  9 column e    $7200.00 (copy of line 6)\n"
                       "!           Part III line 13 column e    $7200.00\n"))
      << out;
  EXPECT_TRUE(contains(out, "!       Part III line  8 column f     $6000.00 (public support)\n"));
  EXPECT_TRUE(contains(out, "!       Part III line 15 column f        83.3% (public support"));
}

}  // namespace

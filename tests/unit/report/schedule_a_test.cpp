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

// A group of related names is one giver: one entry, under its first member's index and name,
// then its other members with a five-year amount.
TEST_F(ScheduleATest, ARelatedGroupOverTheLimitIsOneEntryWithItsMembers) {
  // 100,000.00 of support: 2,000.00, the limit, is not over it.
  const int mary = addSource("Mary", DONOR);
  const int john = addSource("John", DONOR);
  ASSERT_TRUE(relateDonors(mary, john, 1));
  book(mary, 2020, 100000);
  book(john, 2020, 100000);
  book(addSource("State", GOVERNMENT), 2020, 9800000);
  computeQuietly();
  EXPECT_FALSE(contains(scheduleA(2), "related has total donations"));

  resetLedger();
  const int ann = addSource("Ann", DONOR);
  const int bob = addSource("Bob", DONOR);
  const int idle = addSource("Idle", DONOR);
  ASSERT_TRUE(relateDonors(ann, bob, 1));
  ASSERT_TRUE(relateDonors(idle, bob, 1));
  book(ann, 2020, 150000);
  book(bob, 2020, 100000);
  book(addSource("State", GOVERNMENT), 2020, 9750000);
  computeQuietly();
  const std::string out = scheduleA(2);
  EXPECT_TRUE(contains(out,
                       "!     $2000.00 is two percent of all donations\n"
                       "!         Donor[0] Ann and 2 related has total donations $2500.00\n"
                       "!              $500.00 of which exceeds the 5 year two percent limit\n"
                       "!             Bob $1000.00\n"
                       "!\n"))
      << out;
  EXPECT_FALSE(contains(scheduleA(1), "Ann and 2 related"));
}

// Right after line 7a's column f: how many substantial contributors, and at level 1 who they
// are, each with its group's members counted with it.
TEST_F(ScheduleATest, SubstantialContributorsAreCountedAfterLineSevenA) {
  const int company = addSource("Company", DONOR);
  const int ruth = addSource("Ruth", DONOR);
  ASSERT_TRUE(relateDonors(company, ruth, 1));
  book(ruth, 2020, 600000);
  book(company, 2020, 1000);
  book(addSource("Patron", DAFDONOR), 2019, 700000);
  computeQuietly();
  const std::string quiet = scheduleA();
  EXPECT_TRUE(contains(quiet,
                       "!       Part III line 7a column f    $13010.00 (Officer disqualified)\n"
                       "!         2 substantial contributors on line 7a (-d=1 lists them)\n"
                       "!       Part III line 7c column f"))
      << quiet;
  EXPECT_TRUE(contains(scheduleA(1),
                       "!         2 substantial contributors on line 7a (-d=1 lists them)\n"
                       "!           Ruth, a substantial contributor from 2020\n"
                       "!             Company, related\n"
                       "!           Patron, a substantial contributor from 2019\n"
                       "!       Part III line 7c column f"));
  // One whose amounts on line 7a add up to 0 is still counted, where line 7a would stand.
  resetLedger();
  const int refunded = addSource("Refunded", DONOR);
  book(refunded, 2019, 600000);
  book(refunded, 2020, -600000);
  book(addSource("City", GOVERNMENT), 2020, 100);
  computeQuietly();
  EXPECT_TRUE(contains(scheduleA(),
                       "!       Part III line  6 column f        $1.00 (Total Support)\n"
                       "!         1 substantial contributor on line 7a (-d=1 lists them)\n"
                       "!       Part III line  8 column f        $1.00 (public support)\n"));
}

// Unusual grants close the section, by year, and at level 1 by name; also when the period has
// no donations to count.
TEST_F(ScheduleATest, UnusualGrantsAreListedByYearForPartSix) {
  const int estate = addSource("Estate", UNUSUAL);
  const int grant = addSource("Grant", UNUSUAL);
  book(estate, 2019, 40000000);
  book(grant, 2019, 100000);
  book(grant, 2018, -100000);
  book(grant, 2017, 100000);
  book(addSource("Ann", DONOR), 2020, 1000);
  computeQuietly();
  const std::string out = scheduleA(1);
  const std::string heading =
      "!   Unusual grants left out of Part II and Part III (list their amounts in Part VI):\n";
  const std::string listed = heading +
                             "!       2017 $1000.00\n"
                             "!         Grant $1000.00\n"
                             "!       2018 -$1000.00\n"
                             "!         Grant -$1000.00\n"
                             "!       2019 $401000.00\n"
                             "!         Estate $400000.00\n"
                             "!         Grant $1000.00\n";
  EXPECT_TRUE(
      contains(out, "!       Part III line 19a 33% support        OK (check the box)\n" + listed))
      << out;
  EXPECT_EQ(out.substr(out.size() - listed.size()), listed);
  const std::string byYear = heading +
                             "!       2017 $1000.00\n"
                             "!       2018 -$1000.00\n"
                             "!       2019 $401000.00\n";
  const std::string quiet = scheduleA();
  EXPECT_EQ(quiet.substr(quiet.size() - byYear.size()), byYear);

  // A year whose amounts cancel out has no donations; its unusual grant is listed all the same.
  resetLedger();
  const int offset = addSource("Grant", UNUSUAL);
  book(offset, 2020, 500);
  book(addSource("Refund", DONOR), 2020, -500);
  setLatestFormYear(2020);
  computeQuietly();
  EXPECT_EQ(scheduleA(),
            "! FORM 990 INFORMATION Part II 509(a)(1)\n"
            "!   no donations at all\n"
            "!   Unusual grants left out of Part II and Part III (list their amounts in Part VI):\n"
            "!       2020 $5.00\n");
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

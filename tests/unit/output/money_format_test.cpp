#include "output/money_format.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "ledger/magnitude_limit.hpp"

namespace {

struct MoneyCase {
  Amount cents;
  int width;
  const char* expected;
};

TEST(FormatMoneyTest, DollarsAndTwoDigitCentsRightAligned) {
  const MoneyCase cases[] = {
    { 123456, 12, "    $1234.56" },
    { -5, 0, "-$0.05" },
    { 0, 0, "$0.00" },
    { 0, 12, "       $0.00" },
    { 7, 0, "$0.07" },
    { -7, 0, "-$0.07" },
    { -7, 8, "  -$0.07" },
    { 100, 0, "$1.00" },
    { 125000, 0, "$1250.00" },
    // Beyond 32 bits: 21,474,836.48 and a 10^15-cent ledger total print exactly.
    { 2147483648, 0, "$21474836.48" },
    { 1000000000000000, 0, "$10000000000000.00" },
    { -1000000000000000, 20, " -$10000000000000.00" },
  };
  for (const MoneyCase& c : cases) {
    EXPECT_EQ(std::string(formatMoney(c.cents, c.width).text), c.expected)
        << c.cents << " in width " << c.width;
  }
}

TEST(FormatMoneyTest, ExtremeAmountsHaveAnExactMagnitude) {
  EXPECT_STREQ(formatMoney(std::numeric_limits<Amount>::max(), 0).text, "$92233720368547758.07");
  EXPECT_STREQ(formatMoney(std::numeric_limits<Amount>::min(), 0).text, "-$92233720368547758.08");
}

TEST(FormatMoneyTest, WidthRule) {
  // A text as long as the width or longer comes back whole, without blanks in front.
  EXPECT_STREQ(formatMoney(123456, 8).text, "$1234.56");
  EXPECT_STREQ(formatMoney(123456, 3).text, "$1234.56");
  EXPECT_STREQ(formatMoney(123456, 9).text, " $1234.56");
  EXPECT_EQ(std::string(formatMoney(1, 63).text), std::string(58, ' ') + "$0.01");
  // Widths outside 0 to 63 are held to that range instead of writing outside the field.
  EXPECT_EQ(std::string(formatMoney(1, 500).text), std::string(58, ' ') + "$0.01");
  EXPECT_STREQ(formatMoney(1, -4).text, "$0.01");
}

struct PercentCase {
  Amount numerator;
  Amount denominator;
  int width;
  const char* expected;
};

TEST(FormatPercentTest, TenthsOfAPercentTruncatedTowardZero) {
  const PercentCase cases[] = {
    { 1, 3, 0, "33.3%" },         { 2, 3, 0, "66.6%" },       { 3, 2, 0, "150.0%" },
    { 999, 1000, 0, "99.9%" },    { 1, 1001, 0, "0.0%" },     { 1, 1, 8, "  100.0%" },
    { 0, 5, 0, "0.0%" },          { 5, 0, 0, "--" },          { 5, 0, 8, "      --" },
    { 0, 0, 12, "          --" }, { 1, 3, 10, "     33.3%" },
  };
  for (const PercentCase& c : cases) {
    EXPECT_EQ(std::string(formatPercent(c.numerator, c.denominator, c.width).text), c.expected)
        << c.numerator << "/" << c.denominator << " in width " << c.width;
  }
}

TEST(FormatPercentTest, NegativeRatiosCarryTheSignInFrontOfTheMagnitude) {
  const PercentCase cases[] = {
    { -33, 1000, 0, "-3.3%" },
    { -5, 1000, 0, "-0.5%" },
    { 5, -1000, 0, "-0.5%" },
    { -5, -1000, 0, "0.5%" },
    { -1, 3, 8, "  -33.3%" },
    { -2, 3, 0, "-66.6%" },
    // Truncated toward zero to no tenth at all: no sign.
    { -1, 1001, 0, "0.0%" },
  };
  for (const PercentCase& c : cases) {
    EXPECT_EQ(std::string(formatPercent(c.numerator, c.denominator, c.width).text), c.expected)
        << c.numerator << "/" << c.denominator;
  }
}

TEST(FormatPercentTest, LargeAmountsDoNotOverflowTheRatio) {
  constexpr Amount kLimit = kLedgerMagnitudeLimit;
  EXPECT_STREQ(formatPercent(kLimit, kLimit, 0).text, "100.0%");
  EXPECT_STREQ(formatPercent(kLimit / 3, kLimit, 0).text, "33.3%");
  EXPECT_STREQ(formatPercent(kLimit, 1, 0).text, "100000000000000000.0%");
  // Amounts far beyond what the ledger books still give the exact truncated ratio.
  constexpr Amount kMax = std::numeric_limits<Amount>::max();
  EXPECT_STREQ(formatPercent(kMax, kMax, 0).text, "100.0%");
  EXPECT_STREQ(formatPercent(kMax - 1, kMax, 0).text, "99.9%");
  EXPECT_STREQ(formatPercent(kMax, 1, 0).text, "922337203685477580700.0%");
  EXPECT_STREQ(formatPercent(std::numeric_limits<Amount>::min(), 1, 0).text,
               "-922337203685477580800.0%");
}

TEST(FormatPercentTest, WidthRuleAndResultsHeldByValue) {
  EXPECT_STREQ(formatPercent(1, 3, 3).text, "33.3%");
  EXPECT_STREQ(formatPercent(1, 3, 5).text, "33.3%");
  EXPECT_STREQ(formatPercent(1, 3, 6).text, " 33.3%");
  EXPECT_STREQ(formatPercent(1, 3, -1).text, "33.3%");
  EXPECT_EQ(std::string(formatPercent(1, 3, 64).text), std::string(58, ' ') + "33.3%");
  // Results are values: two fields stand in one format call, and neither overwrites the other.
  const FieldText percent = formatPercent(2, 3, 0);
  const FieldText money = formatMoney(500, 0);
  formatPercent(1, 3, 0);
  formatMoney(700, 0);
  char line[160];
  std::snprintf(line, sizeof line, "%s of %s", percent.text, money.text);
  EXPECT_STREQ(line, "66.6% of $5.00");
}

TEST(FormatHundredthsTest, PercentToTheHundredthRoundedHalfUp) {
  const PercentCase cases[] = {
    { 583456, 1000000, 0, "58.35" },  // 58.3456%
    { 583449, 1000000, 0, "58.34" },
    { 1, 3, 0, "33.33" },
    { 2, 3, 0, "66.67" },
    { 1, 20000, 0, "0.01" },    // 0.005% exactly: half goes up
    { -1, 20000, 0, "0.00" },   // -0.005%: up is toward zero
    { -3, 20000, 0, "-0.01" },  // -0.015%
    { 1, -20000, 0, "0.00" },
    { 5, 4, 0, "125.00" },
    { 0, 7, 0, "0.00" },
    { 7, 0, 0, "" },
  };
  for (const PercentCase& c : cases) {
    EXPECT_STREQ(formatHundredths(c.numerator, c.denominator).text, c.expected)
        << c.numerator << "/" << c.denominator;
  }
  constexpr Amount kMax = std::numeric_limits<Amount>::max();
  EXPECT_STREQ(formatHundredths(kMax - 1, kMax).text, "100.00");
  EXPECT_STREQ(formatHundredths(kMax, 1).text, "922337203685477580700.00");
}

TEST(FormatDecimalTest, PlainDecimalWithTwoPlaces) {
  EXPECT_STREQ(formatDecimal(123456).text, "1234.56");
  EXPECT_STREQ(formatDecimal(-1250).text, "-12.50");
  EXPECT_STREQ(formatDecimal(0).text, "0.00");
  EXPECT_STREQ(formatDecimal(std::numeric_limits<Amount>::min()).text, "-92233720368547758.08");
}

}  // namespace

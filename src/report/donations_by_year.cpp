#include "report/donations_by_year.hpp"

#include <cstddef>

#include "ledger/form_year_row.hpp"
#include "ledger/totals.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

namespace {

// A young organisation's first three years are compared against this amount (50,000.00).
constexpr Amount kEarlyYearAmount = 5000000;
constexpr long kEarlyYearCount = 3;

// One year's line; each of the first three years says how it stands against $50K.
void printYearLine(long index, Amount total, Amount grandTotal, bool earlyYear) {
  const long year = index + kBaseYear;
  const FieldText share = formatPercent(total, grandTotal, 10);
  const FieldText amount = formatMoney(total, 12);
  const FieldText ever = formatMoney(grandTotal, 12);
  if (!earlyYear) {
    reportText("!   %ld%s%s%s\n", year, share.text, amount.text, ever.text);
  } else if (total > kEarlyYearAmount) {
    reportText("!   %ld%s%s%s  early year exceeds $50K by %s\n", year, share.text, amount.text,
               ever.text, formatMoney(total - kEarlyYearAmount, 12).text);
  } else {
    reportText("!   %ld%s%s%s  early year below $50K\n", year, share.text, amount.text, ever.text);
  }
}

}  // namespace

void printDonationsByYear(const LedgerTotals& totals) {
  writeReport("! Donations by year\n");
  writeReport("!           Percent of all years\n");
  writeReport("!            !        Total for year\n");
  writeReport("!            !         !          Total Ever\n");
  writeReport("!            !         !           !\n");

  long firstIndex = -1;
  for (std::size_t y = 0; y < totals.yearTotals.size(); ++y) {
    const Amount total = totals.yearTotals[y];
    if (total == 0) {
      continue;
    }
    const long index = static_cast<long>(y);
    if (firstIndex == -1) {
      firstIndex = index;
    }
    printYearLine(index, total, totals.grandTotal, index < firstIndex + kEarlyYearCount);
  }

  writeReport("!\n");
  reportText("! Total of all years %s\n", formatMoney(totals.grandTotal, 0).text);
}

void printContributionSummary(const LedgerTotals& totals) {
  writeReport("! CONTRIBUTION SUMMARY\n");
  writeReport("!\n");
  writeReport("! Year     this year        last 5 years          Sum of only the form 990 years\n");

  const long newest = totals.latestFormYear - kBaseYear;
  if (newest >= kYearCount) {
    message(MessageKind::error, 0, "%ld is too large for table of years", totals.latestFormYear);
    return;
  }

  const long oldest = newest - (kFormYears - 1) > 0 ? newest - (kFormYears - 1) : 0;
  for (long i = newest; i >= oldest; --i) {
    // Index 0 and below add nothing to the five-year sum.
    Amount fiveYearSum = 0;
    for (long k = i; k > i - kFormYears && k > 0; --k) {
      fiveYearSum += totals.yearTotals[static_cast<std::size_t>(k)];
    }
    const std::size_t at = static_cast<std::size_t>(i);
    reportText("! %ld  %s        %s        %s\n", i + kBaseYear,
               formatMoney(totals.yearTotals[at], 12).text, formatMoney(fiveYearSum, 12).text,
               formatMoney(totals.cumulativeTotals[at], 12).text);
  }
  writeReport("!\n");
}

#ifndef QUORVA_LEDGER_PERIOD_AMOUNTS_HPP
#define QUORVA_LEDGER_PERIOD_AMOUNTS_HPP

#include <array>
#include <cstddef>

#include "ledger/donor_records.hpp"
#include "ledger/form_year_row.hpp"
#include "output/amount.hpp"

// A donor's amounts in the years of a period and of the year before it, as every Schedule A
// figure takes them.

/// The five rows of the period and the year before them, newest first: the prior year's period
/// is rows 1 to 5, and a year's row is the same in either period.
constexpr std::size_t kRowsWithPrior = kFormYears + 1;
/// Amounts by row: [0] is the period's last year.
using RowAmounts = std::array<Amount, kRowsWithPrior>;
/// The rows themselves, newest first.
using YearRows = std::array<FormYearRow, kRowsWithPrior>;

/// The years the rows count, as table indexes: the period's last one, and the first whose
/// amounts count at all (the organization's first tax year).
struct CountedYears {
  long lastIndex;
  long firstIndex;
};

/// A donor's amounts in the rows' years, from one walk over the years it gave in (increasing).
inline RowAmounts rowAmountsOf(const DonorRecord& donor, CountedYears counted) {
  RowAmounts amounts{};
  const DonorYears& years = donor.yearAmounts;
  for (std::size_t k = 0; k < years.count; ++k) {
    const long year = years.yearAt(k);
    const long r = counted.lastIndex - year;
    if (r < 0) {
      break;
    }
    if (r < static_cast<long>(kRowsWithPrior) && year >= counted.firstIndex) {
      amounts[static_cast<std::size_t>(r)] = years.amountAt(k);
    }
  }
  return amounts;
}

/// The sum of the rows the period ending at row first counts (first is 0 for the period, 1 for
/// the prior one).
inline Amount periodSumOf(const RowAmounts& amounts, std::size_t first) {
  Amount sum = 0;
  for (std::size_t r = first; r < first + kFormYears; ++r) {
    sum += amounts[r];
  }
  return sum;
}

/// Column (a) is the oldest year: row 4.
inline std::size_t rowIndexOfColumn(std::size_t column) { return kFormYears - 1 - column; }

#endif

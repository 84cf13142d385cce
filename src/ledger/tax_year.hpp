#ifndef QUORVA_LEDGER_TAX_YEAR_HPP
#define QUORVA_LEDGER_TAX_YEAR_HPP

#include <array>
#include <cstddef>

/// The month a tax year begins in when none is given: January, so tax years are calendar years.
constexpr int kCalendarYearStart = 1;
/// Months of a year: a start month is 1 to 12.
constexpr int kMonthsInYear = 12;

/// The months' English names, January first.
inline constexpr std::array<const char*, kMonthsInYear> kMonthFullNames = {
  "January", "February", "March",     "April",   "May",      "June",
  "July",    "August",   "September", "October", "November", "December",
};

/// The English name of month 1 to 12 ("July").
inline const char* monthName(int month) {
  const char* const name = kMonthFullNames[static_cast<std::size_t>(month - 1)];
  return name;
}

/// The local calendar month of a booked time, as the date reader knew it from converting the
/// date: year as since 1900 (std::tm's tm_year), month 1 to 12, or 0 when it is not known.
struct LocalMonth {
  int year;
  int month;
};

/// The tax year of a day in month (1 to 12) of a calendar year, for tax years that begin on the
/// first day of startMonth (1 to 12): a tax year is named by the calendar year it begins in.
constexpr int taxYearOf(int year, int month, int startMonth) {
  return month >= startMonth ? year : year - 1;
}

#endif

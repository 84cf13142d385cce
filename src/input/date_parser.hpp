#ifndef QUORVA_INPUT_DATE_PARSER_HPP
#define QUORVA_INPUT_DATE_PARSER_HPP

#include <array>
#include <cstddef>
#include <ctime>

#include "input/line_messages.hpp"
#include "input/reading_options.hpp"
#include "ledger/tax_year.hpp"

/// The months' names as the dates spell them, by their first three letters in lower case.
inline constexpr std::array<const char*, 12> kMonthNames = {
  "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec",
};
/// A month's name is known by its first three letters.
constexpr std::size_t kMonthLetters = 3;

/// The calendar time of a date text at 00:00:01 local time, or 0 when the text is not a date.
/// Accepts "month/day/year" and "day Mon year" (also with dashes or a full month name), and, with
/// the day on the calendar, "year-month-day", "year/month/day" and "Mon day, year"; years
/// 1970 to 2038 as written (two-digit years 00-49 are 2000-2049, 50-99 are 1950-1999), and only
/// results that fit a signed 32-bit count. A year followed directly by a letter is no date. The
/// messages, with line, go to messages: a year from 100 to 1899 (an error, no date), and a day or
/// month off the calendar that moves the date into another tax year, those of options (a
/// warning, the date as carried). The dates remembered until resetDateCache are taken with the
/// same options.
std::time_t parseDate(const char* text, long line, const ReadingOptions& options,
                      LineMessages& messages);

/// Rebuilds "a<sep>b<sep>c" as "a b c" with b cut to three characters, into a static buffer;
/// nullptr when the text does not hold exactly two separators.
const char* rewriteDateSeparators(const char* text, char separator);

/// A date as read from its text, before the year rules: the month minus one, the day and the
/// year as written.
struct DateParts {
  int monthIndex;
  int day;
  int year;
};

/// The calendar time of parts as parseDate gives it for their text field (ended by a TAB or the
/// end of the text): the same year rules, messages and conversion. local is set to the local
/// month of that time where it is known (its month is left as it was where it is not).
std::time_t dateOfParts(const DateParts& parts, const char* field, long line,
                        const ReadingOptions& options, LineMessages& messages, LocalMonth& local);
/// True when the day exists in the month and the month in the year (after the two-digit rule):
/// such a date is booked in the year as written.
bool isLateCalendarDay(const DateParts& parts);
inline bool isCalendarDay(const DateParts& parts) {
  // Days 1 to 28 of the twelve months, nearly every date, are in every month of every year.
  constexpr int kShortestMonth = 28;
  constexpr unsigned kMonths = 12;
  return (static_cast<unsigned>(parts.monthIndex) < kMonths && parts.day >= 1 &&
          parts.day <= kShortestMonth) ||
         isLateCalendarDay(parts);
}

/// Forgets the calendar times remembered for dates already converted, so that the next
/// conversions follow the current time zone setting; the reader calls it for every list.
void resetDateCache();

#endif

#ifndef QUORVA_INPUT_READING_OPTIONS_HPP
#define QUORVA_INPUT_READING_OPTIONS_HPP

#include "ledger/tax_year.hpp"

/// What the command line tells the reader of a list, handed down to the line parser and the
/// date parser.
struct ReadingOptions {
  int taxYearStartMonth;  ///< 1 to 12: the month the organization's tax year begins in
};

/// Reading for calendar years.
inline constexpr ReadingOptions kCalendarYearReading{ kCalendarYearStart };

#endif

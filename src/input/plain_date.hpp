#ifndef QUORVA_INPUT_PLAIN_DATE_HPP
#define QUORVA_INPUT_PLAIN_DATE_HPP

#include "input/date_parser.hpp"

/// Reads a date of a plain form ("1/15/2020", "15 Jan 2020", "15 January 2020" and the same with
/// dashes, numbers of up to nine digits; "2020-01-15", "2020/1/15", "Jan 15, 2020" on the calendar) that starts text and is ended by the character end, as
/// the rewriting and scanning of parseDate read it; returns the position of the end, or nullptr
/// (nothing read, nothing reported) when the text has no plain form.
const char* readPlainDate(const char* text, char end, DateParts& parts);

/// Reads "YYYY-MM-DD" or "YYYY/MM/DD" (a year of four digits, the first no 0; a month and a day
/// of one or two digits) that starts text; returns the position after the day, or nullptr.
const char* readYearFirstDate(const char* text, DateParts& parts);
/// Reads "Mon D, YYYY" or "Month D, YYYY" (the month's name known by its first three letters
/// and perhaps followed by a point, the comma optional, a year of four digits, the first no 0)
/// that starts text; returns the position after the year, or nullptr, also when the name is no
/// month's.
const char* readMonthFirstDate(const char* text, DateParts& parts);

#endif

#ifndef QUORVA_INPUT_CELL_TEXT_HPP
#define QUORVA_INPUT_CELL_TEXT_HPP

#include <string>
#include <string_view>

/// How a workbook counts its date serial numbers.
enum class DateSystem { from1900, from1904 };

/// Appends a number cell's value, written as the file stores it ("1250.5", "1.25E3"), as a plain
/// decimal with a point and no grouping, rounded to 15 significant digits as a spreadsheet shows
/// it ("1250.4999999999998" is 1250.5). Text that is no number is appended as it stands.
void appendNumberText(std::string& out, std::string_view value);

/// Appends M/D/YYYY of the date part of a date serial number; a serial outside the calendar a
/// spreadsheet shows (before its first day, after 31 December 9999) is appended as a number.
/// The 1900 system has a 29 February 1900, which never was: it stays 2/29/1900, which the date
/// rules refuse.
void appendSerialDateText(std::string& out, std::string_view value, DateSystem system);

/// Appends M/D/YYYY of an ISO 8601 date ("2024-01-15" or "2024-01-15T10:30:00"), or the text as
/// it stands when it does not begin with one.
void appendIsoDateText(std::string& out, std::string_view value);

/// True when a number format shows a date: one of the built-in date formats, or a format code
/// with a year code, or both day and month codes, outside its quoted literals, escaped
/// characters and bracketed parts (a time such as "h:mm" or "[h]:mm:ss" is no date).
bool isDateFormat(int builtInId, std::string_view code);

/// Appends a cell's reference ("C12") for a column counted from 0 and a row from 1.
void appendCellReference(std::string& out, long column, long row);

/// The column of a cell reference ("C12" is 2), or -1 when it begins with no column letter.
long columnOfReference(std::string_view reference);

#endif

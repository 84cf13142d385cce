#ifndef QUORVA_INPUT_PLAIN_LINE_HPP
#define QUORVA_INPUT_PLAIN_LINE_HPP

#include "input/line_parser.hpp"

/// Reads a plain donation line (a name, unquoted or quoted as a whole, a TAB, a date of a plain
/// form, a TAB and an amount, all within the scan limit) in straight loops, as line number line.
/// Gives up (false) only before anything is reported or booked, leaving the line to the full
/// scan. When it returns true, result holds what the full scan would have returned, with the
/// same messages and bookings.
bool parsePlainLine(const char* text, long line, LineResult& result);

#endif

#ifndef QUORVA_INPUT_LIST_READER_HPP
#define QUORVA_INPUT_LIST_READER_HPP

#include <cstdio>

#include "input/parsed_line.hpp"
#include "input/reading_options.hpp"

/// Size of the line buffer: a line is read in pieces of at most 511 characters.
constexpr int kLineLength = 512;

/// Reads an open donation list to its end, parses every line as options say and prints the
/// statistics. Neither opens nor closes the file.
void readDonationList(std::FILE* file, const ReadingOptions& options);

/// What the lines of one list came to, for its statistics.
struct ListCounts {
  long lines;
  long keywords;
  long amounts;
  long unexpected;
};

/// Parses, books and counts one line of a list that is not read as text (a worksheet's row,
/// its cells joined by TAB), as the line of that number; a null text is a blank line.
void readWholeLine(const char* text, long number, const ReadingOptions& options,
                   ParsedLine& parsed, ListCounts& counts);

#endif

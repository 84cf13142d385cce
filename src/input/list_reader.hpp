#ifndef QUORVA_INPUT_LIST_READER_HPP
#define QUORVA_INPUT_LIST_READER_HPP

#include <cstddef>
#include <cstdio>

#include "input/reading_options.hpp"

struct ListBlocks;

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

/// One row of a sheet as a line of a tab-separated list: its cells joined by TAB, none of them
/// holding a TAB, CR or LF; text[length] may be written to while the row is read.
struct SheetLine {
  long number;  ///< the row's number, which is its line number
  char* text;
  std::size_t length;
};

/// Where a sheet's rows come from: next gives the next row (blank rows too, as empty lines), or
/// false after the last one.
struct SheetSource {
  void* context;
  bool (*next)(void* context, SheetLine& row);
};

/// Reads a sheet's rows, in order, as the lines of a tab-separated list: a header row may name
/// the columns, as in a text list, but a row is never taken for comma-separated values and never
/// goes on over the next row.
void readSheetLines(ListBlocks& blocks, const SheetSource& source, const ReadingOptions& options,
                    ListCounts& counts);

#endif

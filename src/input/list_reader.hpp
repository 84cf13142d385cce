#ifndef QUORVA_INPUT_LIST_READER_HPP
#define QUORVA_INPUT_LIST_READER_HPP

#include <cstdio>

#include "input/reading_options.hpp"

/// Size of the line buffer: a line is read in pieces of at most 511 characters.
constexpr int kLineLength = 512;

/// Reads an open donation list to its end, parses every line as options say and prints the
/// statistics. Neither opens nor closes the file.
void readDonationList(std::FILE* file, const ReadingOptions& options);

#endif

#ifndef QUORVA_INPUT_LINE_PARSER_HPP
#define QUORVA_INPUT_LINE_PARSER_HPP

#include "input/parsed_line.hpp"
#include "input/reading_options.hpp"

/// Reads one line (without its line feed) as line number line into parsed: what kind of line it
/// is, its name, its second field, its date and cents or the type its keyword binds, and the
/// messages it raises, in order; options say how dates are judged. Touches neither the ledger
/// nor the console: the reader books and reports (bookParsedLine). A null text is a blank line.
void parseDonationLine(const char* text, long line, const ReadingOptions& options,
                       ParsedLine& parsed);

/// parseDonationLine with every second and amount field read by the full grammar, character by
/// character, instead of the shortcuts for plain dates and amounts: what those must come to.
void parseDonationLineInFull(const char* text, long line, const ReadingOptions& options,
                             ParsedLine& parsed);

#endif

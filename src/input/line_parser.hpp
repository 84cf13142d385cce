#ifndef QUORVA_INPUT_LINE_PARSER_HPP
#define QUORVA_INPUT_LINE_PARSER_HPP

#include <cstddef>

#include "input/parsed_line.hpp"
#include "input/reading_options.hpp"

/// Reads one line (without its line feed) as line number line into parsed: what kind of line it
/// is, its name, its second field, its date and cents or the type its keyword binds, and the
/// messages it raises, in order; options say how dates are judged. Touches neither the ledger
/// nor the console: the reader books and reports (bookParsedLine). A null text is a blank line.
void parseDonationLine(const char* text, long line, const ReadingOptions& options,
                       ParsedLine& parsed);

/// Bytes past a line's terminator that parseDonationLineWithSlack may read (and never uses).
constexpr std::size_t kLineSlack = 32;

/// parseDonationLine for a line that may be read kLineSlack bytes past its terminator, as a line
/// of a list's block can: the end of its name is looked for sixteen characters at a time.
void parseDonationLineWithSlack(const char* text, long line, const ReadingOptions& options,
                                ParsedLine& parsed);

/// How a record starts: read, or passed over.
enum class RecordStart : int {
  read,
  blank,      ///< every cell blank
  comment,    ///< its first cell begins with '!'
  emptyName,  ///< the name cell is blank: not read
};

/// A record whose cells a list's layout took apart, as the parser reads it.
struct RecordLine {
  /// The name cell, a TAB, the second cell, a TAB and the amount cell (a record of fewer cells
  /// has fewer of them); none of them holds a TAB or a line break.
  const char* line;
  const char* shown;  ///< the record as written, which messages quote
  bool nameAsIs;      ///< the list's quoting of the name is done: its quotation marks are its own
  RecordStart start;
};

/// parseDonationLine for a record: its fields from record.line, with no limit on where they
/// end (each field still holds at most kFieldMaxLength characters).
void parseDonationRecord(const RecordLine& record, long line, const ReadingOptions& options,
                         ParsedLine& parsed);

/// parseDonationLine with every second and amount field read by the full grammar, character by
/// character, instead of the shortcuts for plain dates and amounts: what those must come to.
void parseDonationLineInFull(const char* text, long line, const ReadingOptions& options,
                             ParsedLine& parsed);

#endif

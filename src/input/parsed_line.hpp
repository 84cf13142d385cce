#ifndef QUORVA_INPUT_PARSED_LINE_HPP
#define QUORVA_INPUT_PARSED_LINE_HPP

#include <array>
#include <cstddef>
#include <cstring>
#include <ctime>

#include "input/line_messages.hpp"
#include "ledger/source_type.hpp"
#include "ledger/tax_year.hpp"
#include "output/amount.hpp"

/// Fields are looked for in the first 150 characters of a line.
constexpr int kFieldScanLimit = 150;
/// A record's fields may end anywhere: no position is past this.
constexpr int kNoScanLimit = 1 << 30;
/// A field stores at most 127 characters.
constexpr int kFieldMaxLength = 127;
/// Room for a field of kFieldMaxLength characters and its terminator.
constexpr std::size_t kFieldSize = kFieldMaxLength + 1;
/// Room for the text of a field: a field of a line read as Windows-1252 is converted to UTF-8,
/// up to three bytes for each of its characters.
constexpr std::size_t kFieldRoom = kFieldMaxLength * 3 + 1;
/// Largest amount magnitude accepted on a line, in cents (100,000,000,000.00).
constexpr long long kMaxLineAmount = 10000000000000LL;

/// One field of a line: the first kFieldMaxLength characters are kept; the ones beyond are only
/// counted, so that a field too long to keep whole is refused rather than cut (cutting would merge
/// distinct names).
struct Field {
  std::array<char, kFieldRoom> text;
  std::size_t length;  ///< characters seen for the field, kept or not
  std::size_t kept;    ///< characters up to the last one that is not a space

  void append(char ch) {
    if (length < kFieldMaxLength) {
      text[length] = ch;
      text[length + 1] = '\0';
    }
    ++length;
    if (ch != ' ') {
      kept = length;
    }
  }
  /// The field holding the count characters at from, of which the last is no blank.
  void fill(const char* from, std::size_t count) {
    const std::size_t copied = count < kFieldMaxLength ? count : kFieldMaxLength;
    std::memcpy(text.data(), from, copied);
    text[copied] = '\0';
    length = count;
    kept = count;
  }
  /// fill for characters that may be read kShortFill bytes on from from: a name that short is
  /// copied in a few moves of known size, where a call's copy would choose among its sizes.
  static constexpr std::size_t kShortFill = 32;
  void fillFromSlack(const char* from, std::size_t count) {
    if (count >= kShortFill) {
      fill(from, count);
      return;
    }
    std::memcpy(text.data(), from, kShortFill);
    text[count] = '\0';
    length = count;
    kept = count;
  }
  /// append for each of the count characters at from.
  void appendRun(const char* from, std::size_t count) {
    if (length < kFieldMaxLength) {
      const std::size_t room = kFieldMaxLength - length;
      const std::size_t copied = count < room ? count : room;
      std::memcpy(text.data() + length, from, copied);
      text[length + copied] = '\0';
    }
    for (std::size_t i = count; i > 0; --i) {
      if (from[i - 1] != ' ') {
        kept = length + i;
        break;
      }
    }
    length += count;
  }
  /// Drops the spaces at the end, as the scan drops those at the start.
  void trimTrailingSpaces() {
    length = kept;
    if (kept < kFieldSize) {
      text[kept] = '\0';
    }
  }
  bool isTooLong() const { return length > kFieldMaxLength; }
  /// Empties the field. A field is read only up to its terminator, so an empty field needs no
  /// more than its first character cleared; clearing all four hundred bytes of the three fields
  /// on every line cost as much as scanning the line.
  void clear() {
    text[0] = '\0';
    length = 0;
    kept = 0;
  }
  const char* data() const { return text.data(); }
};

/// What a line says, before anything is booked.
enum class LineKind : int {
  blankLine,        ///< blanks and TABs only
  commentLine,      ///< starts with '!' or a quotation mark and '!' (after blanks)
  notDonation,      ///< a column-names line, or a second field that is no date
  emptyFirstField,  ///< starts with a TAB (after blanks): not read
  blankDate,        ///< the second field is blank
  keyword,          ///< binds the name to type
  badAmount,        ///< an amount field with a character that is no part of a number
  zeroAmount,       ///< an amount of exactly zero: nothing to book
  donation,         ///< cents for the name under date
  lineRejected,     ///< refused whole (a blank name, a field too long, a bad number, ...)
  related,          ///< a Related line: the name and the third field's name are one group
};

/// What parseDonationLine read from one line: its kind, its fields, and the messages it raised,
/// in order. The reader owns one and reuses it for every line (releaseLineMessages at the end).
struct ParsedLine {
  LineKind kind;
  bool columnNames;  ///< today's rules take the line for column names
  long line;         ///< the line number the messages carry
  const char* text;  ///< the whole line, for the booking step's messages; valid until it is booked
  Field name;        ///< the first field, as it is looked up
  Field second;      ///< the second field as written; empty when a plain date was read in place
  Field third;       ///< of a keyword or Related line: its third field, read like a name
  std::time_t date;  ///< of a donation: the calendar time it is booked at
  LocalMonth local;  ///< the local month of date, where the date reader knew it (else month 0)
  Amount cents;      ///< of a donation
  SourceType type;   ///< of a keyword line: the type it binds
  LineMessages messages;
};

#endif

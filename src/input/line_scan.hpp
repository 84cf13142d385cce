#ifndef QUORVA_INPUT_LINE_SCAN_HPP
#define QUORVA_INPUT_LINE_SCAN_HPP

#include <array>
#include <cstddef>
#include <ctime>

#include "input/line_parser.hpp"
#include "ledger/donor_table.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"

/// Room for a field of kFieldMaxLength characters and its terminator.
constexpr std::size_t kFieldSize = kFieldMaxLength + 1;

/// One field of a line: the first kFieldMaxLength characters are kept; the ones beyond are only
/// counted, so that a field too long to keep whole is refused rather than cut (cutting would merge
/// distinct names).
struct Field {
  std::array<char, kFieldSize> text;
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

/// The whole state of one line as the full scan and the plain-line scan read it; nothing of it
/// outlives the call of parseDonationLine.
struct LineScan {
  const char* text;
  long line;
  Field name;
  Field second;
  Field amount;
  const char* amountText;  ///< the amount field as written: the line after the second field
  int quoteCount;
  bool quoteAtLineStart;
  bool quoteBeforeTab;
  bool nameBlank;
  std::time_t date;  ///< 0 until the second field is read as a date
};

/// A clean state for reading text as line number line.
inline void startScan(LineScan& scan, const char* text, long line) {
  scan.text = text;
  scan.line = line;
  scan.name.clear();
  scan.second.clear();
  scan.amount.clear();
  scan.amountText = "";
  scan.quoteCount = 0;
  scan.quoteAtLineStart = false;
  scan.quoteBeforeTab = false;
  scan.nameBlank = false;
  scan.date = 0;
}
/// Reports a second field that is neither blank, nor a keyword, nor a column name, nor a date:
/// information on a first line that looks like a header, an error otherwise.
LineResult reportNoDate(const LineScan& scan);
/// Books a valid amount in cents for the line's name (a zero amount is warned about instead).
/// Inline: nearly every line of a list ends here.
inline LineResult bookAmount(const LineScan& scan, Amount cents) {
  if (cents == 0) {
    message(MessageKind::warning, scan.line,
            "An amount of exactly zero is unexpected for a source of revenue.");
    return LineResult::zeroAmount;
  }
  // A line without a name has nobody to book for; its error is already reported.
  if (scan.nameBlank) {
    return LineResult::lineRejected;
  }
  // A name field holds no more than it stores (a longer one is refused), so its length is the
  // count of its characters.
  addDonationOfLength(scan.name.data(), scan.name.length, scan.date, cents, scan.line);
  return LineResult::donationBooked;
}
/// Judges the stored amount field of a dated line, reports what is wrong with it or the name's
/// quotation marks, and books it when it is valid.
LineResult finishDonation(LineScan& scan);

#endif

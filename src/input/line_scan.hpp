#ifndef QUORVA_INPUT_LINE_SCAN_HPP
#define QUORVA_INPUT_LINE_SCAN_HPP

#include <array>
#include <cstddef>
#include <ctime>

#include "input/line_parser.hpp"
#include "output/amount.hpp"

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
void startScan(LineScan& scan, const char* text, long line);
/// Reports a second field that is neither blank, nor a keyword, nor a column name, nor a date:
/// information on a first line that looks like a header, an error otherwise.
LineResult reportNoDate(const LineScan& scan);
/// Books a valid amount in cents for the line's name (a zero amount is warned about instead).
LineResult bookAmount(const LineScan& scan, Amount cents);
/// Judges the stored amount field of a dated line, reports what is wrong with it or the name's
/// quotation marks, and books it when it is valid.
LineResult finishDonation(LineScan& scan);

#endif

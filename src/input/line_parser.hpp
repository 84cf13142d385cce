#ifndef QUORVA_INPUT_LINE_PARSER_HPP
#define QUORVA_INPUT_LINE_PARSER_HPP

/// What parseDonationLine made of one line; the reader counts these.
enum class LineResult : int {
  blankLine = 0,
  commentLine = 1,
  notDonation = 2,
  emptyFirstField = 3,
  blankDate = 4,
  keywordBound = 5,
  badAmount = 6,
  zeroAmount = 7,
  donationBooked = 8,
  lineRejected = 9,
};

/// Fields are looked for in the first 150 characters of a line.
constexpr int kFieldScanLimit = 150;
/// A field stores at most 127 characters.
constexpr int kFieldMaxLength = 127;
/// Largest amount magnitude accepted on a line, in cents (100,000,000,000.00).
constexpr long long kMaxLineAmount = 10000000000000LL;

/// Classifies one line (without its line feed), reports its problems with the line number,
/// and books what it says into the ledger.
LineResult parseDonationLine(const char* text, long line);
/// True when every character before the first NUL, LF or CR is a space or a TAB.
bool isBlankLine(const char* text);
/// True for NUL, TAB, LF and CR.
bool isFieldEnd(char ch);

#endif

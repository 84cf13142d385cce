#ifndef QUORVA_INPUT_LINE_BOOKING_HPP
#define QUORVA_INPUT_LINE_BOOKING_HPP

#include "input/parsed_line.hpp"
#include "ledger/donor_table.hpp"

/// What a line came to once booked; the reader counts these.
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

/// Books a donation line's cents for its name.
inline LineResult bookDonationLine(const ParsedLine& parsed) {
  // A name field holds no more than it stores (a longer one is refused), so its length is the
  // count of its characters.
  addDonationInMonth(parsed.name.data(), parsed.name.length, parsed.date, parsed.local,
                     parsed.cents, parsed.line);
  return LineResult::donationBooked;
}
/// bookParsedLine for every line but a donation without messages.
LineResult bookUnusualLine(const ParsedLine& parsed);

/// Emits the line's messages in order, then does what only the ledger can decide: binds a
/// keyword's name to its type (with the messages of a name that already has amounts, or
/// another type), books a donation. Returns what the line came to. Inline: nearly every line
/// is a donation without a message.
inline LineResult bookParsedLine(const ParsedLine& parsed) {
  if (parsed.kind != LineKind::donation || !parsed.messages.empty()) {
    return bookUnusualLine(parsed);
  }
  return bookDonationLine(parsed);
}

#endif

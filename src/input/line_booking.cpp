#include "input/line_booking.hpp"

#include <cstddef>

#include "output/message_channel.hpp"

namespace {

LineResult bindKeyword(const ParsedLine& parsed) {
  const int index = findOrCreateDonor(parsed.name.data(), parsed.line);
  // No entry (the table is full, already reported): nothing was bound, so the line must not
  // count among the bindings.
  if (index < 0 || !bindSourceType(index, parsed.line, parsed.type)) {
    return LineResult::lineRejected;
  }
  const DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  if (entry.totalAmount != 0) {
    message(MessageKind::error, parsed.line, "Name %s can only have one funding purpose.",
            entry.name.data());
    messageMore("    Associate the purpose keyword with a name before reading any funding lines");
  }
  if (verbosityLevel >= 4) {
    message(MessageKind::plain, 0, "%s associated with support type %s", entry.name.data(),
            parsed.second.data());
  }
  return LineResult::keywordBound;
}

}  // namespace

LineResult bookUnusualLine(const ParsedLine& parsed) {
  emitLineMessages(parsed.messages);
  switch (parsed.kind) {
    case LineKind::blankLine:
      return LineResult::blankLine;
    case LineKind::commentLine:
      return LineResult::commentLine;
    case LineKind::notDonation:
      return LineResult::notDonation;
    case LineKind::emptyFirstField:
      return LineResult::emptyFirstField;
    case LineKind::blankDate:
      return LineResult::blankDate;
    case LineKind::keyword:
      return bindKeyword(parsed);
    case LineKind::badAmount:
      return LineResult::badAmount;
    case LineKind::zeroAmount:
      return LineResult::zeroAmount;
    case LineKind::donation:
      return bookDonationLine(parsed);
    case LineKind::lineRejected:
      break;
  }
  return LineResult::lineRejected;
}

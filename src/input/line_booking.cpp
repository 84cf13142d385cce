#include "input/line_booking.hpp"

#include <cstddef>
#include <iterator>

#include "ledger/source_type.hpp"
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

// The name first, then the related one, each found or created as on any keyword line; neither
// changes its type. Only givers held to the two percent limit that can be persons are grouped:
// a government unit or a charity is never limited, a donor-advised fund stands for several
// people, and income is no gift.
LineResult bindRelated(const ParsedLine& parsed) {
  const int first = findOrCreateDonor(parsed.name.data(), parsed.line);
  if (first < 0) {
    return LineResult::lineRejected;
  }
  const int second = findOrCreateDonor(parsed.third.data(), parsed.line);
  if (second < 0) {
    return LineResult::lineRejected;
  }
  if (first == second) {
    return LineResult::keywordBound;
  }
  if (!mayBeRelated(donorTable[static_cast<std::size_t>(first)].sourceType) ||
      !mayBeRelated(donorTable[static_cast<std::size_t>(second)].sourceType)) {
    message(MessageKind::error, parsed.line,
            "Related names must both be givers held to the two percent limit: %s", parsed.text);
    return LineResult::lineRejected;
  }
  return relateDonors(first, second, parsed.line) ? LineResult::keywordBound
                                                  : LineResult::lineRejected;
}

}  // namespace

LineResult bookUnusualLine(const ParsedLine& parsed) {
  emitLineMessages(parsed.messages);
  if (parsed.kind == LineKind::keyword) {
    return bindKeyword(parsed);
  }
  if (parsed.kind == LineKind::related) {
    return bindRelated(parsed);
  }
  if (parsed.kind == LineKind::donation) {
    return bookDonationLine(parsed);
  }
  // Every other kind of line comes to what it says, with nothing booked; by LineKind.
  static constexpr LineResult kUnbooked[] = {
    LineResult::blankLine,       LineResult::commentLine, LineResult::notDonation,
    LineResult::emptyFirstField, LineResult::blankDate,
    LineResult::lineRejected,  // a keyword line, bound above
    LineResult::badAmount,       LineResult::zeroAmount,
    LineResult::lineRejected,  // a donation, booked above
    LineResult::lineRejected,
    LineResult::lineRejected,  // a Related line, bound above
  };
  static_assert(std::size(kUnbooked) == static_cast<std::size_t>(LineKind::related) + 1,
                "one result for every kind of line");
  return kUnbooked[static_cast<std::size_t>(parsed.kind)];
}

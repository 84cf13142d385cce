#include "input/list_reader.hpp"

#include <cstring>

#include "input/date_parser.hpp"
#include "input/line_booking.hpp"
#include "input/line_parser.hpp"
#include "input/list_blocks.hpp"
#include "input/workbook_list.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"

namespace {

void countResult(LineResult result, ListCounts& counts) {
  switch (result) {
    case LineResult::notDonation:
    case LineResult::emptyFirstField:
    case LineResult::blankDate:
    case LineResult::zeroAmount:
      ++counts.unexpected;
      break;
    case LineResult::keywordBound:
      ++counts.keywords;
      break;
    case LineResult::donationBooked:
      ++counts.amounts;
      break;
    case LineResult::blankLine:
    case LineResult::commentLine:
    case LineResult::badAmount:
    case LineResult::lineRejected:
      break;
  }
}

void printStatistics(const ListCounts& counts) {
  if (counts.keywords != 0) {
    message(MessageKind::plain, 0,
            "       %ld funding source names associated with a keyword (type of source)",
            counts.keywords);
  }
  if (counts.amounts != 0) {
    message(MessageKind::plain, 0, "       %ld funding amounts seen", counts.amounts);
  }
  if (counts.unexpected != 0) {
    message(MessageKind::plain, 0, "       %ld line%s with unexpected format", counts.unexpected,
            counts.unexpected == 1 ? "" : "s");
  }
  message(MessageKind::plain, 0, "       %ld lines read", counts.lines);
}

// A CR ends a field, so on a line whose records are separated by CR alone (the line ends of some
// spreadsheet exports) every record after the first would be passed over without a word.
bool hasTextAfterCarriageReturn(const char* text, std::size_t length) {
  const auto* carriageReturn = static_cast<const char*>(std::memchr(text, '\r', length));
  if (carriageReturn == nullptr) {
    return false;
  }
  for (const char* p = carriageReturn + 1; p < text + length; ++p) {
    if (*p != '\r' && *p != ' ' && *p != '\t') {
      return true;
    }
  }
  return false;
}

// The first bytes of a list tell how it was saved: a UTF-8 byte order mark (Excel's "CSV UTF-8"
// writes one) is no part of the first name, and a list saved as UTF-16 has a NUL beside every
// character, so none of its lines could be read.
bool readByteOrderMark(ListBlocks& blocks) {
  if (blocks.startsWith("\xEF\xBB\xBF", 3)) {
    blocks.start += 3;
    return true;
  }
  if (blocks.startsWith("\xFF\xFE", 2) || blocks.startsWith("\xFE\xFF", 2)) {
    message(MessageKind::error, 0,
            "List %s is UTF-16 text; save it as UTF-8 or tab-separated text and read it again",
            inputFileNameText());
    return false;
  }
  return true;
}

void readLines(ListBlocks& blocks, ListCounts& counts, const ReadingOptions& options) {
  LookAhead lookAhead{ 0, 0, 0 };
  // One for the whole list: its messages keep their room from line to line.
  ParsedLine parsed;
  while (char* piece = blocks.nextPiece()) {
    ++counts.lines;
    if (donorLookupsMayMiss(donorTable)) {
      prepareLinesAhead(lookAhead, blocks.start, blocks.start + blocks.pieceLength, blocks.end,
                        blocks.refills);
    }
    const auto length = static_cast<std::size_t>(blocks.terminator - piece);
    // Nearly every line holds neither a NUL nor a CR; one scan that stops at either tells.
    if (blocks.plainPiece || std::strcspn(piece, "\r") == length) {
      parseDonationLine(piece, counts.lines, options, parsed);
      countResult(bookParsedLine(parsed), counts);
    } else if (std::memchr(piece, '\0', length) != nullptr) {
      // The parser would stop at a NUL and pass over the rest of the line without a word, so
      // such a line is refused whole.
      message(MessageKind::error, counts.lines,
              "Line contains a NUL character and is not read; the list may not be plain text");
    } else {
      parseDonationLine(piece, counts.lines, options, parsed);
      countResult(bookParsedLine(parsed), counts);
      if (hasTextAfterCarriageReturn(piece, length)) {
        message(
            MessageKind::error, counts.lines,
            "Text after a carriage return inside the line is not read; the list may have CR line ends");
      }
    }
    blocks.endPiece();
    if (blocks.longLine && blocks.skipRest()) {
      message(MessageKind::warning, counts.lines,
              "Line is longer than %d characters; the rest of it is not read",
              static_cast<int>(kLineLimit));
    }
  }
  releaseLineMessages(parsed.messages);
}

}  // namespace

void readWholeLine(const char* text, long number, const ReadingOptions& options,
                   ParsedLine& parsed, ListCounts& counts) {
  counts.lines = number;
  parseDonationLine(text, number, options, parsed);
  countResult(bookParsedLine(parsed), counts);
}

void readDonationList(std::FILE* file, const ReadingOptions& options) {
  resetDateCache();
  ListCounts counts{};
  if (file != nullptr) {
    ListBlocks blocks = startListBlocks(file);
    if (readWorkbookList(blocks, options, counts)) {
      printStatistics(counts);
      return;
    }
    if (readByteOrderMark(blocks)) {
      readLines(blocks, counts, options);
    }
    // A list that cannot be read to its end (a directory, a device error) must not pass for a
    // complete one: the totals would silently miss its donations.
    if (blocks.failed) {
      message(MessageKind::error, counts.lines + 1,
              "The list could not be read from this line on: %s", std::strerror(blocks.readError));
    }
  }
  printStatistics(counts);
}

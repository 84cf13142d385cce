#include "input/list_reader.hpp"

#include <array>
#include <cerrno>
#include <cstring>

#include "input/date_parser.hpp"
#include "input/line_parser.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"

namespace {

struct ListCounts {
  long lines;
  long keywords;
  long amounts;
  long unexpected;
};

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

void printStatistic(const char* text) {
  beginPlain();
  emitText(text);
  endLine();
}

void printStatistics(const ListCounts& counts) {
  if (counts.keywords != 0) {
    printStatistic(
        composeLine("       %ld funding source names associated with a keyword (type of source)",
                    counts.keywords));
  }
  if (counts.amounts != 0) {
    printStatistic(composeLine("       %ld funding amounts seen", counts.amounts));
  }
  if (counts.unexpected != 0) {
    printStatistic(composeLine("       %ld line%s with unexpected format", counts.unexpected,
                               counts.unexpected == 1 ? "" : "s"));
  }
  printStatistic(composeLine("       %ld lines read", counts.lines));
}

// A list is read in large blocks and cut into lines here, rather than a system call's worth of
// text at a time through fgets. A line is everything before its line feed (or before the end of
// the file), however long: lines are numbered as an editor numbers them. Of a longer line only
// the first kLineLimit characters are parsed; the rest is passed over, never read as a line of
// its own. A read error drops the unfinished line.
constexpr std::size_t kLineLimit = kLineLength - 1;
constexpr std::size_t kReadBlockSize = std::size_t{ 64 } * 1024;
// Room for one block after an unfinished line carried over, and for a terminator after it.
std::array<char, kReadBlockSize + kLineLength> readBlock;

// Lines ahead of the one being parsed whose name lookups are asked for (prefetchDonor), so that
// with a large donor table the waits on memory of several lines overlap.
constexpr std::size_t kLookAheadLines = 8;

// The name a donation line [line, lineFeed) will look up: before its first TAB, without the
// quotation marks around it and the blanks after it. A line read otherwise only costs a hint.
void prefetchNameOf(const char* line, const char* lineFeed) {
  const bool quoted = line[0] == '"';
  const char* name = quoted ? line + 1 : line;
  const auto* tab =
      static_cast<const char*>(std::memchr(name, '\t', static_cast<std::size_t>(lineFeed - name)));
  if (tab == nullptr) {
    return;
  }
  const char* nameEnd = quoted && tab > name && tab[-1] == '"' ? tab - 1 : tab;
  while (nameEnd > name && nameEnd[-1] == ' ') {
    --nameEnd;
  }
  if (nameEnd > name) {
    prefetchDonor(name, static_cast<std::size_t>(nameEnd - name));
  }
}

struct BlockReader {
  std::FILE* file;
  std::size_t start;  // first character of the next line
  std::size_t end;    // one past the last character read
  bool atEnd;         // nothing more will come from the file
  bool failed;
  int readError;
  // The character that a terminator replaced in the block while a line was parsed.
  char* terminator = nullptr;
  char replaced = '\0';
  std::size_t pieceLength = 0;
  bool plainPiece = false;
  bool longLine = false;  // the line goes on past the piece: skipRest passes over the rest

  unsigned long refills = 0;  // times the block was filled: offsets into it change then

  // The next line, cut to kLineLimit characters and zero-terminated in place without its line
  // feed; nullptr at the end. plainPiece tells that it holds neither a NUL nor a CR.
  char* nextPiece() {
    longLine = false;
    for (;;) {
      char* piece = readBlock.data() + start;
      const std::size_t available = end - start;
      // The longest line kept whole and its line feed.
      const std::size_t window = available < kLineLimit + 1 ? available : kLineLimit + 1;
      // Most lines: one scan, bounded by a terminator put at the end of the window for it,
      // finds the line feed and shows that nothing before it is a NUL or a CR.
      const char atWindowEnd = piece[window];
      piece[window] = '\0';
      const std::size_t plainLength = std::strcspn(piece, "\r\n");
      piece[window] = atWindowEnd;
      plainPiece = plainLength < window && piece[plainLength] == '\n';
      if (plainPiece) {
        pieceLength = plainLength + 1;
        return cut(piece, piece + plainLength);
      }
      if (auto* lineFeed = static_cast<char*>(std::memchr(piece, '\n', window))) {
        pieceLength = static_cast<std::size_t>(lineFeed - piece) + 1;
        return cut(piece, lineFeed);
      }
      if (available > kLineLimit) {
        pieceLength = kLineLimit;
        longLine = true;
        return cut(piece, piece + kLineLimit);
      }
      if (atEnd) {
        if (failed || available == 0) {
          return nullptr;
        }
        pieceLength = available;
        return cut(piece, piece + available);
      }
      refill(available);
    }
  }

  // Gives back what the terminator of the last line replaced, and moves past the piece.
  void endPiece() {
    *terminator = replaced;
    start += pieceLength;
  }

  // Passes over the rest of a long line, its line feed included. True when the rest holds text:
  // anything but the CR of a CR LF line end.
  bool skipRest() {
    std::size_t restLength = 0;
    bool text = false;
    for (;;) {
      const char* from = readBlock.data() + start;
      const std::size_t available = end - start;
      const auto* lineFeed = static_cast<const char*>(std::memchr(from, '\n', available));
      const std::size_t length =
          lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - from) : available;
      const bool leadingReturn = restLength == 0 && length > 0 && from[0] == '\r';
      text = text || length > (leadingReturn ? 1U : 0U);
      restLength += length;
      if (lineFeed != nullptr) {
        start += length + 1;
        return text;
      }
      start = end;
      if (atEnd) {
        return text;
      }
      refill(0);
    }
  }

  char* cut(char* piece, char* at) {
    terminator = at;
    replaced = *at;
    *at = '\0';
    return piece;
  }

  void refill(std::size_t carried) {
    std::memmove(readBlock.data(), readBlock.data() + start, carried);
    start = 0;
    ++refills;
    end = carried;
    const std::size_t got = std::fread(readBlock.data() + end, 1, kReadBlockSize, file);
    end += got;
    if (std::ferror(file) != 0) {
      // Taken at once: parsing the lines still in the block may change errno.
      readError = errno;
      failed = true;
      atEnd = true;
    } else if (got == 0 || std::feof(file) != 0) {
      atEnd = true;
    }
  }

  bool startsWith(const char* bytes, std::size_t count) const {
    return end - start >= count && std::memcmp(readBlock.data() + start, bytes, count) == 0;
  }
};

// Lines after the current piece whose lookups were asked for: those before ahead in the block,
// valid while the block was filled refills times.
struct LookAhead {
  std::size_t ahead;
  std::size_t lines;
  unsigned long refills;
};

// Keeps the lookups of kLookAheadLines lines after the current piece asked for, as far as the
// block holds them. Not inlined, and given values rather than the reader, so that the loop over
// the lines keeps its registers: a run with the default table pays only the test of its size.
[[gnu::noinline]] void prepareLinesAhead(LookAhead& look, std::size_t start, std::size_t pieceEnd,
                                         std::size_t end, unsigned long refills) {
  if (look.refills != refills || look.ahead <= start) {
    look = LookAhead{ pieceEnd, 0, refills };
  } else if (look.lines > 0) {
    --look.lines;  // the current piece was the first of them
  }
  while (look.lines < kLookAheadLines && look.ahead < end) {
    const char* line = readBlock.data() + look.ahead;
    const auto* lineFeed = static_cast<const char*>(std::memchr(line, '\n', end - look.ahead));
    if (lineFeed == nullptr) {
      break;
    }
    prefetchNameOf(line, lineFeed);
    look.ahead = static_cast<std::size_t>(lineFeed + 1 - readBlock.data());
    ++look.lines;
  }
}

void reportLineError(long line, const char* text) {
  beginError(line);
  emitText(text);
  endLine();
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
bool readByteOrderMark(BlockReader& reader) {
  if (reader.startsWith("\xEF\xBB\xBF", 3)) {
    reader.start += 3;
    return true;
  }
  if (reader.startsWith("\xFF\xFE", 2) || reader.startsWith("\xFE\xFF", 2)) {
    message(MessageKind::error, 0,
            "List %s is UTF-16 text; save it as UTF-8 or tab-separated text and read it again",
            inputFileNameText());
    return false;
  }
  return true;
}

void readLines(BlockReader& reader, ListCounts& counts) {
  LookAhead lookAhead{ 0, 0, 0 };
  while (char* piece = reader.nextPiece()) {
    ++counts.lines;
    if (donorLookupsMayMiss()) {
      prepareLinesAhead(lookAhead, reader.start, reader.start + reader.pieceLength, reader.end,
                        reader.refills);
    }
    const auto length = static_cast<std::size_t>(reader.terminator - piece);
    // Nearly every line holds neither a NUL nor a CR; one scan that stops at either tells.
    if (reader.plainPiece || std::strcspn(piece, "\r") == length) {
      countResult(parseDonationLine(piece, counts.lines), counts);
    } else if (std::memchr(piece, '\0', length) != nullptr) {
      // The parser would stop at a NUL and pass over the rest of the line without a word, so
      // such a line is refused whole.
      reportLineError(
          counts.lines,
          composeLine(
              "Line contains a NUL character and is not read; the list may not be plain text"));
    } else {
      countResult(parseDonationLine(piece, counts.lines), counts);
      if (hasTextAfterCarriageReturn(piece, length)) {
        reportLineError(
            counts.lines,
            composeLine(
                "Text after a carriage return inside the line is not read; the list may have CR line ends"));
      }
    }
    reader.endPiece();
    if (reader.longLine && reader.skipRest()) {
      message(MessageKind::warning, counts.lines,
              "Line is longer than %d characters; the rest of it is not read",
              static_cast<int>(kLineLimit));
    }
  }
}

}  // namespace

void readDonationList(std::FILE* file) {
  resetDateCache();
  ListCounts counts{};
  if (file != nullptr) {
    BlockReader reader{ file, 0, 0, false, false, 0 };
    reader.refill(0);
    if (readByteOrderMark(reader)) {
      readLines(reader, counts);
    }
    // A list that cannot be read to its end (a directory, a device error) must not pass for a
    // complete one: the totals would silently miss its donations.
    if (reader.failed) {
      message(MessageKind::error, counts.lines + 1,
              "The list could not be read from this line on: %s", std::strerror(reader.readError));
    }
  }
  printStatistics(counts);
}

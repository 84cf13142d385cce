#include "input/list_reader.hpp"

#include <array>
#include <cstdio>
#include <cstring>

#include "input/date_parser.hpp"
#include "input/line_booking.hpp"
#include "input/line_parser.hpp"
#include "input/list_blocks.hpp"
#include "input/list_records.hpp"
#include "input/text_encoding.hpp"
#include "input/workbook_list.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/donor_table.hpp"
#include "output/byte_marks.hpp"
#include "output/message_channel.hpp"

// A plain line of the block is parsed with slack: the block has that much room after its text.
static_assert(kScanSlack >= kLineSlack, "the block's slack is less than a parsed line's");

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

// Room for one read cell of a record, and for the record's line of three (the name may be two).
constexpr std::size_t kCellRoom = kWideLineLimit + 1;

// The texts a record is parsed from: its line of read cells, and, when it runs over several
// lines, its text with the line breaks shown as blanks (as long as a message can quote).
struct RecordText {
  std::array<char, 4 * kCellRoom + 4> line;
  std::array<char, kLineLength> shown;
};

// What a list is read by: its separator, the columns read, and what its lines said so far.
struct ListReading {
  ListBlocks& blocks;
  ListCounts& counts;
  const ReadingOptions& options;
  ParsedLine parsed;  // one for the whole list: its messages keep their room from line to line
  RecordRules rules;
  bool dataSeen;  // a donation or keyword line has come: no later line names the columns
  bool mapped;    // a header named the columns
  int soloLines;  // lines to read on their own after a quotation mark that was not closed
  RecordScan scan;
  RecordText text;
  ListEncoding encoding;  // lines not in UTF-8 are converted through it
};

// Lists joined with cat carry a byte order mark where each list began: at the start of a line,
// it is passed over.
void passByteOrderMarks(ListBlocks& blocks) {
  while (blocks.startsWith("\xEF\xBB\xBF", 3)) {
    blocks.start += 3;
  }
}

// The kinds of line that are gifts or keyword lines: after one, no line names the columns.
constexpr unsigned kDataKinds = 1U << static_cast<unsigned>(LineKind::donation) |
                                1U << static_cast<unsigned>(LineKind::zeroAmount) |
                                1U << static_cast<unsigned>(LineKind::badAmount) |
                                1U << static_cast<unsigned>(LineKind::keyword) |
                                1U << static_cast<unsigned>(LineKind::related);

void noteDataLine(ListReading& reading) {
  reading.dataSeen =
      reading.dataSeen || ((kDataKinds >> static_cast<unsigned>(reading.parsed.kind)) & 1U) != 0;
}

void countLine(ListReading& reading, LineResult result) {
  countResult(result, reading.counts);
  noteDataLine(reading);
}

// A line of column names before the first gift may say where the name, the date and the
// amount stand; from the next line on, every line is read from those columns.
bool takeHeader(ListReading& reading, const char* record, long line) {
  ColumnMap map = kPlainColumns;
  // A booked gift always says so in the counts; the other data lines set dataSeen.
  const bool afterData = reading.dataSeen || reading.counts.amounts != 0;
  if (reading.mapped || afterData || !reading.parsed.columnNames ||
      !mapHeaderColumns(record, reading.scan, map) || !isMappedColumns(map)) {
    return false;
  }
  char nameColumns[32];
  if (map.lastName >= 0) {
    std::snprintf(nameColumns, sizeof nameColumns, "%d+%d", map.name + 1, map.lastName + 1);
  } else {
    std::snprintf(nameColumns, sizeof nameColumns, "%d", map.name + 1);
  }
  message(MessageKind::info, line,
          "Columns of %s: name in column %s, date or keyword in column %d, amount in column %d",
          inputFileNameText(), nameColumns, map.second + 1, map.amount + 1);
  reading.mapped = true;
  reading.rules.map = map;
  reading.rules.lineLimit = kWideLineLimit;
  return true;
}

// After a quotation mark that was not closed, the lines it was looked for on are read alone.
bool joinsLines(ListReading& reading) {
  if (reading.soloLines > 0) {
    --reading.soloLines;
    return false;
  }
  return true;
}

void noteNotClosed(ListReading& reading, long line) {
  if (reading.scan.notClosed) {
    reading.soloLines = reading.scan.lookedAt - 1;
    message(MessageKind::error, line, "Quotation mark opened on line %ld is not closed", line);
  }
}

// Moves past the record; the rest of a line longer than limit is passed over, with a warning.
void endRecord(ListReading& reading, long line, std::size_t limit) {
  ListBlocks& blocks = reading.blocks;
  blocks.endPiece();
  if (blocks.longLine && blocks.skipRest()) {
    message(MessageKind::warning, line,
            "Line is longer than %d characters; the rest of it is not read",
            static_cast<int>(limit));
  }
}

// A line of a tab-separated list read as columns 1, 2 and 3 that holds a quotation mark: a cell
// after the third that opens one may go on over the next lines, which are passed over with it.
// Its first line is parsed as every line is.
void readQuotedTabLine(ListReading& reading) {
  ListBlocks& blocks = reading.blocks;
  blocks.uncut();
  passByteOrderMarks(blocks);
  const bool join = joinsLines(reading);
  char* record = blocks.nextRecord(reading.rules, join, reading.scan);
  const long line = reading.counts.lines + 1;
  reading.counts.lines += reading.scan.lines;
  noteNotClosed(reading, line);
  char* firstEnd = record + reading.scan.textLength;
  if (reading.scan.lines > 1) {
    firstEnd = static_cast<char*>(std::memchr(record, '\n', reading.scan.textLength));
  }
  const char kept = *firstEnd;
  *firstEnd = '\0';
  const auto firstLength = static_cast<std::size_t>(firstEnd - record);
  parseDonationLine(record, line, reading.options, reading.parsed);
  readAsUtf8(reading.parsed, record, firstLength, blocks, reading.encoding);
  countLine(reading, bookParsedLine(reading.parsed));
  if (hasTextAfterCarriageReturn(record, firstLength)) {
    message(
        MessageKind::error, line,
        "Text after a carriage return inside the line is not read; the list may have CR line ends");
  }
  if (reading.parsed.columnNames) {
    scanRecord(record, firstLength, true, false, reading.rules, false, reading.scan);
    takeHeader(reading, record, line);
  }
  *firstEnd = kept;
}

// A line of a tab-separated list read as columns 1, 2 and 3 that came to something else than a
// donation: it may be a gift of another kind, or name the columns.
[[gnu::noinline]] void takeUnusualTabLine(ListReading& reading, char* piece, std::size_t length) {
  noteDataLine(reading);
  if (!reading.parsed.columnNames) {
    return;
  }
  ListBlocks& blocks = reading.blocks;
  if (!blocks.longLine) {
    scanRecord(piece, length, true, false, reading.rules, false, reading.scan);
    takeHeader(reading, piece, reading.counts.lines);
    return;
  }
  // A donor system's header of many columns may be longer than the part of the line read: its
  // names are looked for as far as a mapped list's line is read, in what the block holds.
  RecordRules wide = reading.rules;
  wide.lineLimit = kWideLineLimit;
  blocks.uncut();
  scanRecord(piece, blocks.end - blocks.start, true, false, wide, false, reading.scan);
  *blocks.terminator = '\0';
  takeHeader(reading, piece, reading.counts.lines);
}

// True when a quotation mark of the tab-separated line [piece, piece + length) stands after its
// third TAB, where a notes cell may open and go on over the next lines (or the line is longer
// than the piece). A quoted name or amount alone keeps the line a line of its own.
bool mayOpenNotesCell(const char* piece, std::size_t length, bool longLine) {
  const char* end = piece + length;
  const char* quote = static_cast<const char*>(std::memchr(piece, '"', length));
  if (quote == nullptr) {
    return false;
  }
  if (longLine) {
    return true;
  }
  const char* at = piece;
  for (int tabs = 0; tabs < 3; ++tabs) {
    at = static_cast<const char*>(std::memchr(at, '\t', static_cast<std::size_t>(end - at)));
    if (at == nullptr) {
      return false;
    }
    ++at;
  }
  return std::memchr(at, '"', static_cast<std::size_t>(end - at)) != nullptr;
}

// A line with a NUL, a CR or a quotation mark (which may open a notes cell that goes on over the
// next lines).
void readUnplainTabLine(ListReading& reading, char* piece, std::size_t length) {
  if (std::memchr(piece, '\0', length) != nullptr) {
    // The parser would stop at a NUL and pass over the rest of the line without a word, so
    // such a line is refused whole.
    message(MessageKind::error, ++reading.counts.lines,
            "Line contains a NUL character and is not read; the list may not be plain text");
    return;
  }
  if (mayOpenNotesCell(piece, length, reading.blocks.longLine)) {
    readQuotedTabLine(reading);
    return;
  }
  const long line = ++reading.counts.lines;
  parseDonationLine(piece, line, reading.options, reading.parsed);
  readAsUtf8(reading.parsed, piece, length, reading.blocks, reading.encoding);
  countResult(bookParsedLine(reading.parsed), reading.counts);
  if (hasTextAfterCarriageReturn(piece, length)) {
    message(
        MessageKind::error, line,
        "Text after a carriage return inside the line is not read; the list may have CR line ends");
  }
  takeUnusualTabLine(reading, piece, length);
}

// The lines of a tab-separated list read as columns 1, 2 and 3, until a header maps its
// columns (true) or the list ends (false). A plain line, as nearly every line is, takes the
// shortest way.
bool readTabLines(ListReading& reading) {
  ListBlocks& blocks = reading.blocks;
  ListCounts& counts = reading.counts;
  ParsedLine& parsed = reading.parsed;
  const ReadingOptions& options = reading.options;
  LookAhead lookAhead{ 0, 0, 0 };
  while (char* line = blocks.nextPiece()) {
    if (donorLookupsMayMiss(donorTable)) {
      prepareLinesAhead(lookAhead, blocks.start, blocks.start + blocks.pieceLength, blocks.end,
                        blocks.refills);
    }
    char* const piece = afterByteOrderMarks(line);
    const auto length = static_cast<std::size_t>(blocks.terminator - piece);
    if (blocks.plainPiece) {
      ++counts.lines;
      parseDonationLineWithSlack(piece, counts.lines, options, parsed);
      readAsUtf8(parsed, piece, length, blocks, reading.encoding);
      countResult(bookParsedLine(parsed), counts);
      if (parsed.kind == LineKind::donation) {
        blocks.endPiece();  // a plain piece ends at its line feed: it is never a long line
        continue;
      }
      takeUnusualTabLine(reading, piece, length);
    } else {
      readUnplainTabLine(reading, piece, length);
    }
    endRecord(reading, counts.lines, kLineLimit);
    if (reading.mapped) {
      return true;
    }
  }
  return false;
}

// Whether a record is read or passed over as blank, a comment (its first cell, unquoted,
// begins with '!') or without a name; line is the record's line for the parser.
RecordStart startOfRecord(const ListReading& reading, const char* record, const char* line) {
  const bool csv = reading.rules.csv;
  bool blank = true;
  for (const char* p = record; p < record + reading.scan.textLength && blank; ++p) {
    blank =
        *p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || (csv && (*p == ',' || *p == '"'));
  }
  if (blank) {
    return RecordStart::blank;
  }
  const char* first = record;
  while (*first == ' ') {
    ++first;
  }
  if (*first == '"' && (!csv || reading.scan.cells[0].quoted)) {
    ++first;
    while (csv && *first == ' ') {
      ++first;
    }
  }
  if (*first == '!') {
    return RecordStart::comment;
  }
  const char* name = line;
  while (*name == ' ') {
    ++name;
  }
  return (*name == '\t' || *name == '\0') ? RecordStart::emptyName : RecordStart::read;
}
// Appends cell index of the record to the line at used; a cell too long to copy becomes one
// that is too long for a field, so that the parser refuses it as such.
std::size_t appendCell(const ListReading& reading, const char* record, int index, char* out) {
  const std::size_t length =
      cellText(record, reading.scan, index, reading.rules.csv, out, kCellRoom);
  if (length < kCellRoom) {
    return length;
  }
  std::memset(out, '0', kFieldMaxLength + 1);
  return kFieldMaxLength + 1;
}

// A first name and a last name joined by a blank; in a tab-separated list, quotation marks
// around either are taken as standing around the whole name.
std::size_t appendJoinedName(const ListReading& reading, const char* record, char* out) {
  const ColumnMap& map = reading.rules.map;
  std::size_t used = appendCell(reading, record, map.name, out + 1);
  out[1 + used++] = ' ';
  used += appendCell(reading, record, map.lastName, out + 1 + used);
  if (reading.rules.csv) {
    std::memmove(out, out + 1, used);
    return used;
  }
  // The two cells' surrounding quotation marks, if any, are moved to the ends of the name.
  char* text = out + 1;
  bool quoted = false;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < used; ++i) {
    const bool atCellEdge = (i == 0 || text[i - 1] == ' ' || i + 1 == used || text[i + 1] == ' ');
    if (text[i] == '"' && atCellEdge) {
      quoted = true;
      continue;
    }
    out[1 + kept++] = text[i];
  }
  if (!quoted) {
    std::memmove(out, out + 1, kept);
    return kept;
  }
  out[0] = '"';
  out[1 + kept] = '"';
  return kept + 2;
}

// The record's read cells as a line for the parser: name, TAB, second, TAB, amount (of a list
// read as columns 1, 2 and 3, only the cells it has).
const char* recordLine(ListReading& reading, const char* record) {
  const ColumnMap& map = reading.rules.map;
  char* out = reading.text.line.data();
  const int fields = reading.mapped ? 3 : (reading.scan.cellCount < 3 ? reading.scan.cellCount : 3);
  std::size_t used = map.lastName >= 0 ? appendJoinedName(reading, record, out)
                                       : appendCell(reading, record, map.name, out);
  for (int field = 1; field < fields; ++field) {
    out[used++] = '\t';
    used += appendCell(reading, record, field == 1 ? map.second : map.amount, out + used);
  }
  out[used] = '\0';
  return out;
}

const char* shownRecord(ListReading& reading, const char* record) {
  if (reading.scan.lines == 1) {
    return record;
  }
  std::array<char, kLineLength>& shown = reading.text.shown;
  std::size_t used = 0;
  for (const char* p = record; *p != '\0' && used + 1 < shown.size(); ++p) {
    shown[used++] = (*p == '\n' || *p == '\r') ? ' ' : *p;
  }
  shown[used] = '\0';
  return shown.data();
}

// An unquoted $1,250.00 in a comma-separated list is the cells $1 and 250.00: a silent $1.00.
void refuseCutAmount(ListReading& reading, const char* record) {
  ParsedLine& parsed = reading.parsed;
  const int amount = reading.rules.map.amount;
  if (!reading.rules.csv ||
      (parsed.kind != LineKind::donation && parsed.kind != LineKind::zeroAmount) ||
      !isThousandsTail(record, reading.scan, amount + 1)) {
    return;
  }
  std::array<char, kFieldSize> written{};
  cellText(record, reading.scan, amount, false, written.data(), written.size());
  noteMessage(
      parsed.messages, MessageKind::error, parsed.line,
      "Amount '%s' is followed by a cell of three digits; it looks cut at a thousands comma: %s",
      written.data(), parsed.text);
  parsed.kind = LineKind::lineRejected;
}

void readRecord(ListReading& reading, char* record, long line) {
  const RecordLine parts{ recordLine(reading, record), shownRecord(reading, record),
                          reading.rules.csv, RecordStart::read };
  RecordLine cells = parts;
  cells.start = startOfRecord(reading, record, parts.line);
  parseDonationRecord(cells, line, reading.options, reading.parsed);
  readAsUtf8(reading.parsed, record, reading.scan.textLength, reading.blocks, reading.encoding);
  refuseCutAmount(reading, record);
  countLine(reading, bookParsedLine(reading.parsed));
  if (reading.scan.textAfterReturn) {
    message(
        MessageKind::error, line,
        "Text after a carriage return inside the line is not read; the list may have CR line ends");
  }
  takeHeader(reading, record, line);
}

// The record at the start of the unread text, read by the list's rules.
void readNextRecord(ListReading& reading, char* record) {
  const long line = reading.counts.lines + 1;
  reading.counts.lines += reading.scan.lines;
  noteNotClosed(reading, line);
  if (std::memchr(record, '\0', reading.scan.textLength) != nullptr) {
    message(MessageKind::error, line,
            "Line contains a NUL character and is not read; the list may not be plain text");
  } else {
    readRecord(reading, record, line);
  }
  endRecord(reading, line, reading.rules.lineLimit);
}

// The records of a list whose columns a header mapped.
void readRecords(ListReading& reading) {
  ListBlocks& blocks = reading.blocks;
  for (;;) {
    passByteOrderMarks(blocks);
    char* record = blocks.nextRecord(reading.rules, joinsLines(reading), reading.scan);
    if (record == nullptr) {
      break;
    }
    readNextRecord(reading, record);
  }
}

#if defined(__SSE2__)
// The three commas that end the first three cells of a comma-separated line [p, end) of a list
// block (the third may be end); false when a quotation mark stands anywhere but around the third
// cell (without "" in it). Its commas and quotation marks are found sixteen bytes at a time (a
// block has room to read past its lines).
bool findPlainCommas(char* p, char* end, std::array<char*, 3>& commas) {
  int found = 0;
  bool quoted = false;  // inside the third cell's quotation marks
  for (char* at = p; at < end; at += 16) {
    unsigned marks = marksOf(at, ',', '"') & firstBits(static_cast<std::size_t>(end - at));
    for (; marks != 0; marks &= marks - 1) {
      char* mark = at + __builtin_ctz(marks);
      if (quoted) {
        // A comma stays inside the cell; the closing mark must end it.
        quoted = *mark == ',';
        if (!quoted && mark[1] != ',' && mark + 1 != end) {
          return false;
        }
      } else if (*mark == '"') {
        // Only around the third cell, and after the third comma no quotation mark at all.
        if (found != 2 || mark != commas[1] + 1) {
          return false;
        }
        quoted = true;
      } else if (found < 3) {
        commas[static_cast<std::size_t>(found++)] = mark;
      }
    }
  }
  if (quoted || found < 2) {
    return false;
  }
  if (found == 2) {
    commas[2] = end;
  }
  return true;
}
#else
// The three commas that end the first three cells of a comma-separated line [p, end) (the
// third may be end), in one pass; false when a quotation mark stands anywhere but around the
// third cell (without "" in it).
bool findPlainCommas(char* p, char* end, std::array<char*, 3>& commas) {
  int found = 0;
  // The piece is zero-terminated at end and holds no NUL before it.
  for (p += std::strcspn(p, ",\""); p < end; p += std::strcspn(p, ",\"")) {
    if (*p == ',') {
      commas[static_cast<std::size_t>(found++)] = p;
      if (found == 3) {
        break;
      }
      ++p;
      continue;
    }
    if (found != 2 || p != commas[1] + 1) {
      return false;
    }
    char* closing = std::strchr(p + 1, '"');
    if (closing == nullptr || (closing[1] != ',' && closing + 1 != end)) {
      return false;
    }
    p = closing + 1;
  }
  if (found < 2) {
    return false;
  }
  if (found == 2) {
    commas[2] = end;
    return true;
  }
  return std::strchr(p, '"') == nullptr;
}
#endif

// The cells of a plain comma-separated line [text, end) whose first three end at commas, parsed
// as the tab-separated line they make; true when they come to a donation without a message.
// The line is given back as it was.
bool readCommaCells(ListReading& reading, char* text, char* end,
                    const std::array<char*, 3>& commas) {
  char* nameEnd = commas[0];
  char* secondEnd = commas[1];
  char* amountEnd = commas[2];
  if (amountEnd != end) {
    auto* next = static_cast<char*>(
        std::memchr(amountEnd + 1, ',', static_cast<std::size_t>(end - amountEnd - 1)));
    if (isThousandsTail(amountEnd + 1, next != nullptr ? next : end)) {
      return false;
    }
  }
  ParsedLine& parsed = reading.parsed;
  *nameEnd = '\t';
  *secondEnd = '\t';
  const char afterAmount = *amountEnd;
  *amountEnd = '\0';
  // The line lies in the list's block, whose slack follows its text (and the rest of the line
  // and the lines after it come before that).
  parseDonationLineWithSlack(text, reading.counts.lines + 1, reading.options, parsed);
  *nameEnd = ',';
  *secondEnd = ',';
  *amountEnd = afterAmount;
  return parsed.kind == LineKind::donation && parsed.messages.empty();
}

// The length of the name that a comma-separated line [piece, end) holds in quotation marks, as
// "Baker, Susan", when the record's reading would take it as the line's own parse does: no
// quotation mark in it, and a character at each end that neither reading trims (an ASCII one,
// not a blank) and that makes no comment. 0 for any other line.
std::size_t plainQuotedNameLength(const char* piece, const char* end) {
  if (piece[0] != '"' || end - piece < 4) {
    return 0;
  }
  const auto* closing = static_cast<const char*>(
      std::memchr(piece + 1, '"', static_cast<std::size_t>(end - piece - 1)));
  if (closing == nullptr || closing + 1 == end || closing[1] != ',' || closing == piece + 1) {
    return 0;
  }
  const auto first = static_cast<unsigned char>(piece[1]);
  const auto last = static_cast<unsigned char>(closing[-1]);
  const bool plainEnds = first > ' ' && first < 0x7F && first != '!' && last > ' ' && last < 0x7F;
  return plainEnds ? static_cast<std::size_t>(closing - piece - 1) : 0;
}

// A line of a comma-separated list read as columns 1, 2 and 3, as nearly every line is: no
// quotation mark but around the amount (and around a plain name), no TAB, no CR, and it comes
// to a donation without a message. It is read as the same line tab-separated would be, its
// first two commas made TABs for the parse; the amount's quotation marks are dropped as an
// amount's are, and a quoted name is moved over its closing mark for the parse, so that it
// ends at its comma. Any other line is left to the record's full reading (false): its messages
// quote it as written. The line is given back as it was.
bool readPlainCommaLine(ListReading& reading, char* piece, std::size_t length) {
  // The CR of a CR LF line is no part of its last cell.
  if (length != 0 && piece[length - 1] == '\r') {
    --length;
  }
  char* end = piece + length;
  const std::size_t quotedName = plainQuotedNameLength(piece, end);
  char* const text = quotedName != 0 ? piece + 2 : piece;
  std::array<char*, 3> commas{};
  if (!findPlainCommas(text + quotedName, end, commas)) {
    return false;
  }
  if (quotedName != 0) {
    std::memmove(text, piece + 1, quotedName);
  }
  const bool read = readCommaCells(reading, text, end, commas);
  if (quotedName != 0) {
    std::memmove(piece + 1, text, quotedName);
    piece[quotedName + 1] = '"';
  }
  if (!read) {
    return false;
  }
  readAsUtf8(reading.parsed, piece, length, reading.blocks, reading.encoding);
  ++reading.counts.lines;
  countResult(bookDonationLine(reading.parsed), reading.counts);
  return true;
}

// The records of a comma-separated list: a plain line the short way, any other in full.
void readCommaLines(ListReading& reading) {
  ListBlocks& blocks = reading.blocks;
  blocks.plainRules = kCommaListRules;
  blocks.lineLimit = kWideLineLimit;
  while (char* line = blocks.nextPiece()) {
    char* const piece = afterByteOrderMarks(line);
    if (blocks.plainPiece && !reading.mapped && reading.soloLines == 0 &&
        readPlainCommaLine(reading, piece, static_cast<std::size_t>(blocks.terminator - piece))) {
      blocks.endPiece();
      continue;
    }
    blocks.uncut();
    passByteOrderMarks(blocks);
    if (char* record = blocks.nextRecord(reading.rules, joinsLines(reading), reading.scan)) {
      readNextRecord(reading, record);
    }
  }
}

void readLines(ListBlocks& blocks, ListCounts& counts, const ReadingOptions& options,
               char separator) {
  const bool csv = separator == ',';
  ListReading reading{ blocks,
                       counts,
                       options,
                       {},
                       RecordRules{ separator, csv, kPlainColumns,
                                    csv ? kWideLineLimit : kLineLimit },
                       false,
                       false,
                       0,
                       {},
                       {},
                       {} };
  if (csv) {
    readCommaLines(reading);
  } else if (readTabLines(reading)) {
    readRecords(reading);
  }
  releaseLineMessages(reading.parsed.messages);
  releaseLineMessages(reading.encoding.messages);
}

// A header row of many columns may be longer than the part of the row read: its names are
// looked for as far as a mapped list's line is read.
void takeSheetHeader(ListReading& reading, const SheetLine& row) {
  RecordRules wide = reading.rules;
  wide.lineLimit = kWideLineLimit;
  const std::size_t named = row.length < kWideLineLimit ? row.length : kWideLineLimit;
  const char kept = row.text[named];
  row.text[named] = '\0';
  scanRecord(row.text, named, true, false, wide, false, reading.scan);
  takeHeader(reading, row.text, row.number);
  row.text[named] = kept;
}

// A row of a sheet, as a line of a tab-separated list that never goes on over the next: read as
// columns 1, 2 and 3 (and perhaps naming the columns) up to kLineLimit characters, or from the
// columns its header named up to kWideLineLimit. Its cells hold no TAB, CR or LF of their own.
void readSheetLine(ListReading& reading, const SheetLine& row) {
  const std::size_t limit = reading.rules.lineLimit;
  const std::size_t length = row.length < limit ? row.length : limit;
  reading.counts.lines = row.number;
  const char kept = row.text[length];
  row.text[length] = '\0';
  if (length == 0) {
    parseDonationLine(nullptr, row.number, reading.options, reading.parsed);
    countLine(reading, bookParsedLine(reading.parsed));
  } else if (reading.mapped) {
    scanRecord(row.text, length, true, false, reading.rules, false, reading.scan);
    readRecord(reading, row.text, row.number);
  } else {
    parseDonationLine(row.text, row.number, reading.options, reading.parsed);
    countLine(reading, bookParsedLine(reading.parsed));
    row.text[length] = kept;
    if (reading.parsed.columnNames) {
      takeSheetHeader(reading, row);
    }
  }
  row.text[length] = kept;
  if (row.length > limit) {
    message(MessageKind::warning, row.number,
            "Line is longer than %d characters; the rest of it is not read",
            static_cast<int>(limit));
  }
}

}  // namespace

void readSheetLines(ListBlocks& blocks, const SheetSource& source, const ReadingOptions& options,
                    ListCounts& counts) {
  // A sheet is tab-separated: its cells are never quoted for the format, as a CSV file's are.
  constexpr RecordRules kSheetRules{ '\t', false, kPlainColumns, kLineLimit };
  ListReading reading{ blocks, counts, options, {}, kSheetRules, false, false, 0, {}, {}, {} };
  SheetLine row{ 0, nullptr, 0 };
  while (source.next(source.context, row)) {
    readSheetLine(reading, row);
  }
  releaseLineMessages(reading.parsed.messages);
  releaseLineMessages(reading.encoding.messages);
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
      const char separator = detectSeparator(blocks.unread(), blocks.end - blocks.start);
      if (separator == ',') {
        message(MessageKind::info, 0, "List %s is read as comma-separated values",
                inputFileNameText());
      }
      readLines(blocks, counts, options, separator);
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

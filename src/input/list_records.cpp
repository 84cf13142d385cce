#include "input/list_records.hpp"

#include <cstring>

#include "output/ascii.hpp"
#include "output/byte_marks.hpp"

namespace {

// The first of a and b in text[p, end), or end. Sixteen bytes at a time, and never a byte
// outside text[0, end): a short run is looked at in the sixteen bytes that end at end, since
// cells are short and a loop over their characters mispredicts its end every time.
std::size_t findEither(const char* text, std::size_t p, std::size_t end, char a, char b) {
#if defined(__SSE2__)
  if (end >= 16) {
    for (; end - p > 16; p += 16) {
      if (const unsigned marks = marksOf(text + p, a, b)) {
        return p + static_cast<std::size_t>(__builtin_ctz(marks));
      }
    }
    // The last sixteen bytes, those before p left out.
    const std::size_t last = end - 16;
    const unsigned marks = marksOf(text + last, a, b) & (0xFFFFU << (p - last));
    return marks != 0 ? last + static_cast<std::size_t>(__builtin_ctz(marks)) : end;
  }
#endif
  for (; p < end; ++p) {
    if (text[p] == a || text[p] == b) {
      return p;
    }
  }
  return end;
}

// What one of the first lines shows: nothing (blank or a comment), or whether it holds a TAB
// or a comma outside quotation marks.
struct LineSample {
  bool counted;
  bool tab;
  bool comma;
};

LineSample sampleLine(const char* p, std::size_t length) {
  const char* end = p + length;
  const char* first = p;
  while (first < end && (*first == ' ' || *first == '\t' || *first == '\r')) {
    ++first;
  }
  const bool comment =
      first < end && (*first == '!' || (*first == '"' && first + 1 < end && first[1] == '!'));
  if (first == end || comment) {
    return LineSample{ false, false, false };
  }
  LineSample sample{ true, std::memchr(p, '\t', length) != nullptr, false };
  bool quoted = false;
  for (; p < end && !sample.comma; ++p) {
    quoted = quoted != (*p == '"');
    sample.comma = !quoted && *p == ',';
  }
  return sample;
}

bool isReadColumn(const ColumnMap& map, int cell) {
  return cell == map.name || cell == map.lastName || cell == map.second || cell == map.amount;
}

// Where a line that starts at from ends: at its line feed, cut at the line limit, at the end of
// the list, or beyond the text read so far.
enum class LineEndKind : int { lineFeed, cut, listEnd, needMore };
struct LineEnd {
  LineEndKind kind;
  std::size_t at;
};

LineEnd findLineEnd(const char* text, std::size_t from, std::size_t available, bool atEnd,
                    std::size_t limit) {
  const std::size_t rest = available - from;
  const std::size_t window = rest < limit + 1 ? rest : limit + 1;
  if (const auto* lineFeed = static_cast<const char*>(std::memchr(text + from, '\n', window))) {
    return LineEnd{ LineEndKind::lineFeed, static_cast<std::size_t>(lineFeed - text) };
  }
  if (rest > limit) {
    return LineEnd{ LineEndKind::cut, from + limit };
  }
  return LineEnd{ atEnd ? LineEndKind::listEnd : LineEndKind::needMore, available };
}

// The walk over a record's cells, line by line.
struct CellWalk {
  char* text;
  const RecordRules* rules;
  RecordScan* scan;
  int cell;
  std::size_t cellStart;
  bool quoted;    // the current cell began with a quotation mark that quotes it
  bool inQuotes;  // the walk is between its quotation marks
  bool ended;     // a carriage return ended the cells

  void endCell(std::size_t at) {
    if (cell < kMaxCells) {
      scan->cells[static_cast<std::size_t>(cell)] =
          CellSpan{ static_cast<std::uint32_t>(cellStart), static_cast<std::uint32_t>(at), quoted };
    }
  }
  // Starts the cell at at; returns where the walk goes on (after an opening quotation mark).
  std::size_t startCell(std::size_t at, std::size_t lineEnd) {
    cellStart = at;
    quoted = false;
    if (!rules->csv && isReadColumn(rules->map, cell)) {
      return at;
    }
    std::size_t p = at;
    while (p < lineEnd && text[p] == ' ') {
      ++p;
    }
    if (p < lineEnd && text[p] == '"') {
      quoted = true;
      inQuotes = true;
      return p + 1;
    }
    return at;
  }
  // Between quotation marks from p: the closing mark ends them ("" is one mark). A TAB ends a
  // cell of a tab-separated list: on a continuation line it means the mark is not closed.
  std::size_t walkQuoted(std::size_t p, std::size_t lineEnd, bool continuation, bool& broken);
  // Outside quotation marks from p: a separator ends the cell, a carriage return the cells.
  std::size_t walkPlain(std::size_t p, std::size_t lineEnd);
  // The cells of the line [p, lineEnd); false when a tab-separated list's continuation line
  // holds a TAB before the closing mark.
  bool walkLine(std::size_t p, std::size_t lineEnd, bool continuation) {
    // A terminator at the line's end bounds the searches for the characters that end a run.
    const char kept = text[lineEnd];
    text[lineEnd] = '\0';
    const bool whole = walkLineTo(p, lineEnd, continuation);
    text[lineEnd] = kept;
    return whole;
  }
  // The start of the next of the two stops (stops[0] and stops[1]) at or after p, passing over
  // NULs inside the line; lineEnd when there is none.
  std::size_t findStop(std::size_t p, std::size_t lineEnd, const char* stops) const {
    return findEither(text, p, lineEnd, stops[0], stops[1]);
  }
  bool walkLineTo(std::size_t p, std::size_t lineEnd, bool continuation) {
    while (p < lineEnd && !ended) {
      if (inQuotes) {
        bool broken = false;
        p = walkQuoted(p, lineEnd, continuation, broken);
        if (broken) {
          return false;
        }
      } else {
        p = walkPlain(p, lineEnd);
      }
    }
    return true;
  }
};

std::size_t CellWalk::walkQuoted(std::size_t p, std::size_t lineEnd, bool continuation,
                                 bool& broken) {
  const char stops[] = { '"', rules->csv ? '"' : rules->separator, '\0' };
  for (;;) {
    p = findStop(p, lineEnd, stops);
    if (p == lineEnd) {
      return p;
    }
    if (text[p] == '"') {
      if (p + 1 < lineEnd && text[p + 1] == '"') {
        p += 2;
        continue;
      }
      inQuotes = false;
      return p + 1;
    }
    // A TAB ends a cell of a tab-separated list: on a continuation line, the mark is not closed.
    broken = continuation;
    inQuotes = false;
    return p;
  }
}

std::size_t CellWalk::walkPlain(std::size_t p, std::size_t lineEnd) {
  const char stops[] = { rules->separator, '\r', '\0' };
  p = findStop(p, lineEnd, stops);
  if (p == lineEnd) {
    return p;
  }
  endCell(p);
  if (text[p] == '\r') {
    ended = true;
    for (std::size_t q = p + 1; q < lineEnd; ++q) {
      scan->textAfterReturn =
          scan->textAfterReturn || (text[q] != '\r' && text[q] != ' ' && text[q] != '\t');
    }
    return lineEnd;
  }
  ++cell;
  return startCell(p + 1, lineEnd);
}

void clearScan(RecordScan& scan) {
  scan.status = RecordStatus::none;
  scan.textLength = 0;
  scan.consumed = 0;
  scan.lines = 1;
  scan.lookedAt = 1;
  scan.notClosed = false;
  scan.longLine = false;
  scan.textAfterReturn = false;
  scan.cellCount = 0;
}

// Walks the first line [0, lineEnd) into scan's cells from a fresh start. The walk writes a
// terminator into text while it looks for a stop, and puts the character back.
// NOLINTNEXTLINE(readability-non-const-parameter): the walk writes through it
CellWalk walkFirstLine(char* text, const RecordRules& rules, RecordScan& scan,
                       std::size_t lineEnd) {
  scan.textAfterReturn = false;
  CellWalk walk{ text, &rules, &scan, 0, 0, false, false, false };
  walk.walkLine(walk.startCell(0, lineEnd), lineEnd, false);
  return walk;
}

// The lines after the first while a quoted cell is open; the record's end, or notClosed set,
// or needMore.
void walkContinuation(CellWalk& walk, std::size_t from, std::size_t available, bool atEnd,
                      RecordScan& scan) {
  const char* text = walk.text;
  for (std::size_t p = from;;) {
    if (scan.lines == kMaxRecordLines || p == available) {
      scan.notClosed = true;
      return;
    }
    const LineEnd next = findLineEnd(text, p, available, atEnd, walk.rules->lineLimit);
    if (next.kind == LineEndKind::needMore) {
      scan.status = RecordStatus::needMore;
      return;
    }
    ++scan.lines;
    scan.lookedAt = scan.lines;
    if (next.kind == LineEndKind::cut || !walk.walkLine(p, next.at, true)) {
      scan.notClosed = true;
      return;
    }
    if (!walk.inQuotes) {
      scan.textLength = next.at;
      scan.consumed = next.kind == LineEndKind::lineFeed ? next.at + 1 : next.at;
      return;
    }
    if (next.kind == LineEndKind::listEnd) {
      scan.notClosed = true;
      return;
    }
    p = next.at + 1;
  }
}

// The text of a cell as it is copied: line breaks and TABs become blanks.
char copiedChar(char ch) { return (ch == '\t' || ch == '\n' || ch == '\r') ? ' ' : ch; }

// The TABs, CRs and LFs of a copied cell out[0, length) made blanks. Sixteen bytes at a time as
// far as out has room (room bytes) to be read so: nearly every cell has none, and a loop over
// its characters mispredicts its end every time.
void blankLineBreaks(char* out, std::size_t length, std::size_t room) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i < length && i + 16 <= room; i += 16) {
    unsigned marks = marksOf(out + i, '\t', '\n', '\r') & firstBits(length - i);
    for (; marks != 0; marks &= marks - 1) {
      out[i + static_cast<std::size_t>(__builtin_ctz(marks))] = ' ';
    }
  }
#else
  static_cast<void>(room);  // read a byte at a time, out needs no room past the cell
#endif
  for (; i < length; ++i) {
    out[i] = copiedChar(out[i]);
  }
}

// The trimmed text [from, to) of a header cell against word, without regard to case.
bool isHeaderWord(const char* from, const char* to, const char* word) {
  const auto trimmed = [](char ch) { return ch == ' ' || ch == '\t' || ch == '"'; };
  while (from < to && trimmed(*from)) {
    ++from;
  }
  while (to > from && trimmed(to[-1])) {
    --to;
  }
  const std::size_t length = std::strlen(word);
  if (static_cast<std::size_t>(to - from) != length) {
    return false;
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (asciiLower(from[i]) != word[i]) {
      return false;
    }
  }
  return true;
}

constexpr const char* kNameWords[] = {
  "name",  "donor",  "donor name", "contributor", "contributor name", "customer",
  "payer", "source", "full name",  "constituent", "received from"
};
constexpr const char* kFirstNameWords[] = { "first name", "first" };
constexpr const char* kLastNameWords[] = { "last name", "last", "surname" };
constexpr const char* kSecondWords[] = { "date",          "gift date",    "donation date",
                                         "date received", "received",     "transaction date",
                                         "payment date",  "deposit date", "keyword",
                                         "kind",          "type" };
constexpr const char* kAmountWords[] = { "amount",         "gift amount",     "donation amount",
                                         "total",          "amount received", "received amount",
                                         "payment amount", "gross amount" };

// The column whose name comes first in words (the leftmost among equals), passing over the
// columns taken; -1 when none is named so.
template <std::size_t N>
int findColumn(const char* text, const RecordScan& scan, const char* const (&words)[N],
               const std::array<int, 3>& taken) {
  const int cells = scan.cellCount < kMaxCells ? scan.cellCount : kMaxCells;
  for (const char* word : words) {
    for (int cell = 0; cell < cells; ++cell) {
      const CellSpan& span = scan.cells[static_cast<std::size_t>(cell)];
      const bool free = cell != taken[0] && cell != taken[1] && cell != taken[2];
      if (free && isHeaderWord(text + span.start, text + span.end, word)) {
        return cell;
      }
    }
  }
  return -1;
}

}  // namespace

char detectSeparator(const char* text, std::size_t length) {
  int sampled = 0;
  bool comma = false;
  const char* end = text + length;
  for (const char* p = text; p < end && sampled < kSeparatorSampleLines;) {
    const auto* lineFeed =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char* lineEnd = lineFeed != nullptr ? lineFeed : end;
    const LineSample sample = sampleLine(p, static_cast<std::size_t>(lineEnd - p));
    if (sample.tab) {
      return '\t';
    }
    comma = comma || sample.comma;
    sampled += sample.counted ? 1 : 0;
    p = lineEnd + 1;
  }
  return comma ? ',' : '\t';
}

void scanRecord(char* text, std::size_t available, bool atEnd, bool dropUnfinished,
                const RecordRules& rules, bool join, RecordScan& scan) {
  clearScan(scan);
  const LineEnd first = findLineEnd(text, 0, available, atEnd, rules.lineLimit);
  if (first.kind == LineEndKind::needMore) {
    scan.status = RecordStatus::needMore;
    return;
  }
  if (first.kind == LineEndKind::listEnd && (available == 0 || dropUnfinished)) {
    return;
  }
  scan.status = RecordStatus::complete;
  scan.longLine = first.kind == LineEndKind::cut;
  scan.textLength = first.at;
  scan.consumed = first.kind == LineEndKind::lineFeed ? first.at + 1 : first.at;
  CellWalk walk = walkFirstLine(text, rules, scan, first.at);
  if (walk.inQuotes && join && first.kind == LineEndKind::lineFeed) {
    walkContinuation(walk, first.at + 1, available, atEnd, scan);
    if (scan.status == RecordStatus::needMore) {
      return;
    }
    if (scan.notClosed) {
      // The first line alone: its open cell runs to its end.
      scan.lines = 1;
      scan.textLength = first.at;
      scan.consumed = first.at + 1;
      walk = walkFirstLine(text, rules, scan, first.at);
    }
  }
  if (!walk.ended) {
    walk.endCell(scan.textLength);
  }
  scan.cellCount = walk.cell + 1;
}

bool mapHeaderColumns(const char* text, const RecordScan& scan, ColumnMap& map) {
  std::array<int, 3> taken{ -1, -1, -1 };
  const int amount = findColumn(text, scan, kAmountWords, taken);
  taken[0] = amount;
  const int second = findColumn(text, scan, kSecondWords, taken);
  taken[1] = second;
  int name = findColumn(text, scan, kNameWords, taken);
  int lastName = -1;
  if (name < 0) {
    name = findColumn(text, scan, kFirstNameWords, taken);
    taken[2] = name;
    lastName = findColumn(text, scan, kLastNameWords, taken);
    if (lastName < 0) {
      name = -1;
    }
  }
  if (amount < 0 || second < 0 || name < 0) {
    return false;
  }
  map = ColumnMap{ name, lastName, second, amount };
  return true;
}

bool isMappedColumns(const ColumnMap& map) {
  return map.name != 0 || map.lastName >= 0 || map.second != 1 || map.amount != 2;
}

std::size_t cellText(const char* text, const RecordScan& scan, int index, bool unquote, char* out,
                     std::size_t room) {
  std::size_t length = 0;
  if (index < 0 || index >= scan.cellCount || index >= kMaxCells) {
    out[0] = '\0';
    return 0;
  }
  const CellSpan& span = scan.cells[static_cast<std::size_t>(index)];
  // Appends count characters from text[from]; false, and out emptied, when they do not fit.
  const auto take = [&](std::size_t from, std::size_t count) {
    if (length + count >= room) {
      out[0] = '\0';
      return false;
    }
    std::memcpy(out + length, text + from, count);
    length += count;
    return true;
  };
  if (!unquote || !span.quoted) {
    if (!take(span.start, span.end - span.start)) {
      return room;
    }
    out[length] = '\0';
    blankLineBreaks(out, length, room);
    return length;
  }
  std::size_t p = span.start;
  while (text[p] == ' ') {
    ++p;
  }
  ++p;  // the opening quotation mark
  // Run by run between quotation marks: a doubled one is one mark, and after the closing one
  // the rest of the cell is taken as it stands.
  while (p < span.end) {
    const auto* quote = static_cast<const char*>(std::memchr(text + p, '"', span.end - p));
    const std::size_t runEnd = quote != nullptr ? static_cast<std::size_t>(quote - text) : span.end;
    const bool doubled = quote != nullptr && runEnd + 1 < span.end && text[runEnd + 1] == '"';
    if (!take(p, runEnd - p + (doubled ? 1 : 0))) {
      return room;
    }
    p = runEnd + (doubled ? 2 : 1);
    if (quote != nullptr && !doubled) {
      if (!take(p, span.end > p ? span.end - p : 0)) {
        return room;
      }
      break;
    }
  }
  out[length] = '\0';
  blankLineBreaks(out, length, room);
  return length;
}

bool isThousandsTail(const char* p, const char* end) {
  if (end - p < 3 || !isDigit(p[0]) || !isDigit(p[1]) || !isDigit(p[2])) {
    return false;
  }
  p += 3;
  if (p == end) {
    return true;
  }
  if (*p != '.' || p + 1 == end) {
    return false;
  }
  for (++p; p < end; ++p) {
    if (!isDigit(*p)) {
      return false;
    }
  }
  return true;
}

bool isThousandsTail(const char* text, const RecordScan& scan, int index) {
  if (index >= scan.cellCount || index >= kMaxCells) {
    return false;
  }
  const CellSpan& span = scan.cells[static_cast<std::size_t>(index)];
  return isThousandsTail(text + span.start, text + span.end);
}

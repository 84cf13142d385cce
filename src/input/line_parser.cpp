#include "input/line_parser.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "input/date_parser.hpp"
#include "input/line_grammar.hpp"
#include "input/line_scan.hpp"
#include "input/plain_date.hpp"
#include "input/text_encoding.hpp"
#include "output/ascii.hpp"

// Nearly every line of a real list is a plain donation line: a name, a TAB, a date of a plain
// form, a TAB and an amount of digits with or without "$", "," and cents, all well within the
// scan limit. Its name is read as every name is; its date and amount are read in straight loops
// by the shortcuts below, which take only what the full grammar would store and judge the same
// way, and leave every other field to it.

namespace {

// An amount of whole dollars and one or two digits of cents, read character by character:
// convertAmount gives the same cents for it, and it can hold nothing that finishDonation would
// report.
constexpr int kPlainWholeDigits = 10;  // far below kMaxLineAmount: no range to check
struct PlainAmount {
  Amount whole;
  Amount fraction;
  int wholeDigits;
  int fractionDigits;  // -1 before the point
  bool plain;

  void take(char ch) {
    if (isDigit(ch)) {
      if (fractionDigits < 0) {
        if (wholeDigits < kPlainWholeDigits) {
          whole = whole * 10 + (ch - '0');
        }
        ++wholeDigits;
      } else {
        // Digits past the second leave the form anyway; adding them up would overflow.
        if (fractionDigits < 2) {
          fraction = fraction * 10 + (ch - '0');
        }
        ++fractionDigits;
        plain = plain && fractionDigits <= 2;
      }
    } else if (ch == '.' && fractionDigits < 0) {
      fractionDigits = 0;
    } else {
      plain = false;  // a minus sign, or a second point
    }
  }

  bool cents(Amount& result) const {
    if (!plain || wholeDigits == 0 || wholeDigits > kPlainWholeDigits || fractionDigits == 0) {
      return false;
    }
    result = whole * 100 + (fractionDigits == 1 ? fraction * 10 : fraction);
    return true;
  }
};

// Second field: a date of a plain form that starts with a digit, or with a month's name and
// holds a day and a year (no keyword, no column name, not blank: the full grammar would come to
// the date), on the calendar, ended by a TAB inside the scan limit. It is read from the line in
// place; the field is stored only for a message. Any other date is left to the full grammar, as
// is a day off the calendar. Returns the TAB after the date, or nullptr.
[[gnu::always_inline]] inline const char* readPlainDateOf(const LineScan& scan, const char* second,
                                                          DateParts& parts) {
  if (!isDigit(*second) && !isAsciiLetter(*second)) {
    return nullptr;
  }
  const char* end = readPlainDate(second, '\t', parts);
  if (end == nullptr || end - scan.text >= scan.scanLimit ||
      static_cast<std::size_t>(end - second) > kFieldMaxLength || !isCalendarDay(parts)) {
    return nullptr;
  }
  return end;
}

// A comma of "1,250.00" or "1,250": a digit before it, three after it, and then a comma, the
// point or the field's end. Any other comma is judged in full (a blank or a quotation mark after
// the digits is fine too, and a comma that ends the field is passed over).
[[gnu::always_inline]] inline bool isThousandsComma(const char* comma) {
  return isDigit(comma[-1]) && isDigit(comma[1]) && isDigit(comma[2]) && isDigit(comma[3]) &&
         (comma[4] == ',' || comma[4] == '.' || isFieldEnd(comma[4]));
}

// Amount: number characters from p on, with the dropped ones passed over, up to a field end.
// The usual form, whole dollars and one or two digits of cents, is converted on the way into
// plain; finishDonation judges every other one. False when the field is left to the full
// grammar.
[[gnu::always_inline]] inline bool readPlainAmount(LineScan& scan, const char* p,
                                                   PlainAmount& plain) {
  // The length and the character in locals: a store into the text may alias any field of the
  // scan, which would make the compiler reload them after every character.
  char* text = scan.amount.text.data();
  std::size_t length = 0;
  bool commaToJudge = false;
  for (;; ++p) {
    const char ch = *p;
    const AmountClass kind = amountClassOf(ch);
    if (kind == kNumberChar) {
      if (length == kFieldMaxLength) {
        return false;
      }
      text[length++] = ch;
      plain.take(ch);
    } else if (kind != kDroppedChar) {
      if (kind != kFieldEndChar) {
        return false;
      }
      break;
    } else if (ch == ',') {
      if (plain.fractionDigits >= 0) {
        plain.plain = false;  // a comma after the point: finishDonation judges it
      } else if (!isThousandsComma(p)) {
        commaToJudge = true;  // perhaps a decimal comma, perhaps the field's last character
      }
    }
  }
  // Every character the full grammar reads must lie within its limit: the field end, or, when
  // the line ends, the last character (where the full grammar sees the field complete).
  const char* lastRead = (*p == '\0') ? p - 1 : p;
  if (lastRead - scan.text >= scan.scanLimit || length == 0) {
    return false;
  }
  text[length] = '\0';
  scan.amount.length = length;
  // A comma that is no thousands separator (a decimal comma) leaves the judging to finishDonation.
  if (commaToJudge && plain.plain && hasStrayComma(scan.amountText)) {
    plain.plain = false;
  }
  return true;
}

// The usual amount, as nearly every line writes it: perhaps in quotation marks and after a "$",
// whole dollars (perhaps with thousands commas) and perhaps a point and one or two digits of
// cents, then the field's end. Its cents in one pass, with nothing stored: readPlainAmount
// would take the same cents and leave nothing to judge. False for any other amount. The
// digits are summed unsigned, so that a run too long for an amount wraps (and is refused)
// rather than overflows; the checks at the end are one test, not one branch each.
[[gnu::always_inline]] inline bool readUsualAmount(const LineScan& scan, const char* p,
                                                   Amount& cents) {
  p += static_cast<std::ptrdiff_t>(*p == '"');
  p += static_cast<std::ptrdiff_t>(*p == '$');
  std::uint64_t whole = 0;
  int wholeDigits = 0;
  for (;; ++p) {
    if (isDigit(*p)) {
      whole = whole * 10 + static_cast<std::uint64_t>(*p - '0');
      ++wholeDigits;
    } else if (*p != ',' || !isThousandsComma(p)) {
      break;
    }
  }
  std::uint64_t fraction = 0;
  int fractionDigits = -1;
  if (*p == '.') {
    for (fractionDigits = 0; isDigit(p[1]); ++p, ++fractionDigits) {
      fraction = fraction * 10 + static_cast<std::uint64_t>(p[1] - '0');
    }
    ++p;
  }
  p += static_cast<std::ptrdiff_t>(*p == '"');
  const char* lastRead = p - static_cast<std::ptrdiff_t>(*p == '\0');
  const unsigned checks = static_cast<unsigned>(amountClassOf(*p) == kFieldEndChar) &
                          static_cast<unsigned>(wholeDigits > 0) &
                          static_cast<unsigned>(wholeDigits <= kPlainWholeDigits) &
                          static_cast<unsigned>(fractionDigits != 0) &
                          static_cast<unsigned>(fractionDigits <= 2) &
                          static_cast<unsigned>(lastRead - scan.text < scan.scanLimit);
  if (checks == 0) {
    return false;
  }
  const std::uint64_t centsPart = fractionDigits == 1 ? fraction * 10 : fraction;
  cents = static_cast<Amount>(whole * 100 + centsPart);
  return true;
}

// The date and amount after the name's TAB at nameTab, by the shortcuts as far as they apply;
// false when the date is left to the full grammar. Inlined into every entry: nearly every
// line comes here.
[[gnu::always_inline]] inline bool readPlainFields(LineScan& scan, int nameTab) {
  ParsedLine& parsed = *scan.parsed;
  const char* second = scan.text + nameTab + 1;
  DateParts parts{ 0, 0, 0 };
  const char* dateEnd = readPlainDateOf(scan, second, parts);
  if (dateEnd == nullptr) {
    return false;
  }
  scan.amountText = dateEnd + 1;
  parsed.date = dateOfParts(parts, second, scan.line, *scan.options, parsed.messages, parsed.local);
  if (parsed.date == 0) {
    parsed.second.fill(second, static_cast<std::size_t>(dateEnd - second));
    reportNoDate(scan);
    return true;
  }
  Amount cents = 0;
  if (readUsualAmount(scan, dateEnd + 1, cents)) {
    if (scan.quotes.count != 0) {
      noteNameQuotes(scan);
    }
    finishAmount(scan, cents);
    return true;
  }
  PlainAmount plain{ 0, 0, 0, -1, true };
  if (!readPlainAmount(scan, dateEnd + 1, plain)) {
    readByGrammar(scan, GrammarField::amount, static_cast<int>(dateEnd - scan.text), false);
    return true;
  }
  // A plain amount leaves finishDonation nothing to note but the name's quotation marks.
  if (!plain.cents(cents)) {
    finishDonation(scan);
    return true;
  }
  if (scan.quotes.count != 0) {
    noteNameQuotes(scan);
  }
  finishAmount(scan, cents);
  return true;
}

// acceptName for a name that refuses the line or is blank. Kept out of line: nearly every name
// is neither.
[[gnu::noinline]] bool acceptUnusualName(LineScan& scan, const NameRead& read) {
  const Field& name = scan.parsed->name;
  switch (read.end) {
    case NameEnd::scanLimit:
      refuseAtScanLimit(scan);
      return false;
    case NameEnd::lineEnd:
      if (!refuseTooLong(scan, name)) {
        note(scan, MessageKind::error, "Name field %s with no other fields on line: %s",
             name.data(), scan.shown);
        scan.parsed->kind = LineKind::lineRejected;
      }
      return false;
    case NameEnd::separator:
      break;
  }
  if (refuseTooLong(scan, name)) {
    return false;
  }
  note(scan, MessageKind::error, "The Name (first) field can not be blank: %s", scan.shown);
  scan.nameBlank = true;
  return true;
}

// The name field as read; false when it refused the line. A blank name is noted, and the line
// is read on, so that its other problems are noted too. Blanks before a name are passed over,
// and a separator ends it, so it is blank only when it is empty.
bool acceptName(LineScan& scan, const NameRead& read) {
  const Field& name = scan.parsed->name;
  if (read.end == NameEnd::separator && name.length != 0 && !name.isTooLong()) {
    return true;
  }
  return acceptUnusualName(scan, read);
}

// A line that is blank, a comment, or without a first field is passed over (true, with what it
// came to in its kind).
bool isPassedOver(const char* text, ParsedLine& parsed) {
  if (isBlankLine(text)) {
    parsed.kind = LineKind::blankLine;
    return true;
  }
  const char* first = text;
  while (*first == ' ') {
    ++first;
  }
  // An exporter that quotes every text cell writes a comment cell as "! Total".
  if (*first == '!' || (*first == '"' && first[1] == '!')) {
    parsed.kind = LineKind::commentLine;
    return true;
  }
  if (*first == '\t') {
    // Not read, but a row with a figure in it must not go by without a word.
    if (hasDigitBefore(first + 1, "")) {
      noteMessage(parsed.messages, MessageKind::warning, parsed.line,
                  "Line with an empty name field is not read: %s", text);
    }
    parsed.kind = LineKind::emptyFirstField;
    return true;
  }
  return false;
}

// The first characters of the lines that may be passed over: blank lines, comments (also a
// quoted one) and lines without a first field.
constexpr std::array<bool, 256> makeMayBePassedOver() {
  std::array<bool, 256> lead{};
  for (const char ch : { ' ', '!', '"', '\0', '\t', '\n', '\r' }) {
    lead[static_cast<unsigned char>(ch)] = true;
  }
  return lead;
}
constexpr std::array<bool, 256> kMayBePassedOver = makeMayBePassedOver();

// The scan of a line or record text, quoted in messages as shown, whose fields must end before
// scanLimit.
[[gnu::always_inline]] inline void startScan(LineScan& scan, const char* text, const char* shown,
                                             int scanLimit, long line,
                                             const ReadingOptions& options, ParsedLine& parsed) {
  scan.text = text;
  scan.shown = shown;
  scan.scanLimit = scanLimit;
  scan.line = line;
  scan.options = &options;
  scan.parsed = &parsed;
  scan.amountText = "";
  scan.nameBlank = false;
}

// A clean result for the line text.
[[gnu::always_inline]] inline void startParsedLine(const char* text, long line,
                                                   ParsedLine& parsed) {
  parsed.kind = LineKind::notDonation;
  parsed.columnNames = false;
  parsed.line = line;
  parsed.text = text;
  parsed.second.clear();
  parsed.date = 0;
  parsed.local.month = 0;
  parsed.cents = 0;
  parsed.type = DONOR;
  parsed.messages.clear();
}

// What every line starts with: a clean result, then the line passed over, or its name read.
// Returns the position of the separator after the name, or -1 when the line has come to its
// kind. Inlined into every entry: nearly every line goes through it.
template <bool kSlack = false>
[[gnu::always_inline]] inline int readLineStart(const char* text, long line,
                                                const ReadingOptions& options, ParsedLine& parsed,
                                                LineScan& scan) {
  startParsedLine(text, line, parsed);
  // Only a line that starts with a blank, a '!' (perhaps quoted) or a field end can be passed
  // over.
  const char lead = text != nullptr ? text[0] : '\0';
  if (kMayBePassedOver[static_cast<unsigned char>(lead)] && (lead != '"' || text[1] == '!') &&
      isPassedOver(text, parsed)) {
    parsed.name.clear();
    return -1;
  }
  startScan(scan, text, text, kFieldScanLimit, line, options, parsed);
  const NameRead name = readNameField<kSlack>(text, parsed.name, scan.quotes);
  if (name.end == NameEnd::separator) {
    trimNoBreakSpaces(parsed.name);
  }
  return acceptName(scan, name) ? name.at : -1;
}

// A record's name cell, up to the TAB after it, taken as it stands but for the blanks at its
// ends: its quotation marks were the list's own quoting.
NameRead takeNameAsIs(const char* text, Field& name, NameQuotes& quotes) {
  quotes = NameQuotes{ 0, false, false };
  const char* end = std::strchr(text, '\t');
  const bool lineEnd = end == nullptr;
  if (lineEnd) {
    end = text + std::strlen(text);
  }
  const char* from = text;
  while (from < end && *from == ' ') {
    ++from;
  }
  name.clear();
  name.appendRun(from, static_cast<std::size_t>(end - from));
  name.trimTrailingSpaces();
  return NameRead{ lineEnd ? NameEnd::lineEnd : NameEnd::separator, static_cast<int>(end - text) };
}

// A record's name cell read as a line's name field is, with no limit on where it ends: a cell
// too long for the scan limit is too long for a name.
NameRead readNameCell(const char* text, Field& name, NameQuotes& quotes) {
  const std::size_t cell = std::strcspn(text, "\t");
  if (cell < static_cast<std::size_t>(kFieldScanLimit) || text[cell] == '\0') {
    return readNameField(text, name, quotes);
  }
  quotes = NameQuotes{ 0, false, false };
  name.clear();
  name.appendRun(text, cell);
  return NameRead{ NameEnd::separator, static_cast<int>(cell) };
}

// A record that is passed over: blank, a comment, or without a name.
void passRecordOver(const RecordLine& record, ParsedLine& parsed) {
  parsed.name.clear();
  switch (record.start) {
    case RecordStart::blank:
      parsed.kind = LineKind::blankLine;
      return;
    case RecordStart::comment:
      parsed.kind = LineKind::commentLine;
      return;
    case RecordStart::emptyName:
    case RecordStart::read:
      break;
  }
  if (hasDigitBefore(record.shown, "")) {
    noteMessage(parsed.messages, MessageKind::warning, parsed.line,
                "Line with an empty name field is not read: %s", record.shown);
  }
  parsed.kind = LineKind::emptyFirstField;
}

}  // namespace

void parseDonationRecord(const RecordLine& record, long line, const ReadingOptions& options,
                         ParsedLine& parsed) {
  startParsedLine(record.shown, line, parsed);
  if (record.start != RecordStart::read) {
    passRecordOver(record, parsed);
    return;
  }
  LineScan scan;
  startScan(scan, record.line, record.shown, kNoScanLimit, line, options, parsed);
  const NameRead name = record.nameAsIs ? takeNameAsIs(record.line, parsed.name, scan.quotes)
                                        : readNameCell(record.line, parsed.name, scan.quotes);
  // As a line's name: a name written with a no-break space at an end is the same giver.
  if (name.end == NameEnd::separator) {
    trimNoBreakSpaces(parsed.name);
  }
  if (!acceptName(scan, name)) {
    return;
  }
  const char* text = record.line;
  if (text[name.at] == '\t' && readPlainFields(scan, name.at)) {
    return;
  }
  readByGrammar(scan, GrammarField::second, name.at, text[name.at] == '\0');
}

void parseDonationLine(const char* text, long line, const ReadingOptions& options,
                       ParsedLine& parsed) {
  LineScan scan;
  const int separator = readLineStart(text, line, options, parsed, scan);
  if (separator < 0) {
    return;
  }
  if (text[separator] == '\t' && readPlainFields(scan, separator)) {
    return;
  }
  readByGrammar(scan, GrammarField::second, separator, text[separator] == '\0');
}

// A plain name is copied in one move of Field::kShortFill bytes from its start (at most one
// past the line's), which must stay within the slack.
static_assert(Field::kShortFill <= kLineSlack, "a short name's copy reads past the slack");

void parseDonationLineWithSlack(const char* text, long line, const ReadingOptions& options,
                                ParsedLine& parsed) {
  LineScan scan;
  const int separator = readLineStart<true>(text, line, options, parsed, scan);
  if (separator < 0) {
    return;
  }
  if (text[separator] == '\t' && readPlainFields(scan, separator)) {
    return;
  }
  readByGrammar(scan, GrammarField::second, separator, text[separator] == '\0');
}

void parseDonationLineInFull(const char* text, long line, const ReadingOptions& options,
                             ParsedLine& parsed) {
  LineScan scan;
  const int separator = readLineStart(text, line, options, parsed, scan);
  if (separator >= 0) {
    readByGrammar(scan, GrammarField::second, separator, text[separator] == '\0');
  }
}

#include "input/line_parser.hpp"

#include <cstddef>
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

// Second field: a date of a plain form that starts with a digit (no keyword, no column name, not
// blank: the full grammar would come straight to the date), on the calendar, ended by a TAB
// inside the scan limit. It is read from the line in place; the field is stored only for a
// message. Any other date is left to the full grammar, as is a day off the calendar. Returns the
// TAB after the date, or nullptr.
const char* readPlainDateOf(const LineScan& scan, const char* second, DateParts& parts) {
  if (!isDigit(*second)) {
    return nullptr;
  }
  const char* end = readPlainDate(second, '\t', parts);
  if (end == nullptr || end - scan.text >= kFieldScanLimit ||
      static_cast<std::size_t>(end - second) > kFieldMaxLength || !isCalendarDay(parts)) {
    return nullptr;
  }
  return end;
}

// Amount: number characters from p on, with the dropped ones passed over, up to a field end.
// The usual form, whole dollars and one or two digits of cents, is converted on the way into
// plain; finishDonation judges every other one. False when the field is left to the full
// grammar.
bool readPlainAmount(LineScan& scan, const char* p, PlainAmount& plain) {
  // The length and the character in locals: a store into the text may alias any field of the
  // scan, which would make the compiler reload them after every character.
  char* text = scan.amount.text.data();
  std::size_t length = 0;
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
    } else if (ch == ',' && plain.fractionDigits >= 0) {
      plain.plain = false;  // a comma after the point: finishDonation judges it
    }
  }
  // Every character the full grammar reads must lie within its limit: the field end, or, when
  // the line ends, the last character (where the full grammar sees the field complete).
  const char* lastRead = (*p == '\0') ? p - 1 : p;
  if (lastRead - scan.text >= kFieldScanLimit || length == 0) {
    return false;
  }
  text[length] = '\0';
  scan.amount.length = length;
  return true;
}

// The date and amount after the name's TAB at nameTab, by the shortcuts as far as they apply;
// false when the date is left to the full grammar.
bool readPlainFields(LineScan& scan, int nameTab) {
  ParsedLine& parsed = *scan.parsed;
  const char* second = scan.text + nameTab + 1;
  DateParts parts{ 0, 0, 0 };
  const char* dateEnd = readPlainDateOf(scan, second, parts);
  if (dateEnd == nullptr) {
    return false;
  }
  scan.amountText = dateEnd + 1;
  parsed.date = dateOfParts(parts, second, scan.line, *scan.options, parsed.messages);
  if (parsed.date == 0) {
    parsed.second.fill(second, static_cast<std::size_t>(dateEnd - second));
    reportNoDate(scan);
    return true;
  }
  PlainAmount plain{ 0, 0, 0, -1, true };
  if (!readPlainAmount(scan, dateEnd + 1, plain)) {
    readByGrammar(scan, GrammarField::amount, static_cast<int>(dateEnd - scan.text), false);
    return true;
  }
  // A plain amount leaves finishDonation nothing to note but the name's quotation marks.
  Amount cents = 0;
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
             name.data(), scan.text);
        scan.parsed->kind = LineKind::lineRejected;
      }
      return false;
    case NameEnd::separator:
      break;
  }
  if (refuseTooLong(scan, name)) {
    return false;
  }
  note(scan, MessageKind::error, "The Name (first) field can not be blank: %s", scan.text);
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
  if (*first == '!') {
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

// What every line starts with: a clean result, then the line passed over, or its name read.
// Returns the position of the separator after the name, or -1 when the line has come to its
// kind. Inlined into both entries: nearly every line goes through it.
[[gnu::always_inline]] inline int readLineStart(const char* text, long line,
                                                const ReadingOptions& options, ParsedLine& parsed,
                                                LineScan& scan) {
  parsed.kind = LineKind::notDonation;
  parsed.line = line;
  parsed.text = text;
  parsed.second.clear();
  parsed.date = 0;
  parsed.cents = 0;
  parsed.type = DONOR;
  parsed.messages.clear();
  // Only a line that starts with a blank, a '!' or a field end can be passed over.
  const char lead = text != nullptr ? text[0] : '\0';
  if ((lead == ' ' || lead == '!' || isFieldEnd(lead)) && isPassedOver(text, parsed)) {
    parsed.name.clear();
    return -1;
  }
  scan.text = text;
  scan.line = line;
  scan.options = &options;
  scan.parsed = &parsed;
  scan.amountText = "";
  scan.nameBlank = false;
  const NameRead name = readNameField(text, parsed.name, scan.quotes);
  if (name.end == NameEnd::separator) {
    trimNoBreakSpaces(parsed.name);
  }
  return acceptName(scan, name) ? name.at : -1;
}

}  // namespace

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

void parseDonationLineInFull(const char* text, long line, const ReadingOptions& options,
                             ParsedLine& parsed) {
  LineScan scan;
  const int separator = readLineStart(text, line, options, parsed, scan);
  if (separator >= 0) {
    readByGrammar(scan, GrammarField::second, separator, text[separator] == '\0');
  }
}

#include "input/plain_line.hpp"

#include <array>
#include <cstddef>
#include <cstring>

#include "input/date_parser.hpp"
#include "input/line_scan.hpp"
#include "input/plain_date.hpp"
#include "output/ascii.hpp"

// Nearly every line of a real list is a plain donation line: a name without quotation marks (or
// quoted as a whole), a TAB, a date, a TAB and an amount, all well within the scan limit. This
// reads such a line in straight loops and leaves every other line to the full scan, which would
// store the same fields and also reports whatever is unusual. It gives up only before anything
// is reported or booked: before the second field is handled, or after it was taken silently as a
// date, in which case the full scan takes the same date again without a message.

namespace {

// What ends a name or second field of a plain line (the line's end ends it too), and the
// quotation mark that makes a line not plain.
constexpr const char* kPlainFieldStops = "\t\n\r\"";

// Fills a field with the characters [from, to) of the line, as the full scan would have stored
// them.
void fillField(Field& field, const char* from, const char* to) {
  const auto length = static_cast<std::size_t>(to - from);
  std::memcpy(field.text.data(), from, length);
  field.text[length] = '\0';
  field.length = length;
  field.kept = length;
}

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

// How the amount field of a plain line takes a character: stored, passed over, as its end, or
// as something only finishDonation or the full scan can judge.
enum AmountClass : unsigned char { kOtherChar, kNumberChar, kDroppedChar, kFieldEndChar };

constexpr std::array<AmountClass, 256> makeAmountClasses() {
  std::array<AmountClass, 256> classes{};
  for (const char ch : { '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '.', '-' }) {
    classes[static_cast<unsigned char>(ch)] = kNumberChar;
  }
  for (const char ch : { ' ', '"', '$', ',' }) {
    classes[static_cast<unsigned char>(ch)] = kDroppedChar;
  }
  for (const char ch : { '\0', '\t', '\n', '\r' }) {
    classes[static_cast<unsigned char>(ch)] = kFieldEndChar;
  }
  return classes;
}
constexpr std::array<AmountClass, 256> kAmountClasses = makeAmountClasses();

// Name: no leading blank, no quotation mark, ended by a TAB that does not end the line; or such
// a name between quotation marks, the first at the start of the line and the second right
// before the TAB, as a spreadsheet quotes a name that holds a comma. Stores it and returns the
// TAB after it, or nullptr.
const char* readPlainName(LineScan& scan) {
  const char* text = scan.text;
  const bool quoted = text[0] == '"';
  const char* name = quoted ? text + 1 : text;
  if (*name == ' ') {
    return nullptr;
  }
  const char* p = name + std::strcspn(name, kPlainFieldStops);
  if (quoted) {
    if (*p != '"') {
      return nullptr;
    }
    ++p;
  }
  const char* nameEnd = quoted ? p - 1 : p;
  if (*p != '\t' || p[1] == '\0') {
    return nullptr;
  }
  while (nameEnd > name && nameEnd[-1] == ' ') {
    --nameEnd;
  }
  if (nameEnd == name || static_cast<std::size_t>(nameEnd - name) > kFieldMaxLength) {
    return nullptr;
  }
  fillField(scan.name, name, nameEnd);
  if (quoted) {
    scan.quoteCount = 2;
    scan.quoteAtLineStart = true;
    scan.quoteBeforeTab = true;
  }
  return p;
}

// Second field: a date of a plain form that starts with a digit (no keyword, no column name, not
// blank: the full scan would come straight to the date), on the calendar, ended by a TAB inside
// the scan limit. It is read from the line in place; the field is stored only for a message.
// Any other date is left to the full scan, as is a day off the calendar: their dates may be
// reported, and nothing may be reported before this scan could still give up. Returns the TAB
// after the date, or nullptr.
const char* readPlainDateOf(const LineScan& scan, const char* second, DateParts& parts) {
  if (!isDigit(*second)) {
    return nullptr;
  }
  const char* end = readPlainDateField(second, parts);
  if (end == nullptr || end - scan.text >= kFieldScanLimit ||
      static_cast<std::size_t>(end - second) > kFieldMaxLength || !isCalendarDay(parts)) {
    return nullptr;
  }
  return end;
}

// Amount: number characters from p on, with the dropped ones passed over, up to a field end.
// The usual form, whole dollars and one or two digits of cents, is converted on the way into
// plain; finishDonation judges every other one. False when the field is not for this scan.
bool readPlainAmount(LineScan& scan, const char* p, PlainAmount& plain) {
  // The length and the character in locals: a store into the text may alias any field of the
  // scan, which would make the compiler reload them after every character.
  char* text = scan.amount.text.data();
  std::size_t length = 0;
  for (;; ++p) {
    const char ch = *p;
    const AmountClass kind = kAmountClasses[static_cast<unsigned char>(ch)];
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
  // Every character the full scan reads must lie within its limit: the field end, or, when the
  // line ends, the last character (where the full scan sees the field complete).
  const char* lastRead = (*p == '\0') ? p - 1 : p;
  if (lastRead - scan.text >= kFieldScanLimit || length == 0) {
    return false;
  }
  text[length] = '\0';
  scan.amount.length = length;
  return true;
}

}  // namespace

bool parsePlainLine(const char* text, long line, LineResult& result) {
  LineScan scan;
  startScan(scan, text, line);
  const char* nameEnd = readPlainName(scan);
  if (nameEnd == nullptr) {
    return false;
  }
  const char* second = nameEnd + 1;
  DateParts parts{ 0, 0, 0 };
  const char* dateEnd = readPlainDateOf(scan, second, parts);
  if (dateEnd == nullptr) {
    return false;
  }
  scan.amountText = dateEnd + 1;
  scan.date = dateOfParts(parts, second, scan.line);
  if (scan.date == 0) {
    fillField(scan.second, second, dateEnd);
    result = reportNoDate(scan);
    return true;
  }
  PlainAmount plain{ 0, 0, 0, -1, true };
  if (!readPlainAmount(scan, dateEnd + 1, plain)) {
    return false;
  }
  // A quoted name has its warning before the amount's messages: finishDonation gives both.
  const bool quoted = scan.quoteCount != 0;
  Amount cents = 0;
  result = !quoted && plain.cents(cents) ? bookAmount(scan, cents) : finishDonation(scan);
  return true;
}

#include "input/line_scan.hpp"

#include <cstdarg>
#include <cstring>

#include "output/ascii.hpp"

namespace {

constexpr long kFirstLine = 1;

// Whole dollars above this cannot make an amount within kMaxLineAmount cents.
constexpr long long kMaxLineDollars = kMaxLineAmount / 100;

enum class Conversion { ok, notANumber, outOfRange };

// The amount field in cents: the leading whole number and, when a point and a digit follow it,
// the fraction scaled to hundredths and rounded half away from zero on its third digit; what
// follows the fraction's digits is ignored. Gives up before a magnitude past kMaxLineAmount, so
// nothing can overflow.
Conversion convertAmount(const char* field, Amount& cents) {
  const char* p = field;
  const bool negative = (*p == '-');
  if (negative) {
    ++p;
  }
  if (!isDigit(*p)) {
    return Conversion::notANumber;
  }
  long long whole = 0;
  for (; isDigit(*p); ++p) {
    whole = whole * 10 + (*p - '0');
    if (whole > kMaxLineDollars) {
      return Conversion::outOfRange;
    }
  }
  long long fraction = 0;
  if (*p == '.' && isDigit(p[1])) {
    ++p;
    for (int place = 0; place < 2; ++place) {
      fraction *= 10;
      if (isDigit(*p)) {
        fraction += *p - '0';
        ++p;
      }
    }
    if (isDigit(*p) && *p >= '5') {
      ++fraction;
    }
  }
  const long long magnitude = whole * 100 + fraction;
  if (magnitude > kMaxLineAmount) {
    return Conversion::outOfRange;
  }
  cents = negative ? -magnitude : magnitude;
  return Conversion::ok;
}

// An amount written the European way (1.250,00: a comma and a digit after the point), or with
// more than one point (1.250.000,00), would be read a thousand times too small. written is the
// amount field as written in the line, up to its end.
bool isAmbiguousNumber(const char* written) {
  const char* point = nullptr;
  for (const char* p = written; !isFieldEnd(*p); ++p) {
    if (*p == '.') {
      if (point != nullptr) {
        return true;
      }
      point = p;
    } else if (*p == ',' && point != nullptr && isDigit(p[1])) {
      return true;
    }
  }
  return false;
}

// True when nothing but blanks, closing quotation marks, parentheses and dollar signs (dropped
// wherever they stand) are between p and the end of the field: the end of the amount as written.
bool isAmountEnd(const char* p) {
  for (;;) {
    if (*p == ' ' || *p == '"' || *p == ')' || *p == '$') {
      ++p;
      continue;
    }
    const WideAmountChar wide = wideAmountCharAt(p);
    if (wide.length == 0 || wide.as != ' ') {
      return isFieldEnd(*p);
    }
    p += wide.length;
  }
}

// Digits, points and parentheses anywhere (judged with the whole field), a minus sign only
// first or right after an opening parenthesis (then judged too).
const char* firstNonNumeric(const char* field) {
  for (const char* p = field; *p != '\0'; ++p) {
    const bool leading = p == field || (p == field + 1 && *field == '(');
    const bool allowed =
        isDigit(*p) || *p == '.' || *p == '(' || *p == ')' || (*p == '-' && leading);
    if (!allowed) {
      return p;
    }
  }
  return nullptr;
}

// The amount in cents of a field that may be in parentheses, the accounting form of a negative
// amount: (25.00) is -25.00. Any other parenthesis, or a sign inside them, makes it no number.
Conversion convertMaybeEnclosed(const char* field, std::size_t length, Amount& cents) {
  const bool enclosed = length > 2 && field[0] == '(' && field[length - 1] == ')';
  const char* inner = enclosed ? field + 1 : field;
  const std::size_t innerLength = enclosed ? length - 2 : length;
  const bool strayParenthesis = std::memchr(inner, '(', innerLength) != nullptr ||
                                std::memchr(inner, ')', innerLength) != nullptr;
  if (strayParenthesis || (enclosed && inner[0] == '-')) {
    return Conversion::notANumber;
  }
  // The conversion stops at the closing parenthesis, as at anything after the number.
  const Conversion conversion = convertAmount(inner, cents);
  if (enclosed) {
    cents = -cents;
  }
  return conversion;
}

// Refuses an amount whose comma is no thousands separator, quoting the field as written (its
// blanks at the ends aside), so that the comma shows.
void refuseStrayComma(LineScan& scan) {
  const char* start = scan.amountText;
  while (*start == ' ') {
    ++start;
  }
  const char* end = start;
  while (!isFieldEnd(*end)) {
    ++end;
  }
  while (end > start && end[-1] == ' ') {
    --end;
  }
  note(scan, MessageKind::error, "Amount '%.*s' is not a valid number on line %ld: %s",
       static_cast<int>(end - start), start, scan.line, scan.shown);
  scan.parsed->kind = LineKind::lineRejected;
}

}  // namespace

WideAmountChar wideAmountCharAt(const char* p) {
  const auto byte = [p](int i) { return static_cast<unsigned char>(p[i]); };
  if (byte(0) == 0xC2) {
    return WideAmountChar{ byte(1) == 0xA0 ? 2 : 0, ' ' };
  }
  if (byte(0) != 0xE2) {
    return WideAmountChar{ 0, ' ' };
  }
  if (byte(1) == 0x88 && byte(2) == 0x92) {
    return WideAmountChar{ 3, '-' };
  }
  const bool space = byte(1) == 0x80 && (byte(2) == 0x89 || byte(2) == 0x8A || byte(2) == 0xAF);
  return WideAmountChar{ space ? 3 : 0, ' ' };
}

bool hasStrayComma(const char* written) {
  for (const char* p = written; !isFieldEnd(*p); ++p) {
    if (*p != ',' || isAmountEnd(p + 1)) {
      continue;  // a comma that ends the field is passed over, as a stray keystroke
    }
    const char* group = p + 1;
    const bool separator = p > written && isDigit(p[-1]) && isDigit(group[0]) &&
                           isDigit(group[1]) && isDigit(group[2]) &&
                           (group[3] == ',' || group[3] == '.' || isAmountEnd(group + 3));
    if (!separator) {
      return true;
    }
  }
  return false;
}

bool isBlankLine(const char* text) {
  if (text == nullptr) {
    return true;
  }
  for (const char* p = text; *p != '\0' && *p != '\n' && *p != '\r'; ++p) {
    if (*p != ' ' && *p != '\t') {
      return false;
    }
  }
  return true;
}

bool hasDigitBefore(const char* text, const char* stops) {
  for (const char* p = text; *p != '\0' && std::strchr(stops, *p) == nullptr; ++p) {
    if (isDigit(*p)) {
      return true;
    }
  }
  return false;
}

// Character by character, as the full grammar reads every field: a blank while the field is
// still empty is passed over, the line's last character is taken into the field, a separator
// ends it, a quotation mark is counted. A run of other characters is taken at once; nearly every
// name is one run and its TAB.
NameRead readAnyNameField(const char* text, Field& name, NameQuotes& quotes) {
  name.clear();
  quotes = NameQuotes{ 0, false, false };
  for (int p = 0;;) {
    if (p >= kFieldScanLimit) {
      return NameRead{ NameEnd::scanLimit, p };
    }
    const char ch = text[p];
    const char after = (ch == '\0') ? '\0' : text[p + 1];
    if (name.length == 0 && ch == ' ') {
      ++p;
    } else if (ch != '\0' && after == '\0') {
      name.append(ch);
      return NameRead{ NameEnd::lineEnd, p };
    } else if (isFieldEnd(ch)) {
      if (ch == '\t') {
        name.trimTrailingSpaces();
      }
      return NameRead{ NameEnd::separator, p };
    } else if (ch == '"') {
      ++quotes.count;
      quotes.atLineStart = quotes.atLineStart || p == 0;
      quotes.beforeTab = quotes.beforeTab || after == '\t';
      ++p;
    } else {
      // The run stops before the scan limit and before the line's last character, which the
      // steps above take.
      int runEnd = p + static_cast<int>(std::strcspn(text + p, kNameRunStops));
      if (text[runEnd] == '\0') {
        --runEnd;
      }
      if (runEnd > kFieldScanLimit) {
        runEnd = kFieldScanLimit;
      }
      name.appendRun(text + p, static_cast<std::size_t>(runEnd - p));
      p = runEnd;
    }
  }
}

void note(LineScan& scan, MessageKind kind, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  noteMessageV(scan.parsed->messages, kind, scan.line, format, arguments);
  va_end(arguments);
}

bool refuseTooLong(LineScan& scan, const Field& field) {
  if (!field.isTooLong()) {
    return false;
  }
  note(scan, MessageKind::error, "Field longer than %d characters on line: %s", kFieldMaxLength,
       scan.shown);
  scan.parsed->kind = LineKind::lineRejected;
  return true;
}

void refuseAtScanLimit(LineScan& scan) {
  note(scan, MessageKind::error,
       "Expected fields not found in the first %d characters of the input line.", kFieldScanLimit);
  scan.parsed->kind = LineKind::lineRejected;
}

void reportNoDate(LineScan& scan) {
  // A header's amount column holds no figure; a first line whose amount cell does is a gift
  // with a date that cannot be read.
  const char* second = scan.parsed->second.data();
  if (scan.line == kFirstLine && !hasDigitBefore(scan.amountText, "\t\n\r")) {
    note(scan, MessageKind::info, "Date field on first line '%s' is probably a header", second);
    scan.parsed->columnNames = true;
  } else {
    note(scan, MessageKind::error, "Date has improper format: '%s'", second);
  }
  scan.parsed->kind = LineKind::notDonation;
}

void noteNameQuotes(LineScan& scan) {
  // The warning of every name quoted as a spreadsheet quotes it: on a list exported from one,
  // nearly every other line raises it.
  static constexpr SplitFormat kQuotedName("Ignoring quotation marks around the name field: '%s'");
  static_assert(kQuotedName.valid(), "the quoted name's warning is joined from its pieces");
  const NameQuotes& quotes = scan.quotes;
  if (quotes.count == 2 && quotes.atLineStart && quotes.beforeTab) {
    noteSplitMessage(scan.parsed->messages, MessageKind::warning, scan.line, kQuotedName,
                     scan.parsed->name.data());
  } else {
    note(scan, MessageKind::error,
         "Name field has an ignored quotation mark BUT not a quote at both ends: '%s'",
         scan.parsed->name.data());
  }
}

void finishDonation(LineScan& scan) {
  if (scan.quotes.count != 0) {
    noteNameQuotes(scan);
  }
  const char* amountText = scan.amount.data();
  if (firstNonNumeric(amountText) != nullptr) {
    note(scan, MessageKind::error, "Amount '%s' contains or is followed by a non-numeric character",
         amountText);
    scan.parsed->kind = LineKind::badAmount;
    return;
  }
  Amount cents = 0;
  Conversion conversion = Conversion::notANumber;
  if (!isAmbiguousNumber(scan.amountText)) {
    if (hasStrayComma(scan.amountText)) {
      refuseStrayComma(scan);
      return;
    }
    conversion = convertMaybeEnclosed(amountText, scan.amount.length, cents);
  }
  switch (conversion) {
    case Conversion::notANumber:
      note(scan, MessageKind::error, "Amount '%s' is not a valid number on line %ld: %s",
           amountText, scan.line, scan.shown);
      scan.parsed->kind = LineKind::lineRejected;
      return;
    case Conversion::outOfRange:
      note(scan, MessageKind::error, "Amount '%s' is out of range on line %ld: %s", amountText,
           scan.line, scan.shown);
      scan.parsed->kind = LineKind::lineRejected;
      return;
    case Conversion::ok:
      break;
  }
  finishAmount(scan, cents);
}

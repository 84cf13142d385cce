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

// Digits and points anywhere, a minus sign only first.
const char* firstNonNumeric(const char* field) {
  for (const char* p = field; *p != '\0'; ++p) {
    const bool allowed = isDigit(*p) || *p == '.' || (*p == '-' && p == field);
    if (!allowed) {
      return p;
    }
  }
  return nullptr;
}

}  // namespace

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
  const NameQuotes& quotes = scan.quotes;
  if (quotes.count == 2 && quotes.atLineStart && quotes.beforeTab) {
    note(scan, MessageKind::warning, "Ignoring quotation marks around the name field: '%s'",
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
  const Conversion conversion = isAmbiguousNumber(scan.amountText)
                                    ? Conversion::notANumber
                                    : convertAmount(amountText, cents);
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

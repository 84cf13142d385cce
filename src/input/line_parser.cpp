#include "input/line_parser.hpp"

#include <array>
#include <cstddef>
#include <cstring>
#include <ctime>

#include "input/date_parser.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "output/amount.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"

namespace {

constexpr std::size_t kFieldSize = kFieldMaxLength + 1;
constexpr long kFirstLine = 1;

struct Keyword {
  const char* text;
  SourceType type;
};

// Tried in this order against the whole second field.
constexpr std::array<Keyword, 18> kKeywords = { {
    { "Government", GOVERNMENT },
    { "Charity", CHARITY },
    { "DAF", DAF },
    { "DAFDONOR", DAFDONOR },
    { "Officer", OFFICER },
    { "Director", DIRECTOR },
    { "Trustee", TRUSTEE },
    { "Family", FAMILY },
    { "Revenue", REVENUE },
    { "Investment", INVESTMENT },
    { "TAX", TAX },
    { "OTHER_INCOME", OTHER_INCOME },
    { "FREE_USE", FREE_USE },
    { "UNRELATED", UNRELATED },
    { "NOT_UNRELATED", NOT_UNRELATED },
    { "OLD_BUSINESS", OLD_BUSINESS },
    { "ADMISSIONS", ADMISSIONS },
    { "SALES", SALES },
} };

// Whole dollars above this cannot make an amount within kMaxLineAmount cents.
constexpr long long kMaxLineDollars = kMaxLineAmount / 100;

// A field keeps 127 characters; characters beyond are only counted, so that a field too long
// to keep whole is refused rather than cut (cutting would merge distinct names).
struct Field {
  std::array<char, kFieldSize> text;
  std::size_t length;  // characters seen for the field, stored or not
  std::size_t kept;    // characters up to the last one that is not a space

  void append(char ch) {
    if (length < kFieldMaxLength) {
      text[length] = ch;
      text[length + 1] = '\0';
    }
    ++length;
    if (ch != ' ') {
      kept = length;
    }
  }
  // Drops the spaces at the end, as the scan drops those at the start.
  void trimTrailingSpaces() {
    length = kept;
    if (kept < kFieldSize) {
      text[kept] = '\0';
    }
  }
  bool isTooLong() const { return length > kFieldMaxLength; }
  const char* data() const { return text.data(); }
};

enum class FieldName { name, second, amount };

// The first length characters of field against the whole of word.
bool sameIgnoringCase(const char* field, std::size_t length, const char* word) {
  for (std::size_t i = 0; i < length; ++i) {
    if (word[i] == '\0' || asciiLower(field[i]) != asciiLower(word[i])) {
      return false;
    }
  }
  return word[length] == '\0';
}

const Keyword* findKeyword(const char* field, std::size_t length) {
  for (const Keyword& keyword : kKeywords) {
    if (sameIgnoringCase(field, length, keyword.text)) {
      return &keyword;
    }
  }
  return nullptr;
}

// True when a digit stands in text before its end (a NUL) or before the first stop character.
bool hasDigitBefore(const char* text, const char* stops) {
  for (const char* p = text; *p != '\0' && std::strchr(stops, *p) == nullptr; ++p) {
    if (isDigit(*p)) {
      return true;
    }
  }
  return false;
}

void reportFieldTooLong(const char* text, long line) {
  message(MessageKind::error, line, "Field longer than %d characters on line: %s", kFieldMaxLength,
          text);
}

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

// The whole state of one line; nothing of it outlives the call.
struct LineScan {
  const char* text;
  long line;
  Field name;
  Field second;
  Field amount;
  const char* amountText;  // the amount field as written: the line after the second field
  int quoteCount;
  bool quoteAtLineStart;
  bool quoteBeforeTab;
  bool nameBlank;
  std::time_t date;
};

LineResult handleKeyword(LineScan& scan, const Keyword& keyword) {
  // A line without a name cannot bind anything; its error is already reported.
  if (scan.nameBlank) {
    return LineResult::lineRejected;
  }
  const int index = findOrCreateDonor(scan.name.data(), scan.line);
  // No entry (the table is full, already reported): nothing was bound, so the line must not
  // count among the bindings.
  if (index < 0) {
    return LineResult::lineRejected;
  }
  if (!bindSourceType(index, scan.line, keyword.type)) {
    return LineResult::lineRejected;
  }
  const DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  if (entry.totalAmount != 0) {
    message(MessageKind::error, scan.line, "Name %s can only have one funding purpose.",
            entry.name.data());
    messageMore("    Associate the purpose keyword with a name before reading any funding lines");
  }
  if (verbosityLevel >= 4) {
    message(MessageKind::plain, 0, "%s associated with support type %s", entry.name.data(),
            scan.second.data());
  }
  return LineResult::keywordBound;
}

// The second field has ended. Returns true when the line goes on to its amount field;
// otherwise result holds what the line came to.
// A second field that is neither blank, nor a keyword, nor a column name, nor a date.
LineResult reportNoDate(const LineScan& scan) {
  // A header's amount column holds no figure; a first line whose amount cell does is a gift
  // with a date that cannot be read.
  if (scan.line == kFirstLine && !hasDigitBefore(scan.amountText, "\t\n\r")) {
    message(MessageKind::info, scan.line, "Date field on first line '%s' is probably a header",
            scan.second.data());
  } else {
    message(MessageKind::error, scan.line, "Date has improper format: '%s'", scan.second.data());
  }
  return LineResult::notDonation;
}

bool handleSecondField(LineScan& scan, LineResult& result) {
  if (isBlankLine(scan.second.data())) {
    message(MessageKind::error, scan.line, "The date (second) field is blank: %s", scan.text);
    result = LineResult::blankDate;
    return false;
  }
  // Every keyword and "date" start with a letter; a field that starts with a digit (every
  // date) can match none of them, and is spared nineteen comparisons. A word is compared
  // without the spaces after it, which a hand-typed cell often has.
  const bool mayBeWord = !isDigit(scan.second.text[0]);
  std::size_t wordLength = scan.second.length;
  while (mayBeWord && wordLength > 0 && scan.second.text[wordLength - 1] == ' ') {
    --wordLength;
  }
  const char* word = scan.second.data();
  if (const Keyword* keyword = mayBeWord ? findKeyword(word, wordLength) : nullptr) {
    result = handleKeyword(scan, *keyword);
    return false;
  }
  if (mayBeWord && sameIgnoringCase(word, wordLength, "date")) {
    message(MessageKind::info, scan.line,
            "Ignoring line which looks like names for the columns: %s", scan.text);
    result = LineResult::notDonation;
    return false;
  }
  scan.date = parseDate(scan.second.data(), scan.line);
  if (scan.date != 0) {
    return true;
  }
  result = reportNoDate(scan);
  return false;
}

// The end of a donation line whose amount is valid.
LineResult bookAmount(const LineScan& scan, Amount cents) {
  if (cents == 0) {
    message(MessageKind::warning, scan.line,
            "An amount of exactly zero is unexpected for a source of revenue.");
    return LineResult::zeroAmount;
  }
  // A line without a name has nobody to book for; its error is already reported.
  if (scan.nameBlank) {
    return LineResult::lineRejected;
  }
  // A name field holds no more than it stores (a longer one is refused), so its length is the
  // count of its characters.
  addDonationOfLength(scan.name.data(), scan.name.length, scan.date, cents, scan.line);
  return LineResult::donationBooked;
}

LineResult finishDonation(LineScan& scan) {
  if (scan.quoteCount != 0) {
    if (scan.quoteCount == 2 && scan.quoteAtLineStart && scan.quoteBeforeTab) {
      message(MessageKind::warning, scan.line,
              "Ignoring quotation marks around the name field: '%s'", scan.name.data());
    } else {
      message(MessageKind::error, scan.line,
              "Name field has an ignored quotation mark BUT not a quote at both ends: '%s'",
              scan.name.data());
    }
  }

  const char* amountText = scan.amount.data();
  if (firstNonNumeric(amountText) != nullptr) {
    message(MessageKind::error, scan.line,
            "Amount '%s' contains or is followed by a non-numeric character", amountText);
    return LineResult::badAmount;
  }
  Amount cents = 0;
  const Conversion conversion = isAmbiguousNumber(scan.amountText)
                                    ? Conversion::notANumber
                                    : convertAmount(amountText, cents);
  switch (conversion) {
    case Conversion::notANumber:
      message(MessageKind::error, scan.line, "Amount '%s' is not a valid number on line %ld: %s",
              amountText, scan.line, scan.text);
      return LineResult::lineRejected;
    case Conversion::outOfRange:
      message(MessageKind::error, scan.line, "Amount '%s' is out of range on line %ld: %s",
              amountText, scan.line, scan.text);
      return LineResult::lineRejected;
    case Conversion::ok:
      break;
  }
  return bookAmount(scan, cents);
}

LineResult scanFields(LineScan& scan) {
  const char* text = scan.text;
  FieldName current = FieldName::name;
  bool atLineEnd = false;  // the end of the line has been met: it ends every field after it
  for (int p = 0;; ++p) {
    if (p >= kFieldScanLimit && !atLineEnd) {
      message(MessageKind::error, scan.line,
              "Expected fields not found in the first %d characters of the input line.",
              kFieldScanLimit);
      return LineResult::lineRejected;
    }
    // Past the end of the line nothing is read: every further field sees the end again.
    const char ch = atLineEnd ? '\0' : text[p];
    const char after = (ch == '\0') ? '\0' : text[p + 1];
    if (ch == '\0') {
      atLineEnd = true;
    }
    Field& field = (current == FieldName::name)     ? scan.name
                   : (current == FieldName::second) ? scan.second
                                                    : scan.amount;
    if (field.length == 0 && ch == ' ') {
      continue;
    }

    switch (current) {
      case FieldName::name:
        if (ch != '\0' && after == '\0') {
          field.append(ch);
          if (field.isTooLong()) {
            reportFieldTooLong(text, scan.line);
          } else {
            message(MessageKind::error, scan.line, "Name field %s with no other fields on line: %s",
                    field.data(), text);
          }
          return LineResult::lineRejected;
        }
        if (isFieldEnd(ch)) {
          if (ch == '\t') {
            field.trimTrailingSpaces();
          }
          if (field.isTooLong()) {
            reportFieldTooLong(text, scan.line);
            return LineResult::lineRejected;
          }
          if (isBlankLine(field.data())) {
            message(MessageKind::error, scan.line, "The Name (first) field can not be blank: %s",
                    text);
            scan.nameBlank = true;
          }
          current = FieldName::second;
        } else if (ch == '"') {
          ++scan.quoteCount;
          scan.quoteAtLineStart = scan.quoteAtLineStart || p == 0;
          scan.quoteBeforeTab = scan.quoteBeforeTab || after == '\t';
        } else {
          field.append(ch);
        }
        break;

      case FieldName::second:
        if (ch == '"' && after != '\0') {
          break;
        }
        // A quotation mark that closes the line is dropped, and the line's end ends the field.
        if (isFieldEnd(ch) || ch == '"') {
          atLineEnd = atLineEnd || ch == '"';
          if (field.isTooLong()) {
            reportFieldTooLong(text, scan.line);
            return LineResult::lineRejected;
          }
          scan.amountText = (ch == '\0') ? "" : text + p + 1;
          LineResult result = LineResult::notDonation;
          if (!handleSecondField(scan, result)) {
            return result;
          }
          current = FieldName::amount;
        } else {
          field.append(ch);
        }
        break;

      case FieldName::amount: {
        const bool dropped = ch == ' ' || ch == '"' || ch == '$' || ch == ',';
        if (dropped && after != '\0') {
          break;
        }
        // A dropped character that closes the line leaves the line's end to end the field.
        if (isFieldEnd(ch) || dropped) {
          atLineEnd = true;
          if (field.length == 0) {
            message(MessageKind::error, scan.line, "Value field is empty");
            return LineResult::badAmount;
          }
          if (field.isTooLong()) {
            reportFieldTooLong(text, scan.line);
            return LineResult::lineRejected;
          }
          return finishDonation(scan);
        }
        if (!isDigit(ch) && ch != '-' && ch != '.') {
          const auto hex = static_cast<unsigned>(static_cast<int>(static_cast<signed char>(ch)));
          message(MessageKind::error, scan.line,
                  "Character %c (0x%x) in value '%s' is not a number on line: %s", ch, hex,
                  field.data(), text);
        }
        field.append(ch);
        if (after == '\0') {
          if (field.isTooLong()) {
            reportFieldTooLong(text, scan.line);
            return LineResult::lineRejected;
          }
          return finishDonation(scan);
        }
        break;
      }
    }
  }
}

// A clean state for one line. A field is read only up to its terminator, so an empty field
// needs no more than its first character cleared; clearing all four hundred bytes of the three
// fields on every line cost as much as scanning the line.
void clearField(Field& field) {
  field.text[0] = '\0';
  field.length = 0;
  field.kept = 0;
}

void startScan(LineScan& scan, const char* text, long line) {
  scan.text = text;
  scan.line = line;
  clearField(scan.name);
  clearField(scan.second);
  clearField(scan.amount);
  scan.amountText = "";
  scan.quoteCount = 0;
  scan.quoteAtLineStart = false;
  scan.quoteBeforeTab = false;
  scan.nameBlank = false;
  scan.date = 0;
}

// Fills a field with the characters [from, to) of the line, as the scan would have stored them.
void fillField(Field& field, const char* from, const char* to) {
  const auto length = static_cast<std::size_t>(to - from);
  std::memcpy(field.text.data(), from, length);
  field.text[length] = '\0';
  field.length = length;
  field.kept = length;
}

// What ends a name or second field of a plain line (the line's end ends it too), and the
// quotation mark that makes a line not plain.
constexpr const char* kPlainFieldStops = "\t\n\r\"";

// An amount of whole dollars and one or two digits of cents, read character by character:
// convertAmount gives the same cents for it, and it can hold nothing that finishDonation
// would report.
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
// as something only finishDonation or scanFields can judge.
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

// Nearly every line of a real list is a plain donation line: a name without quotation marks
// (or quoted as a whole), a TAB, a date, a TAB and an amount, all well within the scan limit.
// This reads such a line in straight loops and leaves every other line to scanFields, which
// would store the same fields and also reports whatever is unusual. It gives up (false) only before
// anything is reported or booked: before the second field is handled, or after it was taken
// silently as a date, in which case scanFields takes the same date again without a message. When it
// returns true, result holds what scanFields would have returned.
bool scanCommonLine(LineScan& scan, LineResult& result) {
  const char* text = scan.text;
  // Name: no leading blank, no quotation mark, ended by a TAB that does not end the line; or
  // such a name between quotation marks, the first at the start of the line and the second
  // right before the TAB, as a spreadsheet quotes a name that holds a comma.
  const bool quoted = text[0] == '"';
  const char* name = quoted ? text + 1 : text;
  if (*name == ' ') {
    return false;
  }
  const char* p = name + std::strcspn(name, kPlainFieldStops);
  if (quoted) {
    if (*p != '"') {
      return false;
    }
    ++p;
  }
  const char* nameEnd = quoted ? p - 1 : p;
  if (*p != '\t' || p[1] == '\0') {
    return false;
  }
  while (nameEnd > name && nameEnd[-1] == ' ') {
    --nameEnd;
  }
  if (nameEnd == name || static_cast<std::size_t>(nameEnd - name) > kFieldMaxLength) {
    return false;
  }
  fillField(scan.name, name, nameEnd);
  if (quoted) {
    scan.quoteCount = 2;
    scan.quoteAtLineStart = true;
    scan.quoteBeforeTab = true;
  }

  // Second field: starts with a digit (no keyword, no column name), ended by a TAB inside the
  // scan limit, no quotation mark.
  const char* second = p + 1;
  if (!isDigit(*second)) {
    return false;
  }
  // Starting with a digit, the field is not blank and no keyword or column name: handleSecondField
  // would come straight to the date. A date of a plain form is read from the line in place; the
  // field is stored only for a message. Any other date is left to the full scan, as is a day off
  // the calendar: their dates may be reported, and nothing may be reported before this scan
  // could still give up.
  DateParts parts{ 0, 0, 0 };
  p = readPlainDateField(second, parts);
  if (p == nullptr || p - text >= kFieldScanLimit ||
      static_cast<std::size_t>(p - second) > kFieldMaxLength || !isCalendarDay(parts)) {
    return false;
  }
  scan.amountText = p + 1;
  scan.date = dateOfParts(parts, second, scan.line);
  if (scan.date == 0) {
    fillField(scan.second, second, p);
    result = reportNoDate(scan);
    return true;
  }

  // Amount: number characters, with the dropped ones passed over, up to a field end. The usual
  // form, whole dollars and one or two digits of cents, is converted on the way; finishDonation
  // judges every other one.
  Field& amount = scan.amount;
  PlainAmount plain{ 0, 0, 0, -1, true };
  for (++p;; ++p) {
    const AmountClass kind = kAmountClasses[static_cast<unsigned char>(*p)];
    if (kind == kNumberChar) {
      if (amount.length == kFieldMaxLength) {
        return false;
      }
      amount.text[amount.length++] = *p;
      plain.take(*p);
    } else if (kind != kDroppedChar) {
      if (kind != kFieldEndChar) {
        return false;
      }
      break;
    } else if (*p == ',' && plain.fractionDigits >= 0) {
      plain.plain = false;  // a comma after the point: finishDonation judges it
    }
  }
  // Every character the scan reads must lie within its limit: the field end, or, when the line
  // ends, the last character (where the scan sees the field complete).
  const char* lastRead = (*p == '\0') ? p - 1 : p;
  if (lastRead - text >= kFieldScanLimit) {
    return false;
  }
  if (amount.length == 0) {
    return false;
  }
  amount.text[amount.length] = '\0';
  // A quoted name has its warning before the amount's messages: finishDonation gives both.
  Amount cents = 0;
  result = !quoted && plain.cents(cents) ? bookAmount(scan, cents) : finishDonation(scan);
  return true;
}

}  // namespace

bool isFieldEnd(char ch) { return ch == '\0' || ch == '\t' || ch == '\n' || ch == '\r'; }

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

LineResult parseDonationLine(const char* text, long line) {
  // A line that starts with any other character is neither blank, nor a comment, nor one
  // without a first field.
  const char lead = text != nullptr ? text[0] : '\0';
  if (lead == ' ' || lead == '!' || isFieldEnd(lead)) {
    if (isBlankLine(text)) {
      return LineResult::blankLine;
    }
    const char* first = text;
    while (*first == ' ') {
      ++first;
    }
    if (*first == '!') {
      return LineResult::commentLine;
    }
    if (*first == '\t') {
      // Not read, but a row with a figure in it must not go by without a word.
      if (hasDigitBefore(first + 1, "")) {
        message(MessageKind::warning, line, "Line with an empty name field is not read: %s", text);
      }
      return LineResult::emptyFirstField;
    }
  }

  LineScan scan;
  startScan(scan, text, line);
  LineResult result = LineResult::notDonation;
  if (scanCommonLine(scan, result)) {
    return result;
  }
  startScan(scan, text, line);
  return scanFields(scan);
}

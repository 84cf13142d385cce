#include "input/line_parser.hpp"

#include <array>
#include <cstddef>
#include <cstring>
#include <ctime>

#include "input/date_parser.hpp"
#include "input/line_scan.hpp"
#include "input/plain_line.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "output/amount.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"

namespace {

constexpr long kFirstLine = 1;

// Whole dollars above this cannot make an amount within kMaxLineAmount cents.
constexpr long long kMaxLineDollars = kMaxLineAmount / 100;

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

// The type whose keyword is the whole field (letter case aside), or -1. Keywords differ in more
// than case, so at most one matches.
int typeOfKeyword(const char* field, std::size_t length) {
  for (int type = 0; type < kSourceTypeCount; ++type) {
    const char* keyword = kSourceTypes[type].keyword;
    if (keyword != nullptr && sameIgnoringCase(field, length, keyword)) {
      return type;
    }
  }
  return -1;
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

LineResult handleKeyword(LineScan& scan, SourceType type) {
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
  if (!bindSourceType(index, scan.line, type)) {
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

}  // namespace

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

namespace {

// The second field has ended. Returns true when the line goes on to its amount field;
// otherwise result holds what the line came to.
bool handleSecondField(LineScan& scan, LineResult& result) {
  if (isBlankLine(scan.second.data())) {
    message(MessageKind::error, scan.line, "The date (second) field is blank: %s", scan.text);
    result = LineResult::blankDate;
    return false;
  }
  // Every keyword and "date" start with a letter; a field that starts with a digit (every
  // date) can match none of them, and is spared the comparisons. A word is compared
  // without the spaces after it, which a hand-typed cell often has.
  const bool mayBeWord = !isDigit(scan.second.text[0]);
  std::size_t wordLength = scan.second.length;
  while (mayBeWord && wordLength > 0 && scan.second.text[wordLength - 1] == ' ') {
    --wordLength;
  }
  const char* word = scan.second.data();
  const int type = mayBeWord ? typeOfKeyword(word, wordLength) : -1;
  if (type >= 0) {
    result = handleKeyword(scan, static_cast<SourceType>(type));
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

// Where the full scan stands in a line: the field it reads, the character at p and the one
// after it.
struct ScanPlace {
  FieldName current;
  bool atLineEnd;  // the end of the line has been met: it ends every field after it
  int p;
  char ch;
  char after;
};

// A field too long to keep whole refuses the line.
bool refuseTooLong(const LineScan& scan, const Field& field, LineResult& result) {
  if (!field.isTooLong()) {
    return false;
  }
  message(MessageKind::error, scan.line, "Field longer than %d characters on line: %s",
          kFieldMaxLength, scan.text);
  result = LineResult::lineRejected;
  return true;
}

// Each step takes the character at the place into the field being read; true when the line
// has come to its result.
bool takeNameChar(LineScan& scan, ScanPlace& at, LineResult& result) {
  Field& field = scan.name;
  if (at.ch != '\0' && at.after == '\0') {
    field.append(at.ch);
    if (!refuseTooLong(scan, field, result)) {
      message(MessageKind::error, scan.line, "Name field %s with no other fields on line: %s",
              field.data(), scan.text);
      result = LineResult::lineRejected;
    }
    return true;
  }
  if (isFieldEnd(at.ch)) {
    if (at.ch == '\t') {
      field.trimTrailingSpaces();
    }
    if (refuseTooLong(scan, field, result)) {
      return true;
    }
    if (isBlankLine(field.data())) {
      message(MessageKind::error, scan.line, "The Name (first) field can not be blank: %s",
              scan.text);
      scan.nameBlank = true;
    }
    at.current = FieldName::second;
  } else if (at.ch == '"') {
    ++scan.quoteCount;
    scan.quoteAtLineStart = scan.quoteAtLineStart || at.p == 0;
    scan.quoteBeforeTab = scan.quoteBeforeTab || at.after == '\t';
  } else {
    field.append(at.ch);
  }
  return false;
}

bool takeSecondChar(LineScan& scan, ScanPlace& at, LineResult& result) {
  Field& field = scan.second;
  if (at.ch == '"' && at.after != '\0') {
    return false;
  }
  // A quotation mark that closes the line is dropped, and the line's end ends the field.
  if (!isFieldEnd(at.ch) && at.ch != '"') {
    field.append(at.ch);
    return false;
  }
  at.atLineEnd = at.atLineEnd || at.ch == '"';
  if (refuseTooLong(scan, field, result)) {
    return true;
  }
  scan.amountText = (at.ch == '\0') ? "" : scan.text + at.p + 1;
  if (!handleSecondField(scan, result)) {
    return true;
  }
  at.current = FieldName::amount;
  return false;
}

// The amount field has ended: it is judged whole.
bool endAmount(LineScan& scan, LineResult& result) {
  if (!refuseTooLong(scan, scan.amount, result)) {
    result = finishDonation(scan);
  }
  return true;
}

bool takeAmountChar(LineScan& scan, ScanPlace& at, LineResult& result) {
  Field& field = scan.amount;
  const char ch = at.ch;
  const bool dropped = ch == ' ' || ch == '"' || ch == '$' || ch == ',';
  if (dropped && at.after != '\0') {
    return false;
  }
  // A dropped character that closes the line leaves the line's end to end the field.
  if (isFieldEnd(ch) || dropped) {
    at.atLineEnd = true;
    if (field.length == 0) {
      message(MessageKind::error, scan.line, "Value field is empty");
      result = LineResult::badAmount;
      return true;
    }
    return endAmount(scan, result);
  }
  if (!isDigit(ch) && ch != '-' && ch != '.') {
    const auto hex = static_cast<unsigned>(static_cast<int>(static_cast<signed char>(ch)));
    message(MessageKind::error, scan.line,
            "Character %c (0x%x) in value '%s' is not a number on line: %s", ch, hex, field.data(),
            scan.text);
  }
  field.append(ch);
  return at.after == '\0' && endAmount(scan, result);
}

// Reads the line character by character: the three fields with their quotation marks, blanks
// and dropped characters, reporting whatever is unusual.
LineResult scanFields(LineScan& scan) {
  ScanPlace at{ FieldName::name, false, 0, '\0', '\0' };
  LineResult result = LineResult::notDonation;
  for (;; ++at.p) {
    if (at.p >= kFieldScanLimit && !at.atLineEnd) {
      message(MessageKind::error, scan.line,
              "Expected fields not found in the first %d characters of the input line.",
              kFieldScanLimit);
      return LineResult::lineRejected;
    }
    // Past the end of the line nothing is read: every further field sees the end again.
    at.ch = at.atLineEnd ? '\0' : scan.text[at.p];
    at.after = (at.ch == '\0') ? '\0' : scan.text[at.p + 1];
    if (at.ch == '\0') {
      at.atLineEnd = true;
    }
    const Field& field = (at.current == FieldName::name)     ? scan.name
                         : (at.current == FieldName::second) ? scan.second
                                                             : scan.amount;
    if (field.length == 0 && at.ch == ' ') {
      continue;
    }
    const bool done = (at.current == FieldName::name)     ? takeNameChar(scan, at, result)
                      : (at.current == FieldName::second) ? takeSecondChar(scan, at, result)
                                                          : takeAmountChar(scan, at, result);
    if (done) {
      return result;
    }
  }
}

// A line that is blank, a comment, or without a first field is passed over (true, with what it
// came to in result).
bool isPassedOver(const char* text, long line, LineResult& result) {
  if (isBlankLine(text)) {
    result = LineResult::blankLine;
    return true;
  }
  const char* first = text;
  while (*first == ' ') {
    ++first;
  }
  if (*first == '!') {
    result = LineResult::commentLine;
    return true;
  }
  if (*first == '\t') {
    // Not read, but a row with a figure in it must not go by without a word.
    if (hasDigitBefore(first + 1, "")) {
      message(MessageKind::warning, line, "Line with an empty name field is not read: %s", text);
    }
    result = LineResult::emptyFirstField;
    return true;
  }
  return false;
}

// Every line the plain scan left. Kept out of line: inlined, its frame would be set up for every
// plain line too.
[[gnu::noinline]] LineResult parseUnplainLine(const char* text, long line) {
  // A line that starts with any other character is neither blank, nor a comment, nor one
  // without a first field.
  const char lead = text != nullptr ? text[0] : '\0';
  LineResult result = LineResult::notDonation;
  if ((lead == ' ' || lead == '!' || isFieldEnd(lead)) && isPassedOver(text, line, result)) {
    return result;
  }
  LineScan scan;
  startScan(scan, text, line);
  return scanFields(scan);
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
  // The plain scan takes no line that starts with a blank, a TAB or a line end; a comment is
  // the one such line it would take.
  LineResult result = LineResult::notDonation;
  if (text != nullptr && text[0] != '!' && parsePlainLine(text, line, result)) {
    return result;
  }
  return parseUnplainLine(text, line);
}

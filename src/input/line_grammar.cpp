#include "input/line_grammar.hpp"

#include <cstddef>

#include "input/date_parser.hpp"
#include "ledger/source_type.hpp"
#include "output/ascii.hpp"

namespace {

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

// Only the first line of a list may be a header without a word about its figures.
constexpr long kFirstLine = 1;

// The keyword of a line that makes its name and the name in its third field one group.
constexpr const char* kRelatedKeyword = "Related";

// True when the field after the second one, as written, holds a digit: an amount.
bool holdsAmountAfterSecondField(const LineScan& scan) {
  return hasDigitBefore(scan.amountText, "\t\n\r");
}

// The third field of a keyword line, read like a name field: the blanks at its ends and its
// quotation marks dropped.
void readThirdField(LineScan& scan) {
  Field& third = scan.parsed->third;
  third.clear();
  for (const char* p = scan.amountText; !isFieldEnd(*p); ++p) {
    if (*p != '"' && (*p != ' ' || third.length != 0)) {
      third.append(*p);
    }
  }
  third.trimTrailingSpaces();
}

// A keyword binds the line's name; a line without a name (its error already noted) binds
// nothing. Nothing after the keyword is booked, so an amount there must not go by unsaid.
void takeKeyword(LineScan& scan, int type) {
  scan.parsed->kind = scan.nameBlank ? LineKind::lineRejected : LineKind::keyword;
  scan.parsed->type = static_cast<SourceType>(type);
  readThirdField(scan);
  if (holdsAmountAfterSecondField(scan)) {
    note(scan, MessageKind::warning, "Amount on a keyword line is not booked: %s", scan.shown);
  }
}

// A Related line groups its name with the name in its third field; the ledger judges whether
// the two may be grouped.
void takeRelated(LineScan& scan) {
  ParsedLine& parsed = *scan.parsed;
  parsed.kind = LineKind::lineRejected;
  readThirdField(scan);
  if (scan.nameBlank || refuseTooLong(scan, parsed.third)) {
    return;
  }
  if (parsed.third.length == 0) {
    note(scan, MessageKind::error, "Keyword Related needs the related name in the third field: %s",
         scan.shown);
    return;
  }
  parsed.kind = LineKind::related;
}

// The second field has ended. Returns true when the line goes on to its amount field;
// otherwise the line has come to its kind.
bool handleSecondField(LineScan& scan) {
  ParsedLine& parsed = *scan.parsed;
  const Field& second = parsed.second;
  if (isBlankLine(second.data())) {
    note(scan, MessageKind::error, "The date (second) field is blank: %s", scan.shown);
    parsed.kind = LineKind::blankDate;
    return false;
  }
  // Every keyword and "date" start with a letter; a field that starts with a digit (every
  // date) can match none of them, and is spared the comparisons. A word is compared without
  // the spaces after it, which a hand-typed cell often has.
  if (!isDigit(second.text[0])) {
    std::size_t wordLength = second.length;
    while (wordLength > 0 && second.text[wordLength - 1] == ' ') {
      --wordLength;
    }
    const int type = typeOfKeyword(second.data(), wordLength);
    if (type >= 0) {
      takeKeyword(scan, type);
      return false;
    }
    if (sameIgnoringCase(second.data(), wordLength, kRelatedKeyword)) {
      takeRelated(scan);
      return false;
    }
    if (sameIgnoringCase(second.data(), wordLength, "date")) {
      note(scan, MessageKind::info, "Ignoring line which looks like names for the columns: %s",
           scan.shown);
      if (scan.line != kFirstLine && holdsAmountAfterSecondField(scan)) {
        note(scan, MessageKind::warning,
             "Line that looks like column names holds an amount that is not booked: %s",
             scan.shown);
      }
      parsed.kind = LineKind::notDonation;
      parsed.columnNames = true;
      return false;
    }
  }
  parsed.date = parseDate(second.data(), scan.line, *scan.options, parsed.messages);
  if (parsed.date != 0) {
    return true;
  }
  reportNoDate(scan);
  return false;
}

// Where the full scan stands in a line: the field it reads, the character at p and the one
// after it.
struct ScanPlace {
  GrammarField current;
  bool atLineEnd;  // the end of the line has been met: it ends every field after it
  int p;
  char ch;
  char after;
};

// Each step takes the character at the place into the field being read; true when the line
// has come to its kind.
bool takeSecondChar(LineScan& scan, ScanPlace& at) {
  Field& field = scan.parsed->second;
  if (at.ch == '"' && at.after != '\0') {
    return false;
  }
  // A quotation mark that closes the line is dropped, and the line's end ends the field.
  if (!isFieldEnd(at.ch) && at.ch != '"') {
    field.append(at.ch);
    return false;
  }
  at.atLineEnd = at.atLineEnd || at.ch == '"';
  if (refuseTooLong(scan, field)) {
    return true;
  }
  scan.amountText = (at.ch == '\0') ? "" : scan.text + at.p + 1;
  if (!handleSecondField(scan)) {
    return true;
  }
  at.current = GrammarField::amount;
  return false;
}

// The amount field has ended: it is judged whole.
bool endAmount(LineScan& scan) {
  if (!refuseTooLong(scan, scan.amount)) {
    finishDonation(scan);
  }
  return true;
}

bool takeAmountChar(LineScan& scan, ScanPlace& at) {
  Field& field = scan.amount;
  char ch = at.ch;
  AmountClass kind = amountClassOf(ch);
  if (kind == kOtherChar) {
    // A minus sign or a space of more than one byte is taken as its ASCII self.
    const WideAmountChar wide = wideAmountCharAt(scan.text + at.p);
    if (wide.length != 0) {
      at.p += wide.length - 1;
      at.after = scan.text[at.p + 1];
      ch = wide.as;
      kind = amountClassOf(ch);
    }
  }
  if (kind == kDroppedChar && at.after != '\0') {
    return false;
  }
  // A dropped character that closes the line leaves the line's end to end the field.
  if (kind == kFieldEndChar || kind == kDroppedChar) {
    at.atLineEnd = true;
    if (field.length == 0) {
      note(scan, MessageKind::error, "Value field is empty");
      scan.parsed->kind = LineKind::badAmount;
      return true;
    }
    return endAmount(scan);
  }
  if (kind != kNumberChar) {
    const auto hex = static_cast<unsigned>(static_cast<int>(static_cast<signed char>(ch)));
    note(scan, MessageKind::error, "Character %c (0x%x) in value '%s' is not a number on line: %s",
         ch, hex, field.data(), scan.shown);
  }
  field.append(ch);
  return at.after == '\0' && endAmount(scan);
}

}  // namespace

void readByGrammar(LineScan& scan, GrammarField field, int separator, bool atLineEnd) {
  // The amount field starts empty here whatever a shortcut stored in it.
  scan.amount.clear();
  ScanPlace at{ field, atLineEnd, separator, '\0', '\0' };
  for (++at.p;; ++at.p) {
    if (at.p >= scan.scanLimit && !at.atLineEnd) {
      refuseAtScanLimit(scan);
      return;
    }
    // Past the end of the line nothing is read: every further field sees the end again.
    at.ch = at.atLineEnd ? '\0' : scan.text[at.p];
    at.after = (at.ch == '\0') ? '\0' : scan.text[at.p + 1];
    if (at.ch == '\0') {
      at.atLineEnd = true;
    }
    const bool second = at.current == GrammarField::second;
    const Field& current = second ? scan.parsed->second : scan.amount;
    if (current.length == 0 && at.ch == ' ') {
      continue;
    }
    if (second ? takeSecondChar(scan, at) : takeAmountChar(scan, at)) {
      return;
    }
  }
}

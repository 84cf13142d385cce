#ifndef QUORVA_INPUT_LINE_SCAN_HPP
#define QUORVA_INPUT_LINE_SCAN_HPP

#include <array>
#include <cstddef>
#include <cstring>

#include "input/parsed_line.hpp"
#include "input/reading_options.hpp"
#include "output/amount.hpp"
#include "output/byte_marks.hpp"
#include "output/message_channel.hpp"

// What the shortcuts for plain fields and the full grammar share: the state of one line, the
// name field, the characters of an amount, and the judging of a dated line's amount.

/// True for NUL, TAB, LF and CR.
constexpr bool isFieldEnd(char ch) { return ch == '\0' || ch == '\t' || ch == '\n' || ch == '\r'; }
/// True when every character before the first NUL, LF or CR is a space or a TAB.
bool isBlankLine(const char* text);
/// True when a digit stands in text before its end (a NUL) or before the first stop character.
bool hasDigitBefore(const char* text, const char* stops);

/// How an amount field takes a character: as part of the number, passed over, as its end, or
/// as a character that is no part of an amount.
enum AmountClass : unsigned char { kOtherChar, kNumberChar, kDroppedChar, kFieldEndChar };

constexpr std::array<AmountClass, 256> makeAmountClasses() {
  std::array<AmountClass, 256> classes{};
  // Parentheses are kept for judging the whole field: around an amount they make it negative.
  for (const char ch : { '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '.', '-', '(', ')' }) {
    classes[static_cast<unsigned char>(ch)] = kNumberChar;
  }
  // What a spreadsheet writes around and inside a figure: "$1,250.00", "1 250".
  for (const char ch : { ' ', '"', '$', ',' }) {
    classes[static_cast<unsigned char>(ch)] = kDroppedChar;
  }
  for (const char ch : { '\0', '\t', '\n', '\r' }) {
    classes[static_cast<unsigned char>(ch)] = kFieldEndChar;
  }
  return classes;
}
/// The class of every character, by its byte.
inline constexpr std::array<AmountClass, 256> kAmountClasses = makeAmountClasses();
inline AmountClass amountClassOf(char ch) { return kAmountClasses[static_cast<unsigned char>(ch)]; }

/// A character of more than one byte that exporters write in figures, as the amount takes it:
/// U+2212 (minus sign) as '-', U+00A0, U+2009, U+200A and U+202F (spaces) as a blank.
struct WideAmountChar {
  int length;  ///< its bytes; 0 when none starts here
  char as;
};
/// The wide amount character that starts at p, if any.
WideAmountChar wideAmountCharAt(const char* p);
/// True when the amount as written, up to its field's end, holds a comma that is no thousands
/// separator: one not directly after a digit, or not followed by exactly three digits and then
/// another comma, the point or the end of the amount (blanks, closing quotation marks and a
/// closing parenthesis may follow). A comma that ends the field is passed over.
bool hasStrayComma(const char* written);

/// The quotation marks of a name field: they are dropped, and judged when the line is a donation.
struct NameQuotes {
  int count;
  bool atLineStart;  ///< one of them starts the line
  bool beforeTab;    ///< one of them stands right before a TAB
};

/// How the name field came to its end.
enum class NameEnd : int {
  separator,  ///< a TAB, CR or LF ended it (or the end of a line of blanks and quotation marks)
  lineEnd,    ///< the line ended inside it: it holds the rest of the line, its last character too
  scanLimit,  ///< nothing ended it within the first kFieldScanLimit characters
};

/// Where and how the name field ended.
struct NameRead {
  NameEnd end;
  int at;  ///< for a separator, its position: the second field starts after it
};

/// What ends a run of name characters that are taken as they are: a field end or a quotation
/// mark (or the line's end).
constexpr const char* kNameRunStops = "\t\n\r\"";

/// A plain name: one run of characters at the start of a line, the first no blank, ended by a
/// TAB that does not end the line, within the scan limit; or such a run between quotation marks,
/// the first at the start of the line and the second right before the TAB, as a spreadsheet
/// quotes a name that holds a comma. Nearly every name is one.
struct PlainName {
  int start;   ///< 1 when quoted, else 0
  int length;  ///< without the blanks after it
  int tab;     ///< the TAB's position; 0 when the name is not plain
};

/// The name [start, end) of a line whose TAB is at tab, without the blanks at its end.
[[gnu::always_inline]] inline PlainName trimmedName(const char* text, int start, int end, int tab) {
  while (end > start && text[end - 1] == ' ') {
    --end;
  }
  return PlainName{ start, end - start, tab };
}

/// Where the run of name characters at name ends: its first stop of kNameRunStops or NUL. With
/// kSlack (kLineSlack bytes past the terminator may be read) sixteen characters at a time.
template <bool kSlack>
[[gnu::always_inline]] inline const char* nameRunEnd(const char* name) {
#if defined(__SSE2__)
  if constexpr (kSlack) {
    for (;; name += 16) {
      const unsigned stops = marksOf(name, '\t', '\n', '\r', '"', '\0');
      if (stops != 0) {
        return name + __builtin_ctz(stops);
      }
    }
  }
#endif
  return name + std::strcspn(name, kNameRunStops);
}

/// The plain name that starts text, if it has one; reads no further than its end (but for the
/// slack, with kSlack).
template <bool kSlack = false>
[[gnu::always_inline]] inline PlainName plainNameOf(const char* text) {
  const bool quoted = text[0] == '"';
  const char* name = quoted ? text + 1 : text;
  if (*name == ' ') {
    return PlainName{ 0, 0, 0 };
  }
  const char* end = nameRunEnd<kSlack>(name);
  const char* tab = end;
  if (quoted) {
    if (*end != '"') {
      return PlainName{ 0, 0, 0 };
    }
    ++tab;
  }
  if (end == name || *tab != '\t' || tab[1] == '\0' || tab - text >= kFieldScanLimit) {
    return PlainName{ 0, 0, 0 };
  }
  return trimmedName(text, quoted ? 1 : 0, static_cast<int>(end - text),
                     static_cast<int>(tab - text));
}

/// The name before the TAB at tab as a plain line holds it, without checking that the line is
/// plain: for a hint, which on another line only misses. Its length is below 1 when there is
/// no name.
inline PlainName nameBeforeTab(const char* text, int tab) {
  const bool quoted = text[0] == '"' && text[tab - 1] == '"';
  return quoted ? trimmedName(text, 1, tab - 1, tab) : trimmedName(text, 0, tab, tab);
}

/// readNameField for any name, character by character.
NameRead readAnyNameField(const char* text, Field& name, NameQuotes& quotes);

/// Reads the name field from the start of text into name, as every line's name is read: blanks
/// before it passed over, quotation marks dropped and counted in quotes, the blanks after it
/// dropped when a TAB ends it. Reads no further than one character past the line's first LF or
/// NUL, so it can also read a line of a block that is not terminated. Inline: a plain name is
/// what the loop of readAnyNameField would take in its first step; that step is taken here.
/// With kSlack the text may be read kLineSlack bytes past its terminator.
template <bool kSlack = false>
[[gnu::always_inline]] inline NameRead readNameField(const char* text, Field& name,
                                                     NameQuotes& quotes) {
  const PlainName plain = plainNameOf<kSlack>(text);
  if (plain.tab == 0) {
    return readAnyNameField(text, name, quotes);
  }
  const bool quoted = plain.start != 0;
  quotes = NameQuotes{ quoted ? 2 : 0, quoted, quoted };
  if constexpr (kSlack) {
    name.fillFromSlack(text + plain.start, static_cast<std::size_t>(plain.length));
  } else {
    name.fill(text + plain.start, static_cast<std::size_t>(plain.length));
  }
  return NameRead{ NameEnd::separator, plain.tab };
}

/// The whole state of one line as the shortcuts and the full grammar read it; the fields and
/// messages that outlive the line are those of parsed.
struct LineScan {
  const char* text;
  const char* shown;  ///< the line as written, which messages quote: text, or a record's cells
  int scanLimit;      ///< the fields must end before this position of text
  long line;
  const ReadingOptions* options;
  ParsedLine* parsed;
  Field amount;            ///< filled by the amount's shortcut or by the full grammar
  const char* amountText;  ///< the amount field as written: the line after the second field
  NameQuotes quotes;
  bool nameBlank;
};

/// Keeps a message of the line, with its number, in parsed->messages.
void note(LineScan& scan, MessageKind kind, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

/// A field too long to keep whole refuses the line (true, and an error noted).
bool refuseTooLong(LineScan& scan, const Field& field);
/// Refuses a line whose fields do not end within the first kFieldScanLimit characters.
void refuseAtScanLimit(LineScan& scan);
/// A second field that is neither blank, nor a keyword, nor a column name, nor a date: noted as
/// information on a first line that looks like a header, an error otherwise.
void reportNoDate(LineScan& scan);
/// Notes the quotation marks of a donation's name: a warning when they stand around it, an
/// error otherwise.
void noteNameQuotes(LineScan& scan);
/// The valid amount of a dated line, in cents: a zero amount is warned about, a line without a
/// name is refused (its error is already noted), anything else is a donation. Inline: nearly
/// every line ends here.
inline void finishAmount(LineScan& scan, Amount cents) {
  ParsedLine& parsed = *scan.parsed;
  if (cents == 0) {
    note(scan, MessageKind::warning,
         "An amount of exactly zero is unexpected for a source of revenue.");
    parsed.kind = LineKind::zeroAmount;
  } else {
    parsed.kind = scan.nameBlank ? LineKind::lineRejected : LineKind::donation;
    parsed.cents = cents;
  }
}
/// Judges the stored amount field of a dated line and the name's quotation marks, noting what
/// is wrong with them, and finishes a valid amount.
void finishDonation(LineScan& scan);

#endif

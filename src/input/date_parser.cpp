#include "input/date_parser.hpp"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "input/plain_date.hpp"
#include "ledger/tax_year.hpp"
#include "output/ascii.hpp"

namespace {

// A piece of a rewritten date keeps 15 characters; the rebuilt text is three pieces and two
// blanks.
constexpr std::size_t kPieceSize = 16;
constexpr std::size_t kPieceLength = kPieceSize - 1;
constexpr std::size_t kRebuiltSize = 3 * kPieceLength + 2 + 1;

constexpr int kSaturatedNumber = INT_MAX;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2038;

// Calendar times already converted, for dates as read with the month 0 to 11 and the day 0 to
// 31 in the years the conversion is tried for: a list holds a few thousand distinct days, and
// the platform's conversion costs far more than the rest of a line. 0 marks a date not yet
// converted (a result of 0 is simply converted again). Every result kept fits 32 bits, so the
// slots take half the room and more of a list's days stay in the processor's nearest cache.
constexpr int kCachedDays = 32;
constexpr int kCachedMonths = 12;
constexpr std::size_t kConversionSlots = static_cast<std::size_t>(kLastYear - kFirstYear + 1) *
                                         static_cast<std::size_t>(kCachedMonths) *
                                         static_cast<std::size_t>(kCachedDays);

// Calendar times of date texts already read, so that a list's thousands of repeated dates are
// read once each: a text of up to 15 characters, zero-padded, is the key of a slot chosen by
// its hash; a slot whose time is 0 is free. A text pushed out is only read again.
constexpr std::size_t kCachedTextLength = 15;
constexpr std::size_t kTextSlots = 16384;
constexpr std::size_t kTextProbes = 8;
struct TextSlot {
  std::array<char, kCachedTextLength + 1> text;
  std::time_t when;
};
static_assert(sizeof(TextSlot::text) == 2 * sizeof(std::uint64_t), "a key is hashed as two words");

// A converted day: its calendar time, and the local month of that time, which books it.
struct ConvertedDay {
  std::int32_t when;
  std::int16_t localYear;  // as since 1900
  std::int8_t localMonth;  // 1 to 12; 0 when not known

  LocalMonth local() const { return LocalMonth{ localYear, localMonth }; }
};

ConvertedDay convertedDay(std::time_t when, LocalMonth local) {
  return ConvertedDay{ static_cast<std::int32_t>(when), static_cast<std::int16_t>(local.year),
                       static_cast<std::int8_t>(local.month) };
}

// The parser's whole state: the two caches, and whether anything was put in them since the last
// reset (clearing them costs more than a short list).
struct DateCache {
  std::array<ConvertedDay, kConversionSlots> conversions;
  bool conversionsUsed;
  std::array<TextSlot, kTextSlots> texts;
  bool textsUsed;
};
DateCache dateCache{};

// The slot of a date, or nullptr when the date lies outside what the cache holds.
ConvertedDay* conversionSlot(int year, int monthIndex, int day) {
  if (monthIndex < 0 || monthIndex >= kCachedMonths || day < 0 || day >= kCachedDays ||
      year < kFirstYear || year > kLastYear) {
    return nullptr;
  }
  const int slot = ((year - kFirstYear) * kCachedMonths + monthIndex) * kCachedDays + day;
  return &dateCache.conversions[static_cast<std::size_t>(slot)];
}

struct Piece {
  std::array<char, kPieceSize> text;
  std::size_t length;
};

// The first 14 characters stay; every later one lands in the last place, so a long piece
// ends with the latest character seen.
void appendToPiece(Piece& piece, char ch) {
  if (piece.length < kPieceLength) {
    piece.text[piece.length++] = ch;
  } else {
    piece.text[kPieceLength - 1] = ch;
  }
  piece.text[piece.length] = '\0';
}

bool isScanSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Reads the two date patterns the way the C scanning functions read " %d/%d/%d" and
// " %d %c%c%c %d", except that a run of digits saturates instead of overflowing.
struct Scanner {
  const char* next;

  void skipSpaces() {
    while (isScanSpace(*next)) {
      ++next;
    }
  }

  bool readNumber(int& value) {
    skipSpaces();
    bool negative = false;
    if (*next == '-' || *next == '+') {
      negative = (*next == '-');
      ++next;
    }
    if (!isDigit(*next)) {
      return false;
    }
    int magnitude = 0;
    for (; isDigit(*next); ++next) {
      const int digit = *next - '0';
      magnitude =
          (magnitude > (kSaturatedNumber - digit) / 10) ? kSaturatedNumber : magnitude * 10 + digit;
    }
    value = negative ? -magnitude : magnitude;
    return true;
  }

  bool readLiteral(char expected) {
    if (*next != expected) {
      return false;
    }
    ++next;
    return true;
  }

  bool readChar(char& ch) {
    if (*next == '\0') {
      return false;
    }
    ch = *next++;
    return true;
  }
};

// after: the character that follows the year.
bool readNumericDate(const char* text, int& month, int& day, int& year, char& after) {
  Scanner scan{ text };
  if (scan.readNumber(month) && scan.readLiteral('/') && scan.readNumber(day) &&
      scan.readLiteral('/') && scan.readNumber(year)) {
    after = *scan.next;
    return true;
  }
  return false;
}

// Month index 0 to 11 of three letters, or -1.
int monthOfLetters(const std::array<char, kMonthLetters>& letters) {
  for (std::size_t m = 0; m < kMonthNames.size(); ++m) {
    bool same = true;
    for (std::size_t i = 0; i < kMonthLetters; ++i) {
      same = same && asciiLower(letters[i]) == kMonthNames[m][i];
    }
    if (same) {
      return static_cast<int>(m);
    }
  }
  return -1;
}

bool readNamedMonthDate(const char* text, int& monthIndex, int& day, int& year, char& after) {
  Scanner scan{ text };
  std::array<char, kMonthLetters> letters{};
  if (!scan.readNumber(day)) {
    return false;
  }
  scan.skipSpaces();
  if (!scan.readChar(letters[0]) || !scan.readChar(letters[1]) || !scan.readChar(letters[2]) ||
      !scan.readNumber(year)) {
    return false;
  }
  after = *scan.next;
  monthIndex = monthOfLetters(letters);
  return monthIndex >= 0;
}

}  // namespace

const char* rewriteDateSeparators(const char* text, char separator) {
  static std::array<char, kRebuiltSize> rebuilt;
  if (text == nullptr || text[0] == '\0') {
    return nullptr;
  }
  std::array<Piece, 3> pieces{};
  int separators = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == separator) {
      ++separators;
    } else if (separators <= 2) {
      appendToPiece(pieces[static_cast<std::size_t>(separators)], *p);
    }
  }
  if (separators != 2) {
    return nullptr;
  }
  if (pieces[1].length > kMonthLetters) {
    pieces[1].length = kMonthLetters;
    pieces[1].text[kMonthLetters] = '\0';
  }
  // "%s %s %s" by hand: this runs for most dates of a list, and formatting costs more than
  // the rest of the date together.
  std::size_t length = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) {
      rebuilt[length++] = ' ';
    }
    for (std::size_t k = 0; k < pieces[i].length; ++k) {
      rebuilt[length++] = pieces[i].text[k];
    }
  }
  rebuilt[length] = '\0';
  return rebuilt.data();
}

namespace {

std::time_t dateOfFields(const DateParts& parts, const char* field, long line,
                         const ReadingOptions& options, LineMessages& messages);

enum class FirstForm { none, date, notDate };

// The forms that name the year or the month first, with what may follow them: a time after a
// blank (or after a T, for the year first). Their day must be on the calendar; they are not
// carried over into the next month as the older forms are.
FirstForm readYearOrMonthFirst(const char* text, DateParts& parts) {
  const char* end = readYearFirstDate(text, parts);
  bool complete = end != nullptr && (*end == 'T' && isDigit(end[1]));
  if (end == nullptr) {
    end = readMonthFirstDate(text, parts);
  }
  complete = complete || (end != nullptr && (*end == '\0' || *end == ' '));
  if (!complete) {
    return FirstForm::none;
  }
  return isCalendarDay(parts) ? FirstForm::date : FirstForm::notDate;
}

// The calendar time of a date text, without remembering texts.
std::time_t convertDateText(const char* text, long line, const ReadingOptions& options,
                            LineMessages& messages) {
  DateParts first{ 0, 0, 0 };
  switch (readYearOrMonthFirst(text, first)) {
    case FirstForm::date:
      return dateOfFields(first, text, line, options, messages);
    case FirstForm::notDate:
      return 0;
    case FirstForm::none:
      break;
  }
  // A rewrite gives a text only for exactly two separators; counting them first spares the
  // numeric form, which has none, both rewrites.
  int blanks = 0;
  int dashes = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    blanks += (*p == ' ') ? 1 : 0;
    dashes += (*p == '-') ? 1 : 0;
  }
  const char* source = (blanks == 2) ? rewriteDateSeparators(text, ' ') : nullptr;
  if (source == nullptr && dashes == 2) {
    source = rewriteDateSeparators(text, '-');
  }
  if (source == nullptr) {
    source = text;
  }

  DateParts parts{ 0, 0, 0 };
  int month = 0;
  char after = '\0';
  if (readNumericDate(source, month, parts.day, parts.year, after)) {
    parts.monthIndex = month - 1;
  } else if (!readNamedMonthDate(source, parts.monthIndex, parts.day, parts.year, after)) {
    return 0;
  }
  // A year with a letter typed for a digit (2O24) would be read as the digits before it.
  if (isAsciiLetter(after)) {
    return 0;
  }
  return dateOfFields(parts, text, line, options, messages);
}

// The year as written, after the two-digit rule. Its callers have no negative years: the date
// forms read digits only, and a year read with a sign is refused before this.
int writtenYear(int year) {
  if (year < 100) {
    return year + ((year < 50) ? 2000 : 1900);
  }
  return year;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// The month 1 to 12 nearest to a month as written (its index from 0).
int nearestMonth(int monthIndex) {
  if (monthIndex < 0) {
    return 1;
  }
  return monthIndex < kMonthsInYear ? monthIndex + 1 : kMonthsInYear;
}

// A date whose tax year the conversion may move: the tax year of its local time is the one it
// is booked in, the date as written is in the tax year of its year and month (a month off the
// calendar taken as the nearest one). With calendar years that is the year as written.
void reportMovedYear(std::time_t when, int year, int monthIndex, const char* field, long line,
                     const ReadingOptions& options, LineMessages& messages) {
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) {
    return;
  }
  const int start = options.taxYearStartMonth;
  const int readYear = taxYearOf(local.tm_year + 1900, local.tm_mon + 1, start);
  if (readYear == taxYearOf(year, nearestMonth(monthIndex), start)) {
    return;
  }
  const int fieldLength = static_cast<int>(std::strcspn(field, "\t"));
  if (start == kCalendarYearStart) {
    noteMessage(messages, MessageKind::warning, line,
                "Date '%.*s' is not on the calendar; it is read as a date in %d", fieldLength,
                field, readYear);
  } else {
    noteMessage(
        messages, MessageKind::warning, line,
        "Date '%.*s' is not on the calendar; it is read as a date in the tax year beginning in %d",
        fieldLength, field, readYear);
  }
}

// The platform's conversion of a day at 00:00:01 local time, the month and day as read (they
// carry into later months and years); 0 when the result does not fit a signed 32-bit count.
std::time_t convertLocalDay(int year, int monthIndex, int day) {
  std::tm broken{};
  broken.tm_sec = 1;
  broken.tm_min = 0;
  broken.tm_hour = 0;
  broken.tm_mday = day;
  broken.tm_mon = monthIndex;
  broken.tm_year = year - 1900;
  broken.tm_wday = 0;
  broken.tm_yday = 0;
  broken.tm_isdst = -1;
  const std::time_t when = std::mktime(&broken);
  if (when == static_cast<std::time_t>(-1)) {
    return 0;
  }
  if (when > INT32_MAX || when < INT32_MIN) {
    return 0;
  }
  return when;
}

// The local month of a converted time, which the ledger would otherwise convert again for every
// line; month 0 when the platform cannot say.
LocalMonth localMonthOf(std::time_t when) {
  std::tm broken{};
  const auto converted = static_cast<int>(localtime_r(&when, &broken) != nullptr);
  return LocalMonth{ broken.tm_year * converted, (broken.tm_mon + 1) * converted };
}

// The calendar time of a date as read: the year rules, then the platform's conversion.
std::time_t dateOfFields(const DateParts& parts, const char* field, long line,
                         const ReadingOptions& options, LineMessages& messages, LocalMonth& local) {
  int year = parts.year;
  // A negative year is no date at all, not a two-digit year.
  if (year < 0) {
    return 0;
  }
  if (year < 100) {
    year = writtenYear(year);
  } else if (year < 1900) {
    noteMessage(messages, MessageKind::error, line,
                "Year '%d' is not allowed, 0-99 or greater than 1900 required", year);
    return 0;
  }
  // The platform converts far more than a signed 32-bit count holds; the years are judged as
  // written, before any day or month carries into the next year.
  if (year < kFirstYear || year > kLastYear) {
    return 0;
  }

  const bool onCalendar = isCalendarDay(parts);
  ConvertedDay* cached = conversionSlot(year, parts.monthIndex, parts.day);
  std::time_t when = 0;
  if (cached != nullptr && cached->when != 0) {
    when = cached->when;
    local = cached->local();
  } else {
    when = convertLocalDay(year, parts.monthIndex, parts.day);
    if (when == 0) {
      return 0;
    }
    local = localMonthOf(when);
    if (cached != nullptr) {
      *cached = convertedDay(when, local);
      dateCache.conversionsUsed = true;
    }
  }
  if (!onCalendar) {
    reportMovedYear(when, year, parts.monthIndex, field, line, options, messages);
  }
  return when;
}

// dateOfFields for the full grammar's dates, which are booked by their time alone.
std::time_t dateOfFields(const DateParts& parts, const char* field, long line,
                         const ReadingOptions& options, LineMessages& messages) {
  LocalMonth local{ 0, 0 };
  return dateOfFields(parts, field, line, options, messages, local);
}

}  // namespace

std::time_t parseDate(const char* text, long line, const ReadingOptions& options,
                      LineMessages& messages) {
  if (text == nullptr || text[0] == '\0') {
    return 0;
  }
  DateParts parts{ 0, 0, 0 };
  if (readPlainDate(text, '\0', parts) != nullptr) {
    LocalMonth local{ 0, 0 };  // the full grammar's dates are booked by their time alone
    return dateOfParts(parts, text, line, options, messages, local);
  }
  const std::size_t length = strnlen(text, kCachedTextLength + 1);
  if (length > kCachedTextLength) {
    return convertDateText(text, line, options, messages);  // too long to remember
  }
  TextSlot key{};
  std::memcpy(key.text.data(), text, length);
  std::array<std::uint64_t, 2> words{};
  std::memcpy(words.data(), key.text.data(), sizeof words);
  const std::uint64_t mixed = (words[0] * 0x9e3779b97f4a7c15ULL ^ words[1]) * 0xc2b2ae3d27d4eb4fULL;
  const auto hash = static_cast<std::size_t>(mixed >> 40);
  // A text is looked for in a few slots from its own; a list's dates then fit without
  // pushing each other out. When all are taken, the first one is given to the new text.
  const std::size_t home = hash % kTextSlots;
  std::size_t freeSlot = home;
  for (std::size_t probe = 0; probe < kTextProbes; ++probe) {
    const TextSlot& slot = dateCache.texts[(home + probe) % kTextSlots];
    if (slot.when == 0) {
      freeSlot = (home + probe) % kTextSlots;
      break;
    }
    if (slot.text == key.text) {
      return slot.when;
    }
  }
  // Only dates read without a message are remembered: a text that reported its year, or a date
  // off the calendar, must report it again on every line.
  const std::size_t messagesBefore = messages.raised;
  const std::time_t when = convertDateText(text, line, options, messages);
  if (when != 0 && messages.raised == messagesBefore) {
    key.when = when;
    dateCache.texts[freeSlot] = key;
    dateCache.textsUsed = true;
  }
  return when;
}

namespace {

// A date on the calendar converted on an earlier line, its year of four digits in range. Such
// a date has no message, so its cached time is all the rules give it; 0 for any other date.
[[gnu::always_inline]] inline std::time_t cachedDate(const DateParts& parts, bool onCalendar,
                                                    LocalMonth& local) {
  const ConvertedDay* cached =
      onCalendar ? conversionSlot(parts.year, parts.monthIndex, parts.day) : nullptr;
  if (cached == nullptr) {
    return 0;
  }
  local = cached->local();
  return cached->when;
}

// dateOfParts for every date but days 1 to 28 already converted. Out of line, so that the
// common case needs no frame of its own.
[[gnu::noinline]] std::time_t dateOfOtherParts(const DateParts& parts, const char* field, long line,
                                               const ReadingOptions& options,
                                               LineMessages& messages, LocalMonth& local) {
  const std::time_t cached = cachedDate(parts, isLateCalendarDay(parts), local);
  return cached != 0 ? cached : dateOfFields(parts, field, line, options, messages, local);
}

}  // namespace

std::time_t dateOfParts(const DateParts& parts, const char* field, long line,
                        const ReadingOptions& options, LineMessages& messages, LocalMonth& local) {
  // Nearly every date: days 1 to 28, which every month has, converted on an earlier line.
  constexpr int kShortestMonth = 28;
  const bool earlyDay = static_cast<unsigned>(parts.monthIndex) < kCachedMonths && parts.day >= 1 &&
                        parts.day <= kShortestMonth;
  const std::time_t cached = cachedDate(parts, earlyDay, local);
  return cached != 0 ? cached : dateOfOtherParts(parts, field, line, options, messages, local);
}

bool isLateCalendarDay(const DateParts& parts) {
  if (parts.monthIndex < 0 || parts.monthIndex > 11 || parts.day < 1) {
    return false;
  }
  static constexpr std::array<int, 12> kDaysInMonth = { 31, 28, 31, 30, 31, 30,
                                                        31, 31, 30, 31, 30, 31 };
  const bool leapDay = parts.monthIndex == 1 && isLeapYear(writtenYear(parts.year));
  return parts.day <= kDaysInMonth[static_cast<std::size_t>(parts.monthIndex)] + (leapDay ? 1 : 0);
}

void resetDateCache() {
  if (dateCache.conversionsUsed) {
    dateCache.conversions.fill(ConvertedDay{ 0, 0, 0 });
    dateCache.conversionsUsed = false;
  }
  if (dateCache.textsUsed) {
    dateCache.texts.fill(TextSlot{});
    dateCache.textsUsed = false;
  }
}

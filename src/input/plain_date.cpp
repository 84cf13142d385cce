#include "input/plain_date.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

#include "output/ascii.hpp"

// Nearly every date of a list has one of the forms a spreadsheet writes; they are read here in
// one pass, without the rewriting and scanning that parseDate gives every other text.

namespace {

// Month index of three ASCII letters in one multiplication and one comparison: the lower-case
// letters packed into a number index a table in which the twelve names fall apart (checked
// when compiling). Gives what the scanned reading of a month gives for letters.
constexpr std::uint32_t kMonthHashFactor = 418435;
constexpr int kMonthHashShift = 27;
constexpr std::size_t kMonthHashSlots = std::size_t{ 1 } << (32 - kMonthHashShift);

constexpr std::uint32_t packLetters(char first, char second, char third) {
  constexpr std::uint32_t kLower = 0x20;
  return ((static_cast<std::uint32_t>(static_cast<unsigned char>(first)) | kLower) << 16) |
         ((static_cast<std::uint32_t>(static_cast<unsigned char>(second)) | kLower) << 8) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(third)) | kLower);
}

constexpr std::size_t monthHashSlot(std::uint32_t packed) {
  return static_cast<std::size_t>((packed * kMonthHashFactor) >> kMonthHashShift);
}

struct MonthSlot {
  std::uint32_t packed;  // 0: no month here
  int monthIndex;
};

constexpr std::array<MonthSlot, kMonthHashSlots> makeMonthSlots() {
  std::array<MonthSlot, kMonthHashSlots> slots{};
  for (std::size_t m = 0; m < kMonthNames.size(); ++m) {
    const std::uint32_t packed =
        packLetters(kMonthNames[m][0], kMonthNames[m][1], kMonthNames[m][2]);
    slots[monthHashSlot(packed)] = MonthSlot{ packed, static_cast<int>(m) };
  }
  return slots;
}
constexpr std::array<MonthSlot, kMonthHashSlots> kMonthSlots = makeMonthSlots();

constexpr bool monthSlotsApart() {
  std::size_t filled = 0;
  for (const MonthSlot& slot : kMonthSlots) {
    filled += slot.packed != 0 ? 1 : 0;
  }
  return filled == kMonthNames.size();
}
static_assert(monthSlotsApart(), "two month names share a slot");

int monthOfAsciiLetters(const std::array<char, kMonthLetters>& letters) {
  const std::uint32_t packed = packLetters(letters[0], letters[1], letters[2]);
  const MonthSlot& slot = kMonthSlots[monthHashSlot(packed)];
  return slot.packed == packed ? slot.monthIndex : -1;
}

// The value of a digit character, or more than 9 for any other character.
constexpr unsigned digitValue(char ch) {
  return static_cast<unsigned>(static_cast<unsigned char>(ch)) - static_cast<unsigned>('0');
}

// Reads a run of at most nine digits (so it cannot overflow) and moves past it.
bool readLongNumber(const char*& p, int& value) {
  constexpr int kMaxDigits = 9;
  int digits = 0;
  int number = 0;
  for (; isDigit(*p); ++p) {
    if (++digits > kMaxDigits) {
      return false;
    }
    number = number * 10 + (*p - '0');
  }
  value = number;
  return digits > 0;
}

// readLongNumber for a day or a month, of one digit or two as the lines mix them, without a
// branch on which: a list's days and months would send the processor the wrong way on every
// other date. The character after the run is looked at only where a digit came before it.
[[gnu::always_inline]] inline bool readShortNumber(const char*& p, int& value) {
  const unsigned first = digitValue(p[0]);
  if (first > 9) {
    return false;
  }
  const unsigned second = digitValue(p[1]);
  // 1 for two digits, in arithmetic rather than a choice, which would be a branch.
  const unsigned two = static_cast<unsigned>(second <= 9);
  const char* after = p + 1 + two;
  if (isDigit(*after)) {
    return readLongNumber(p, value);
  }
  value = static_cast<int>(first + two * (first * 9 + second));
  p = after;
  return true;
}

// readLongNumber for a year, of four digits on nearly every line.
[[gnu::always_inline]] inline bool readYearNumber(const char*& p, int& value) {
  if (isDigit(p[0]) && isDigit(p[1]) && isDigit(p[2]) && isDigit(p[3]) && !isDigit(p[4])) {
    value = static_cast<int>(((digitValue(p[0]) * 10 + digitValue(p[1])) * 10 + digitValue(p[2])) *
                                 10 +
                             digitValue(p[3]));
    p += 4;
    return true;
  }
  return readLongNumber(p, value);
}

// Reads a run of digits that must be from fewest to most long, and moves past it.
bool readDigitRun(const char*& p, int fewest, int most, int& value) {
  const char* start = p;
  int number = 0;
  for (; isDigit(*p) && p - start < most; ++p) {
    number = number * 10 + (*p - '0');
  }
  value = number;
  return p - start >= fewest && !isDigit(*p);
}

// A year of four digits, as the forms that name it first or last write it.
bool readFourDigitYear(const char*& p, int& year) {
  return *p != '0' && readDigitRun(p, 4, 4, year);
}

// A date of a form that names the year or the month first, read up to p: it is plain when the
// end follows and the day is on the calendar (such a form never carries a day over).
const char* plainWhenOnCalendar(const char* p, char end, const DateParts& read, DateParts& parts) {
  if (p == nullptr || *p != end || !isCalendarDay(read)) {
    return nullptr;
  }
  parts = read;
  return p;
}

// The rest of "month/day/year" after the month and its slash.
[[gnu::always_inline]] inline const char* readDayAndYear(const char* p, int month, char end,
                                                         DateParts& parts) {
  int day = 0;
  if (!readShortNumber(p, day) || *p != '/') {
    return nullptr;
  }
  ++p;
  if (!readYearNumber(p, parts.year) || *p != end) {
    return nullptr;
  }
  parts.monthIndex = month - 1;
  parts.day = day;
  return p;
}

}  // namespace

const char* readYearFirstDate(const char* text, DateParts& parts) {
  const char* p = text;
  if (!readFourDigitYear(p, parts.year) || (*p != '-' && *p != '/')) {
    return nullptr;
  }
  const char separator = *p++;
  int month = 0;
  if (!readDigitRun(p, 1, 2, month) || *p != separator) {
    return nullptr;
  }
  ++p;
  if (!readDigitRun(p, 1, 2, parts.day)) {
    return nullptr;
  }
  parts.monthIndex = month - 1;
  return p;
}

const char* readMonthFirstDate(const char* text, DateParts& parts) {
  std::array<char, kMonthLetters> letters{};
  const char* p = text;
  for (std::size_t i = 0; i < kMonthLetters; ++i, ++p) {
    if (!isAsciiLetter(*p)) {
      return nullptr;
    }
    letters[i] = *p;
  }
  while (isAsciiLetter(*p)) {
    ++p;
  }
  p += (*p == '.') ? 1 : 0;
  if (*p != ' ') {
    return nullptr;
  }
  while (*p == ' ') {
    ++p;
  }
  if (!readDigitRun(p, 1, 2, parts.day)) {
    return nullptr;
  }
  // "Jan 15, 2024", "Jan 15,2024" or "Jan 15 2024".
  const bool comma = *p == ',';
  p += comma ? 1 : 0;
  if (!comma && *p != ' ') {
    return nullptr;
  }
  while (*p == ' ') {
    ++p;
  }
  if (!readFourDigitYear(p, parts.year)) {
    return nullptr;
  }
  parts.monthIndex = monthOfAsciiLetters(letters);
  return parts.monthIndex >= 0 ? p : nullptr;
}

namespace {

// The older forms, after their first number (first, read up to p): "month/day/year" and "day
// Mon year" (also with dashes or the month's name written out).
[[gnu::always_inline]] inline const char* readOlderForms(const char* p, int first, char end,
                                                         DateParts& parts) {
  if (*p == '/') {
    return readDayAndYear(p + 1, first, end, parts);
  }
  const char separator = *p;
  if (separator != ' ' && separator != '-') {
    return nullptr;
  }
  // The month's name, of three letters or written out: the rewriting keeps its first three.
  std::array<char, kMonthLetters> letters{};
  for (std::size_t i = 0; i < kMonthLetters; ++i) {
    letters[i] = *++p;
    if (!isAsciiLetter(letters[i])) {
      return nullptr;
    }
  }
  do {
    ++p;
  } while (isAsciiLetter(*p));
  if (*p != separator) {
    return nullptr;
  }
  ++p;
  if (!readYearNumber(p, parts.year) || *p != end) {
    return nullptr;
  }
  parts.monthIndex = monthOfAsciiLetters(letters);
  parts.day = first;
  return parts.monthIndex >= 0 ? p : nullptr;
}

// The forms that name the year or the month first, out of line and reached by tail calls: few
// lists write them, and the common forms are then read without a frame of their own.
[[gnu::noinline]] const char* readYearFirstPlain(const char* text, const char* p, int first,
                                                 char end, DateParts& parts) {
  DateParts read{ 0, 0, 0 };
  const char* yearFirst = readYearFirstDate(text, read);
  if (yearFirst != nullptr) {
    return plainWhenOnCalendar(yearFirst, end, read, parts);
  }
  return readOlderForms(p, first, end, parts);  // "2024/1/155" is month 2024 as before
}
[[gnu::noinline]] const char* readMonthFirstPlain(const char* text, char end, DateParts& parts) {
  DateParts read{ 0, 0, 0 };
  return plainWhenOnCalendar(readMonthFirstDate(text, read), end, read, parts);
}

}  // namespace

// The forms a spreadsheet writes. For these the rewriting and scanning of parseDate come to the
// same month, day and year as read here; every other text is left to them.
const char* readPlainDate(const char* text, char end, DateParts& parts) {
  const char* p = text;
  int first = 0;
  if (!readShortNumber(p, first)) {
    return readMonthFirstPlain(text, end, parts);
  }
  // Four digits and a dash or a slash: a year first, when the rest has that form.
  const bool yearFirst = p - text == 4 && (*p == '-' || *p == '/');
  if (__builtin_expect(static_cast<long>(yearFirst), 0) != 0) {
    return readYearFirstPlain(text, p, first, end, parts);
  }
  return readOlderForms(p, first, end, parts);
}

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

// Reads a run of at most nine digits (so it cannot overflow) and moves past it.
bool readShortNumber(const char*& p, int& value) {
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

}  // namespace

// The forms a spreadsheet writes. For these the rewriting and scanning of parseDate come to the
// same month, day and year as read here; every other text is left to them.
const char* readPlainDate(const char* text, char end, DateParts& parts) {
  const char* p = text;
  int first = 0;
  if (!readShortNumber(p, first)) {
    return nullptr;
  }
  if (*p == '/') {
    int second = 0;
    ++p;
    if (!readShortNumber(p, second) || *p != '/') {
      return nullptr;
    }
    ++p;
    if (!readShortNumber(p, parts.year) || *p != end) {
      return nullptr;
    }
    parts.monthIndex = first - 1;
    parts.day = second;
    return p;
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
  if (!readShortNumber(p, parts.year) || *p != end) {
    return nullptr;
  }
  parts.monthIndex = monthOfAsciiLetters(letters);
  parts.day = first;
  return parts.monthIndex >= 0 ? p : nullptr;
}

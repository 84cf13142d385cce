#include "input/cell_text.hpp"

#include <array>
#include <cstdio>

namespace {

constexpr int kSignificantDigits = 15;
// Past this many places either side of the point a value is no amount or date; it is kept as
// written rather than spelled out in hundreds of zeros.
constexpr int kLargestExponent = 400;

// A decimal value as 0.D1D2... times ten to the exponent, with at most 15 significant digits.
struct Decimal {
  bool negative = false;
  std::array<char, kSignificantDigits + 1> digits{};
  int count = 0;
  int exponent = 0;
};

bool isDigitChar(char ch) { return ch >= '0' && ch <= '9'; }

// Reads the exponent after an E; false when it is missing or too large to mean anything.
bool readExponent(std::string_view text, std::size_t at, int& exponent) {
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  if (at == text.size()) {
    return false;
  }
  int value = 0;
  for (; at < text.size(); ++at) {
    if (!isDigitChar(text[at]) || value > kLargestExponent) {
      return false;
    }
    value = value * 10 + (text[at] - '0');
  }
  exponent = negative ? -value : value;
  return true;
}

// Rounds to the kept digits by the first digit left off (half away from zero, as shown).
void roundDecimal(Decimal& number, char firstDropped) {
  if (firstDropped < '5') {  // also when no digit was dropped
    return;
  }
  int at = number.count - 1;
  while (at >= 0 && number.digits[static_cast<std::size_t>(at)] == '9') {
    number.digits[static_cast<std::size_t>(at)] = '0';
    --at;
  }
  if (at >= 0) {
    ++number.digits[static_cast<std::size_t>(at)];
    return;
  }
  number.digits[0] = '1';
  number.count = 1;
  ++number.exponent;
}

bool readDecimal(std::string_view text, Decimal& number) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    number.negative = text[at] == '-';
    ++at;
  }
  bool seenDigit = false;
  bool seenPoint = false;
  int placesBeforePoint = 0;
  char firstDropped = '\0';
  for (; at < text.size() && (isDigitChar(text[at]) || (text[at] == '.' && !seenPoint)); ++at) {
    const char ch = text[at];
    if (ch == '.') {
      seenPoint = true;
      continue;
    }
    seenDigit = true;
    if (number.count == 0 && ch == '0') {
      placesBeforePoint -= seenPoint ? 1 : 0;
      continue;
    }
    placesBeforePoint += seenPoint ? 0 : 1;
    if (number.count < kSignificantDigits) {
      number.digits[static_cast<std::size_t>(number.count++)] = ch;
    } else if (firstDropped == '\0') {
      firstDropped = ch;
    }
  }
  int exponent = 0;
  if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
    if (!readExponent(text, at + 1, exponent)) {
      return false;
    }
    at = text.size();
  }
  if (!seenDigit || at != text.size()) {
    return false;
  }
  number.exponent = placesBeforePoint + exponent;
  roundDecimal(number, firstDropped);
  while (number.count > 0 && number.digits[static_cast<std::size_t>(number.count - 1)] == '0') {
    --number.count;
  }
  return number.count == 0 ||
         (number.exponent < kLargestExponent && number.exponent > -kLargestExponent);
}

void appendDecimal(std::string& out, const Decimal& number) {
  if (number.count == 0) {
    out += '0';
    return;
  }
  if (number.negative) {
    out += '-';
  }
  const std::string_view digits(number.digits.data(), static_cast<std::size_t>(number.count));
  if (number.exponent <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-number.exponent), '0');
    out += digits;
  } else if (number.exponent < number.count) {
    out += digits.substr(0, static_cast<std::size_t>(number.exponent));
    out += '.';
    out += digits.substr(static_cast<std::size_t>(number.exponent));
  } else {
    out += digits;
    out.append(static_cast<std::size_t>(number.exponent - number.count), '0');
  }
}

// The whole part of a value of at most eight digits before the point; -1 when negative or larger.
long wholePartOf(const Decimal& number) {
  if (number.negative && number.count > 0) {
    return -1;
  }
  if (number.exponent > 8) {
    return -1;
  }
  long whole = 0;
  for (int i = 0; i < number.exponent; ++i) {
    whole = whole * 10 + (i < number.count ? number.digits[static_cast<std::size_t>(i)] - '0' : 0);
  }
  return whole;
}

void appendDate(std::string& out, long year, long month, long day) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%ld/%ld/%ld", month, day, year);
  out += text.data();
}

// The civil date of a count of days since 1 January 1970 (proleptic Gregorian calendar).
void appendDateOfDays(std::string& out, long days) {
  const long shifted = days + 719468;
  const long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const long dayOfEra = shifted - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long monthIndex = (5 * dayOfYear + 2) / 153;
  const long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  appendDate(out, yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day);
}

// Days from 1 January 1970 back to the day before serial 1 of each system.
constexpr long kDaysTo31Dec1899 = -25568;
constexpr long kDaysTo1Jan1904 = -24107;
// 31 December 9999 in the 1900 system, the last day a spreadsheet shows.
constexpr long kLastSerial = 2958465;
constexpr long kLeapDay1900 = 60;

bool isTimeOrEscapeStart(char ch) {
  return ch == '"' || ch == '\\' || ch == '[' || ch == '_' || ch == '*';
}

}  // namespace

void appendNumberText(std::string& out, std::string_view value) {
  Decimal number;
  if (!readDecimal(value, number)) {
    out += value;
    return;
  }
  appendDecimal(out, number);
}

void appendSerialDateText(std::string& out, std::string_view value, DateSystem system) {
  Decimal number;
  const long serial = readDecimal(value, number) ? wholePartOf(number) : -1;
  const long first = system == DateSystem::from1900 ? 1 : 0;
  if (serial < first || serial > kLastSerial - (system == DateSystem::from1904 ? 1462 : 0)) {
    appendNumberText(out, value);
  } else if (system == DateSystem::from1904) {
    appendDateOfDays(out, kDaysTo1Jan1904 + serial);
  } else if (serial == kLeapDay1900) {
    appendDate(out, 1900, 2, 29);
  } else {
    appendDateOfDays(out, kDaysTo31Dec1899 + serial - (serial > kLeapDay1900 ? 1 : 0));
  }
}

void appendIsoDateText(std::string& out, std::string_view value) {
  const bool isoDate = value.size() >= 10 && value[4] == '-' && value[7] == '-' &&
                       (value.size() == 10 || value[10] == 'T' || value[10] == ' ');
  long parts[3] = { 0, 0, 0 };
  const std::size_t starts[3] = { 0, 5, 8 };
  const std::size_t lengths[3] = { 4, 2, 2 };
  bool digits = isoDate;
  for (std::size_t part = 0; digits && part < 3; ++part) {
    for (std::size_t i = starts[part]; i < starts[part] + lengths[part]; ++i) {
      digits = digits && isDigitChar(value[i]);
      parts[part] = parts[part] * 10 + (value[i] - '0');
    }
  }
  if (!digits) {
    out += value;
    return;
  }
  appendDate(out, parts[0], parts[1], parts[2]);
}

bool isDateFormat(int builtInId, std::string_view code) {
  if (code.empty()) {
    return (builtInId >= 14 && builtInId <= 17) || builtInId == 22 ||
           (builtInId >= 27 && builtInId <= 31) || builtInId == 36 ||
           (builtInId >= 50 && builtInId <= 58);
  }
  bool day = false;
  bool month = false;
  bool year = false;
  for (std::size_t at = 0; at < code.size(); ++at) {
    const char ch = code[at];
    if (isTimeOrEscapeStart(ch)) {
      // A quoted literal or a bracketed part runs to its closing mark; the others take the
      // one character after them.
      const char close = ch == '"' ? '"' : ch == '[' ? ']' : '\0';
      const std::size_t end = close == '\0' ? at + 1 : code.find(close, at + 1);
      at = end == std::string_view::npos ? code.size() : end;
      continue;
    }
    day = day || ch == 'd' || ch == 'D';
    month = month || ch == 'm' || ch == 'M';
    year = year || ch == 'y' || ch == 'Y';
  }
  return year || (day && month);
}

void appendCellReference(std::string& out, long column, long row) {
  std::array<char, 8> letters{};
  std::size_t count = 0;
  for (long rest = column + 1; rest > 0 && count < letters.size(); rest = (rest - 1) / 26) {
    letters[count++] = static_cast<char>('A' + (rest - 1) % 26);
  }
  while (count > 0) {
    out += letters[--count];
  }
  out += std::to_string(row);
}

long columnOfReference(std::string_view reference) {
  long column = 0;
  std::size_t at = 0;
  for (; at < reference.size() && at < 4 && reference[at] >= 'A' && reference[at] <= 'Z'; ++at) {
    column = column * 26 + (reference[at] - 'A' + 1);
  }
  return at == 0 ? -1 : column - 1;
}

#include "output/money_format.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kFieldBufferSize = kMaxFieldWidth + 1;

// The ratio product (up to 2^63 x 1000) does not fit 64 bits for every pair of amounts, so it
// is taken in 128 bits: the printed ratio is exact for any input.
__extension__ typedef __int128 WideCount;
__extension__ typedef unsigned __int128 WideMagnitude;

// Places text right-aligned in width: blanks in front when it is shorter, whole and unaligned
// when it is as long or longer. Width is clamped to the buffer.
FieldText alignRight(const char* text, int width) {
  FieldText field;
  if (width < 0) {
    width = 0;
  }
  if (width > kMaxFieldWidth) {
    width = kMaxFieldWidth;
  }
  std::size_t length = std::strlen(text);
  if (length > kMaxFieldWidth) {
    length = kMaxFieldWidth;
  }
  const std::size_t fieldWidth = static_cast<std::size_t>(width);
  const std::size_t start = length < fieldWidth ? fieldWidth - length : 0;
  std::memset(field.text, ' ', start);
  std::memcpy(field.text + start, text, length);
  field.text[start + length] = '\0';
  return field;
}

// Decimal digits of a magnitude into out (at least 40 characters), most significant first.
void writeDecimal(WideMagnitude value, char* out) {
  std::array<char, 40> reversed{};
  std::size_t count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + static_cast<int>(value % 10));
    value /= 10;
  } while (value != 0);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = reversed[count - 1 - i];
  }
  out[count] = '\0';
}

}  // namespace

FieldText formatMoney(Amount cents, int width) {
  // The magnitude is taken unsigned so that the most negative amount has one too.
  const bool negative = cents < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
  std::array<char, kFieldBufferSize> text{};
  std::snprintf(text.data(), text.size(), "%s%llu.%02llu", negative ? "-$" : "$",
                static_cast<unsigned long long>(magnitude / 100),
                static_cast<unsigned long long>(magnitude % 100));
  return alignRight(text.data(), width);
}

FieldText formatPercent(Amount numerator, Amount denominator, int width) {
  if (denominator == 0) {
    return alignRight("--", width);
  }
  // Tenths of a percent, truncated toward zero.
  const WideCount tenths = static_cast<WideCount>(numerator) * 1000 / denominator;
  const WideMagnitude magnitude =
      tenths < 0 ? static_cast<WideMagnitude>(-tenths) : static_cast<WideMagnitude>(tenths);
  std::array<char, 40> whole{};
  writeDecimal(magnitude / 10, whole.data());
  std::array<char, kFieldBufferSize> text{};
  std::snprintf(text.data(), text.size(), "%s%s.%d%%", tenths < 0 ? "-" : "", whole.data(),
                static_cast<int>(magnitude % 10));
  return alignRight(text.data(), width);
}

FieldText formatDecimal(Amount cents) {
  FieldText field = formatMoney(cents, 0);
  // Drop the "$" that formatMoney puts after any sign.
  char* dollar = std::strchr(field.text, '$');
  std::memmove(dollar, dollar + 1, std::strlen(dollar + 1) + 1);
  return field;
}

FieldText formatHundredths(Amount numerator, Amount denominator) {
  if (denominator == 0) {
    return alignRight("", 0);
  }
  // Hundredths of a percent are ten-thousandths of the ratio; half up is the floor of the
  // ratio plus one half, taken over a positive denominator so that floor is plain division.
  WideCount top = static_cast<WideCount>(numerator) * 10000;
  WideCount bottom = denominator;
  if (bottom < 0) {
    top = -top;
    bottom = -bottom;
  }
  const WideCount twice = 2 * top + bottom;
  WideCount hundredths = twice / (2 * bottom);
  if (twice % (2 * bottom) < 0) {
    --hundredths;  // division truncates toward zero; floor goes one lower for a negative
  }
  const WideMagnitude magnitude = hundredths < 0 ? static_cast<WideMagnitude>(-hundredths)
                                                 : static_cast<WideMagnitude>(hundredths);
  std::array<char, 40> whole{};
  writeDecimal(magnitude / 100, whole.data());
  std::array<char, kFieldBufferSize> text{};
  std::snprintf(text.data(), text.size(), "%s%s.%02d", hundredths < 0 ? "-" : "", whole.data(),
                static_cast<int>(magnitude % 100));
  return alignRight(text.data(), 0);
}

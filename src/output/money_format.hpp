#ifndef QUORVA_OUTPUT_MONEY_FORMAT_HPP
#define QUORVA_OUTPUT_MONEY_FORMAT_HPP

#include "output/amount.hpp"

/// Widest field a caller may ask for.
constexpr int kMaxFieldWidth = 63;

/// One formatted field, returned by value: several can stand in one format call.
struct FieldText {
  char text[kMaxFieldWidth + 1];  ///< NUL-terminated, at most 63 characters
};

/// "$1234.56" or "-$0.05", right-aligned in width (0 to 63).
FieldText formatMoney(Amount cents, int width);

/// numerator/denominator in tenths of a percent, truncated toward zero, as "33.3%" or "-0.5%";
/// "--" when the denominator is 0. Right-aligned in width (0 to 63).
FieldText formatPercent(Amount numerator, Amount denominator, int width);

#endif

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

/// "1234.56" or "-12.50": the amount as a plain decimal with two places, no "$", no blanks.
FieldText formatDecimal(Amount cents);

/// numerator/denominator in percent to the hundredth, rounded half up, without "%": "58.35",
/// "-0.05"; "" when the denominator is 0.
FieldText formatHundredths(Amount numerator, Amount denominator);

#endif

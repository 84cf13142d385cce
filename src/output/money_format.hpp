#ifndef QUORVA_OUTPUT_MONEY_FORMAT_HPP
#define QUORVA_OUTPUT_MONEY_FORMAT_HPP

#include "output/amount.hpp"

/// Widest field a caller may ask for.
constexpr int kMaxFieldWidth = 63;

/// "$1234.56" or "-$0.05", right-aligned in width (0 to 63). The text lives in a static buffer
/// valid until the next formatMoney call.
const char* formatMoney(Amount cents, int width);

/// numerator/denominator in tenths of a percent, truncated toward zero, as "33.3%" or "-0.5%";
/// "--" when the denominator is 0. Right-aligned in width; static buffer as formatMoney.
const char* formatPercent(Amount numerator, Amount denominator, int width);

#endif

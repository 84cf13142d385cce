#ifndef QUORVA_REPORT_SCHEDULE_A_HPP
#define QUORVA_REPORT_SCHEDULE_A_HPP

#include <array>

#include "ledger/totals.hpp"
#include "output/amount.hpp"

/// When the report prints a line's figure.
enum class Shown { never, always, ifNonZero, ifPositive };

/// One amount line of a Schedule A Part, as the report prints it for a year and for column f.
struct ScheduleLine {
  Amount (*value)(const FormYearRow& row);  ///< the line's figure in a year's or the f row
  const char* yearLabel;   ///< report text before the column letter; nullptr: not by year
  const char* yearNote;    ///< report text after a year's figure
  Shown yearShown;         ///< when a year's figure is printed
  bool afterYearBlocks;    ///< printed for every year once the year blocks are done
  const char* totalLabel;  ///< report text before column f's figure
  const char* totalNote;   ///< report text after column f's figure
  Shown totalShown;        ///< when column f's figure is printed
};

/// Part II (509(a)(1)) lines 1 to 11 and Part III (509(a)(2)) lines 1 to 13, in the form's order.
extern const std::array<ScheduleLine, 11> kPartTwoLines;
extern const std::array<ScheduleLine, 17> kPartThreeLines;

/// Schedule A Part II (509(a)(1)) then Part III (509(a)(2)) for the five-year period.
void printScheduleA();

#endif

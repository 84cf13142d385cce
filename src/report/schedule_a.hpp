#ifndef QUORVA_REPORT_SCHEDULE_A_HPP
#define QUORVA_REPORT_SCHEDULE_A_HPP

#include <array>

#include "ledger/totals.hpp"
#include "output/amount.hpp"

/// When the report prints a figure.
enum class Shown { never, always, ifNonZero, ifPositive };

/// How the report prints one figure of a line: label, figure right-aligned in 12, note.
struct ReportText {
  const char* label;  ///< text before the figure (a year's column letter follows it); nullptr
                      ///< when the report has no such figure
  const char* note;   ///< text after the figure
  Shown shown;        ///< when the figure is printed
};

/// One amount line of a Schedule A Part: what the form calls it and how the report prints it.
struct ScheduleLine {
  const char* formLine;                     ///< the form's own label: "1", "7a", "10c"
  const char* caption;                      ///< the form's short caption
  bool byYear;                              ///< the form has columns (a) to (e), not (f) alone
  Amount (*value)(const FormYearRow& row);  ///< the figure in a year's row or the column f row
  ReportText year;                          ///< the report's line for each year
  bool afterYearBlocks;                     ///< the report prints it for every year after the
                                            ///< year blocks, not inside them
  ReportText total;                         ///< the report's line for column f
};

/// Part II (509(a)(1)) lines 1 to 12 and Part III (509(a)(2)) lines 1 to 13, in the form's
/// order; the report and the worksheet walk the same rows.
extern const std::array<ScheduleLine, 12> kPartTwoLines;
extern const std::array<ScheduleLine, 17> kPartThreeLines;

/// Column f of the period ending lastYear from its five rows: their sum with Part II line 5
/// (the tested givers' excess over two percent of line 11); visit (may be nullptr) sees each
/// giver over the limit.
FormYearRow columnFOf(const std::array<FormYearRow, kFormYears>& rows, long lastYear,
                      ExcessVisitor visit);

/// Part II line 6 and 11, Part III line 8, 10c and 13 of a row (column f for the percentages).
Amount partTwoPublicSupport(const FormYearRow& row);
Amount partTwoTotalSupport(const FormYearRow& row);
Amount partThreePublicSupport(const FormYearRow& row);
Amount partThreeInvestmentIncome(const FormYearRow& row);
Amount partThreeTotalSupport(const FormYearRow& row);

/// The form's thresholds as exact fractions of a positive whole; false when whole <= 0.
bool isOneThirdOrMore(Amount part, Amount whole);
bool isMoreThanOneThird(Amount part, Amount whole);
bool isOneTenthOrMore(Amount part, Amount whole);

/// True while the period ends within five years of the first donation (Part II line 13 and
/// Part III line 14); also for a period that ends before the first donation.
bool isInFirstFiveYears();

/// Schedule A Part II (509(a)(1)) then Part III (509(a)(2)) for the five-year period.
void printScheduleA();

#endif

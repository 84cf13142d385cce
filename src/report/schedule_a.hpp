#ifndef QUORVA_REPORT_SCHEDULE_A_HPP
#define QUORVA_REPORT_SCHEDULE_A_HPP

#include <array>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "output/amount.hpp"
#include "report/report_options.hpp"

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
  const char* formLine;        ///< the form's own label: "1", "7a", "10c"
  const char* caption;         ///< the form's short caption
  bool byYear;                 ///< the form has columns (a) to (e), not (f) alone
  Amount FormYearRow::*field;  ///< the figure, in a year's row and in column f
  ReportText year;             ///< the report's line for each year
  bool afterYearBlocks;        ///< the report prints it for every year after the year blocks,
                               ///< not inside them
  ReportText total;            ///< the report's line for column f
};

/// Part II (509(a)(1)) lines 1 to 12 and Part III (509(a)(2)) lines 1 to 13, in the form's
/// order; the report and the worksheet walk the same rows.
extern const std::array<ScheduleLine, 12> kPartTwoLines;
extern const std::array<ScheduleLine, 17> kPartThreeLines;

/// Schedule A Part II (509(a)(1)) then Part III (509(a)(2)) for the five-year period: the
/// figures as they are, with a warning for each DAF group over the two percent limit.
void printScheduleA(const ScheduleAFigures& figures, const DonorTable& donors,
                    const ReportOptions& options);

#endif

#ifndef QUORVA_REPORT_WORKSHEET_HPP
#define QUORVA_REPORT_WORKSHEET_HPP

#include <array>
#include <cstdio>

#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"
#include "output/money_format.hpp"
#include "report/schedule_a.hpp"

/// The one box of Part II that the form's cascade checks.
enum class PartTwoBox { line13, line16a, line16b, line17a, line17b, line18 };
/// The one box of Part III that the form's cascade checks.
enum class PartThreeBox { line14, line19a, line19b, line20 };

/// Part II: 13 in the first five years; else 16a when line 14 (line6/line11) is 33 1/3% or
/// more; else 16b when the prior year's is; else 17a, 17b at 10%; else 18. Exact fractions.
PartTwoBox choosePartTwoBox(bool firstFiveYears, Amount line6, Amount line11, Amount priorLine6,
                            Amount priorLine11);
/// Part III: 14 in the first five years; else 19a when line 15 (line8/line13) is more than
/// 33 1/3% and line 17 (line10c/line13) is not; else 19b by the prior year's lines 16 and 18;
/// else 20. Exact fractions.
PartThreeBox choosePartThreeBox(bool firstFiveYears, Amount line8, Amount line10c, Amount line13,
                                Amount priorLine8, Amount priorLine10c, Amount priorLine13);

/// Everything the worksheet shows, from the same computation as the report.
struct WorksheetFigures {
  long lastYear;             ///< calendar year of column (e)
  FormYearRow columnF;       ///< the period's column f, Part II line 5 included
  bool firstFiveYears;       ///< Part II line 13 / Part III line 14 checked
  bool priorShown;           ///< the prior year's figures are shown (not first five years)
  FormYearRow priorColumnF;  ///< column f of the five years ending a year earlier
  Amount twoPercentLimit;    ///< two percent of line 11, column f
  PartTwoBox partTwoBox;
  PartThreeBox partThreeBox;
};

/// The worksheet's figures for the period of formYearTable and the prior year's period.
WorksheetFigures computeWorksheetFigures();

/// The two forms of the worksheet.
enum class WorksheetForm { csv, html };

/// Writes the whole worksheet to file; false when a write failed.
bool writeWorksheet(std::FILE* file, WorksheetForm form);

/// The words of a checked box: "line 16a — 33 1/3% support test, current year" (UTF-8 dash).
const char* partTwoBoxWords(PartTwoBox box);
const char* partThreeBoxWords(PartThreeBox box);

/// A non-amount line of a Part (percentage or check box), for both forms.
struct SheetEntry {
  const char* formLine;  ///< "13", "16a"
  const char* caption;   ///< the form's short caption
  const char* remark;    ///< said after the caption ("" when none)
  FieldText value;       ///< "58.35", "X" or ""
  bool isBox;            ///< a check box, not a percentage
};
std::array<SheetEntry, 8> partTwoEntries(const WorksheetFigures& figures);
std::array<SheetEntry, 8> partThreeEntries(const WorksheetFigures& figures);

/// The HTML page (worksheet_page.cpp); false when a write failed.
bool writeWorksheetPage(std::FILE* file, const WorksheetFigures& figures);

/// Detail rows, walked in table order: Part II line 5 (each giver over the limit) and Part III
/// lines 7a (each excluded giver's amount by year) and 7b (each receipt's excess by year).
struct DetailRow {
  const char* name;
  SourceType sourceType;
  long year;      ///< calendar year; 0 for line 5
  Amount amount;  ///< line 5: five-year total; 7a, 7b: the year's amount
  Amount limit;   ///< line 5: the two percent limit; 7b: the year's limit; 7a: 0
  Amount excess;  ///< line 5, 7b: the excess; 7a: the amount
};
using DetailVisitor = void (*)(const DetailRow& row);
void visitLineFiveDetail(const WorksheetFigures& figures, DetailVisitor visit);
void visitLineSevenADetail(DetailVisitor visit);
void visitLineSevenBDetail(DetailVisitor visit);

#endif

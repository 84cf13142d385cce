#ifndef QUORVA_REPORT_WORKSHEET_HPP
#define QUORVA_REPORT_WORKSHEET_HPP

#include <array>
#include <cstdio>

#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "output/money_format.hpp"
#include "report/sheet_text.hpp"

/// The two forms of the worksheet.
enum class WorksheetForm { csv, html };

/// Writes the whole worksheet of figures to file (names from donors); false when a write failed.
bool writeWorksheet(std::FILE* file, WorksheetForm form, const ScheduleAFigures& figures,
                    const DonorTable& donors);

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
std::array<SheetEntry, 8> partTwoEntries(const ScheduleAFigures& figures);
std::array<SheetEntry, 8> partThreeEntries(const ScheduleAFigures& figures);

/// A giver's name as the line 5 detail shows it, through shown (sheetText or csvCellText): a
/// group of related names by its first member's name and " and N related".
struct GiverName {
  char text[kSheetTextSize + 32];  ///< NUL-terminated UTF-8
};
GiverName giverNameText(const GiverOverLimit& giver, const DonorTable& donors,
                        SheetText (*shown)(const char*));

/// The type of a name of a detail list: its printed type, and for line 7a why it is there when
/// not by its type ("DONOR (substantial contributor from 2021)").
struct DetailType {
  char text[96];  ///< NUL-terminated ASCII
};
DetailType detailTypeText(const DetailName& name, const DonorTable& donors);

/// The HTML page (worksheet_page.cpp); false when a write failed.
bool writeWorksheetPage(std::FILE* file, const ScheduleAFigures& figures, const DonorTable& donors);

#endif

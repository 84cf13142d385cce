#include "report/worksheet.hpp"

#include <cstddef>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/growing_list.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "report/schedule_a.hpp"
#include "report/sheet_text.hpp"

namespace {

FieldText percentText(const Fraction& percentage, bool shown) {
  return shown ? formatHundredths(percentage.part, percentage.whole) : FieldText{ "" };
}

FieldText boxText(bool checked) { return FieldText{ { checked ? 'X' : '\0', '\0' } }; }

constexpr const char* kFirstFiveYearsRemark = "none: the organization is in its first five years";
constexpr const char* kNoPeriodRemark = "none: there is no five-year period to compute";

// Why the prior year's cells are empty, or "" when they are not.
const char* priorRemarkOf(const ScheduleAFigures& figures) {
  if (figures.priorShown) {
    return "";
  }
  return figures.firstFiveYears ? kFirstFiveYearsRemark : kNoPeriodRemark;
}
constexpr const char* kFactsRemark =
    "the facts and circumstances must also be met; QUORVA cannot judge them";

// ---- CSV: RFC 4180, LF line ends, a field quoted only when it must be.

// What the CSV is written to and from.
struct CsvSheet {
  std::FILE* file;
  const ScheduleAFigures& figures;
  const DonorTable& donors;
};

void csvField(const CsvSheet& sheet, const char* text, bool first) {
  if (!first) {
    std::fputc(',', sheet.file);
  }
  if (std::strpbrk(text, ",\"\r\n") == nullptr) {
    std::fputs(text, sheet.file);
    return;
  }
  std::fputc('"', sheet.file);
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"') {
      std::fputc('"', sheet.file);
    }
    std::fputc(*c, sheet.file);
  }
  std::fputc('"', sheet.file);
}

void csvAmount(const CsvSheet& sheet, Amount amount) {
  csvField(sheet, formatDecimal(amount).text, false);
}

void csvEndLine(const CsvSheet& sheet) { std::fputc('\n', sheet.file); }

// A description with a remark reads "caption (remark)".
void csvDescription(const CsvSheet& sheet, const char* caption, const char* remark) {
  if (remark[0] == '\0') {
    csvField(sheet, caption, false);
    return;
  }
  char text[512];
  std::snprintf(text, sizeof text, "%s (%s)", caption, remark);
  csvField(sheet, text, false);
}

void csvAmountLine(const CsvSheet& sheet, const char* part, const ScheduleLine& line) {
  csvField(sheet, part, true);
  csvField(sheet, line.formLine, false);
  csvField(sheet, line.caption, false);
  for (std::size_t c = 0; c < kFormYears; ++c) {
    csvField(sheet,
             line.byYear ? formatDecimal(rowOfColumn(sheet.figures, c).*line.field).text : "",
             false);
  }
  csvAmount(sheet, sheet.figures.columnF.*line.field);
  csvEndLine(sheet);
}

void csvEntry(const CsvSheet& sheet, const char* part, const SheetEntry& entry) {
  csvField(sheet, part, true);
  csvField(sheet, entry.formLine, false);
  csvDescription(sheet, entry.caption, entry.remark);
  for (int c = 0; c < kFormYears; ++c) {
    csvField(sheet, "", false);
  }
  csvField(sheet, entry.value.text, false);
  csvEndLine(sheet);
}

template <std::size_t N>
void csvPart(const CsvSheet& sheet, const char* part, const std::array<ScheduleLine, N>& lines,
             const std::array<SheetEntry, 8>& entries) {
  for (const ScheduleLine& line : lines) {
    csvAmountLine(sheet, part, line);
  }
  for (const SheetEntry& entry : entries) {
    csvEntry(sheet, part, entry);
  }
}

// A detail row starts with the Part, the line, the name and its type.
void csvDetailStart(const CsvSheet& sheet, const char* part, const char* line, const char* name,
                    const char* type) {
  csvField(sheet, part, true);
  csvField(sheet, line, false);
  csvField(sheet, name, false);
  csvField(sheet, type, false);
}

void csvLineFiveDetail(const CsvSheet& sheet) {
  for (const GiverOverLimit& giver : sheet.figures.giversOverLimit) {
    csvDetailStart(sheet, "II", "5", giverNameText(giver, sheet.donors, csvCellText).text,
                   sourceTypeName(sourceTypeOf(sheet.donors[giver.index])));
    csvAmount(sheet, giver.fiveYearTotal);
    csvAmount(sheet, sheet.figures.twoPercentLimit);
    csvAmount(sheet, giver.excess);
    csvEndLine(sheet);
  }
}

// One row per name and listed year; line 7b adds the year's limit and the excess.
void csvYearDetail(const CsvSheet& sheet, const char* line, const GrowingList<DetailName>& names,
                   bool withLimit) {
  for (const DetailName& name : names) {
    for (std::size_t c = 0; c < kFormYears; ++c) {
      if (name.counted[c] == 0) {
        continue;
      }
      csvDetailStart(sheet, "III", line, csvCellText(sheet.donors[name.index].name.data()).text,
                     detailTypeText(name, sheet.donors).text);
      char year[24];
      std::snprintf(year, sizeof year, "%ld",
                    sheet.figures.lastYear - (kFormYears - 1) + static_cast<long>(c));
      csvField(sheet, year, false);
      csvAmount(sheet, name.amount[c]);
      if (withLimit) {
        csvAmount(sheet, rowOfColumn(sheet.figures, c).largeNonDonationLimit);
        csvAmount(sheet, name.counted[c]);
      }
      csvEndLine(sheet);
    }
  }
}

void writeCsv(const CsvSheet& sheet) {
  const ScheduleAFigures& figures = sheet.figures;
  std::fputs("part,line,description,a,b,c,d,e,f\n", sheet.file);
  std::fputs("year,,", sheet.file);
  for (long year = figures.lastYear - (kFormYears - 1); year <= figures.lastYear; ++year) {
    std::fprintf(sheet.file, ",%ld", year);
  }
  std::fputs(",\n", sheet.file);
  csvPart(sheet, "II", kPartTwoLines, partTwoEntries(figures));
  csvPart(sheet, "III", kPartThreeLines, partThreeEntries(figures));

  std::fputs("\npart,line,name,type,five-year total,two percent limit,excess\n", sheet.file);
  csvLineFiveDetail(sheet);
  std::fputs("\npart,line,name,type,year,amount\n", sheet.file);
  csvYearDetail(sheet, "7a", figures.lineSevenA, false);
  std::fputs("\npart,line,name,type,year,amount,limit,excess\n", sheet.file);
  csvYearDetail(sheet, "7b", figures.lineSevenB, true);
  // Part VI lists the amounts of the unusual grants by year, without the grantors.
  if (!figures.unusualGrants.empty()) {
    std::fputs("\nUnusual grants (Part VI),year,amount\n", sheet.file);
    for (std::size_t c = 0; c < kFormYears; ++c) {
      if (figures.unusualByColumn[c] != 0) {
        std::fprintf(sheet.file, ",%ld,%s\n",
                     figures.lastYear - (kFormYears - 1) + static_cast<long>(c),
                     formatDecimal(figures.unusualByColumn[c]).text);
      }
    }
  }
}

}  // namespace

std::array<SheetEntry, 8> partTwoEntries(const ScheduleAFigures& figures) {
  const bool shown = figures.priorShown;
  const PartTwoBox box = figures.partTwoBox;
  return { {
      { "13", "First five years", "", boxText(box == PartTwoBox::line13), true },
      { "14", "Public support percentage, current year (line 6 / line 11)", "",
        percentText(figures.partTwoLine14, true), false },
      { "15", "Public support percentage from the prior year (its line 14)", priorRemarkOf(figures),
        percentText(figures.partTwoLine15, shown), false },
      { "16a", "33 1/3% support test - current year", "", boxText(box == PartTwoBox::line16a),
        true },
      { "16b", "33 1/3% support test - prior year", "", boxText(box == PartTwoBox::line16b), true },
      { "17a", "10% facts-and-circumstances test - current year", kFactsRemark,
        boxText(box == PartTwoBox::line17a), true },
      { "17b", "10% facts-and-circumstances test - prior year", kFactsRemark,
        boxText(box == PartTwoBox::line17b), true },
      { "18", "Private foundation", "", boxText(box == PartTwoBox::line18), true },
  } };
}

std::array<SheetEntry, 8> partThreeEntries(const ScheduleAFigures& figures) {
  const bool shown = figures.priorShown;
  const char* priorRemark = priorRemarkOf(figures);
  const PartThreeBox box = figures.partThreeBox;
  return { {
      { "14", "First five years", "", boxText(box == PartThreeBox::line14), true },
      { "15", "Public support percentage, current year (line 8 / line 13)", "",
        percentText(figures.partThreeLine15, true), false },
      { "16", "Public support percentage from the prior year (its line 15)", priorRemark,
        percentText(figures.partThreeLine16, shown), false },
      { "17", "Investment income percentage, current year (line 10c / line 13)", "",
        percentText(figures.partThreeLine17, true), false },
      { "18", "Investment income percentage from the prior year (its line 17)", priorRemark,
        percentText(figures.partThreeLine18, shown), false },
      { "19a", "33 1/3% support tests - current year", "", boxText(box == PartThreeBox::line19a),
        true },
      { "19b", "33 1/3% support tests - prior year", "", boxText(box == PartThreeBox::line19b),
        true },
      { "20", "Private foundation", "", boxText(box == PartThreeBox::line20), true },
  } };
}

const char* partTwoBoxWords(PartTwoBox box) {
  switch (box) {
    case PartTwoBox::line13:
      return "line 13 \u2014 first five years";
    case PartTwoBox::line16a:
      return "line 16a \u2014 33 1/3% support test, current year";
    case PartTwoBox::line16b:
      return "line 16b \u2014 33 1/3% support test, prior year";
    case PartTwoBox::line17a:
      return "line 17a \u2014 10% facts-and-circumstances test, current year";
    case PartTwoBox::line17b:
      return "line 17b \u2014 10% facts-and-circumstances test, prior year";
    case PartTwoBox::line18:
      break;
  }
  return "line 18 \u2014 private foundation";
}

const char* partThreeBoxWords(PartThreeBox box) {
  switch (box) {
    case PartThreeBox::line14:
      return "line 14 \u2014 first five years";
    case PartThreeBox::line19a:
      return "line 19a \u2014 33 1/3% support tests, current year";
    case PartThreeBox::line19b:
      return "line 19b \u2014 33 1/3% support tests, prior year";
    case PartThreeBox::line20:
      break;
  }
  return "line 20 \u2014 private foundation";
}

GiverName giverNameText(const GiverOverLimit& giver, const DonorTable& donors,
                        SheetText (*shown)(const char*)) {
  GiverName name;
  std::snprintf(name.text, sizeof name.text, "%s", shown(donors[giver.index].name.data()).text);
  if (giver.related != 0) {
    const std::size_t length = std::strlen(name.text);
    std::snprintf(name.text + length, sizeof name.text - length, " and %zu related", giver.related);
  }
  return name;
}

DetailType detailTypeText(const DetailName& name, const DonorTable& donors) {
  DetailType type;
  const char* printed = sourceTypeName(sourceTypeOf(donors[name.index]));
  switch (name.disqualified) {
    case Disqualified::substantialContributor:
      std::snprintf(type.text, sizeof type.text, "%s (substantial contributor from %ld)", printed,
                    name.substantialFrom);
      break;
    case Disqualified::relatedToContributor:
      std::snprintf(type.text, sizeof type.text, "%s (related to a substantial contributor)",
                    printed);
      break;
    case Disqualified::byType:
      std::snprintf(type.text, sizeof type.text, "%s", printed);
      break;
  }
  return type;
}

bool writeWorksheet(std::FILE* file, WorksheetForm form, const ScheduleAFigures& figures,
                    const DonorTable& donors) {
  if (form == WorksheetForm::html) {
    return writeWorksheetPage(file, figures, donors);
  }
  writeCsv(CsvSheet{ file, figures, donors });
  return std::ferror(file) == 0;
}

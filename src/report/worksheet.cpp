#include "report/worksheet.hpp"

#include <cstddef>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"

namespace {

// Walks of the detail lists hand their rows on through these: the ledger's visitors carry no
// context of their own.
DetailVisitor detailVisit = nullptr;
Amount detailLimit = 0;

void visitGiverOverLimit(std::size_t /*index*/, const DonorRecord& donor, Amount total,
                         Amount excess) {
  detailVisit({ donor.name.data(), sourceTypeOf(donor), 0, total, detailLimit, excess });
}

void visitExcludedGiver(std::size_t /*index*/, const DonorRecord& donor) {
  if (rowFieldsOf(sourceTypeOf(donor)).second != &FormYearRow::disqualifiedGifts) {
    return;
  }
  for (long year = latestFormYear - (kFormYears - 1); year <= latestFormYear; ++year) {
    const Amount amount = yearAmountOf(donor, year);
    if (amount != 0) {
      detailVisit({ donor.name.data(), sourceTypeOf(donor), year, amount, 0, amount });
    }
  }
}

void visitLargeReceipts(std::size_t /*index*/, const DonorRecord& donor) {
  if (!isLargeReceiptTested(sourceTypeOf(donor))) {
    return;
  }
  for (long r = kFormYears - 1; r >= 0; --r) {
    const long year = latestFormYear - r;
    const Amount amount = yearAmountOf(donor, year);
    const Amount limit = formYearTable[static_cast<std::size_t>(r)].largeNonDonationLimit;
    const Amount excess = largeReceiptExcess(amount, limit);
    if (excess > 0) {
      detailVisit({ donor.name.data(), sourceTypeOf(donor), year, amount, limit, excess });
    }
  }
}

FieldText percentText(Amount part, Amount whole, bool shown) {
  return shown ? formatHundredths(part, whole) : FieldText{ "" };
}

FieldText boxText(bool checked) { return FieldText{ { checked ? 'X' : '\0', '\0' } }; }

constexpr const char* kFirstFiveYearsRemark = "none: the organization is in its first five years";
constexpr const char* kNoPeriodRemark = "none: there is no five-year period to compute";

// Why the prior year's cells are empty, or "" when they are not.
const char* priorRemarkOf(const WorksheetFigures& figures) {
  if (figures.priorShown) {
    return "";
  }
  return figures.firstFiveYears ? kFirstFiveYearsRemark : kNoPeriodRemark;
}
constexpr const char* kFactsRemark =
    "the facts and circumstances must also be met; QUORVA cannot judge them";

// ---- CSV: RFC 4180, LF line ends, a field quoted only when it must be.

std::FILE* csv = nullptr;

void csvField(const char* text, bool first) {
  if (!first) {
    std::fputc(',', csv);
  }
  if (std::strpbrk(text, ",\"\r\n") == nullptr) {
    std::fputs(text, csv);
    return;
  }
  std::fputc('"', csv);
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"') {
      std::fputc('"', csv);
    }
    std::fputc(*c, csv);
  }
  std::fputc('"', csv);
}

// A description with a remark reads "caption (remark)".
void csvDescription(const char* caption, const char* remark) {
  if (remark[0] == '\0') {
    csvField(caption, false);
    return;
  }
  char text[512];
  std::snprintf(text, sizeof text, "%s (%s)", caption, remark);
  csvField(text, false);
}

void csvAmountLine(const char* part, const ScheduleLine& line, const FormYearRow& columnF) {
  csvField(part, true);
  csvField(line.formLine, false);
  csvField(line.caption, false);
  for (long r = kFormYears - 1; r >= 0; --r) {
    const FormYearRow& row = formYearTable[static_cast<std::size_t>(r)];
    csvField(line.byYear ? formatDecimal(line.value(row)).text : "", false);
  }
  csvField(formatDecimal(line.value(columnF)).text, false);
  std::fputc('\n', csv);
}

void csvEntry(const char* part, const SheetEntry& entry) {
  csvField(part, true);
  csvField(entry.formLine, false);
  csvDescription(entry.caption, entry.remark);
  for (int c = 0; c < kFormYears; ++c) {
    csvField("", false);
  }
  csvField(entry.value.text, false);
  std::fputc('\n', csv);
}

template <std::size_t N>
void csvPart(const char* part, const std::array<ScheduleLine, N>& lines,
             const std::array<SheetEntry, 8>& entries, const FormYearRow& columnF) {
  for (const ScheduleLine& line : lines) {
    csvAmountLine(part, line, columnF);
  }
  for (const SheetEntry& entry : entries) {
    csvEntry(part, entry);
  }
}

const char* csvDetailLine = "";

void csvDetailRow(const DetailRow& row) {
  csvField(csvDetailLine[0] == '5' ? "II" : "III", true);
  csvField(csvDetailLine, false);
  csvField(row.name, false);
  csvField(sourceTypeName(row.sourceType), false);
  if (csvDetailLine[0] == '5') {
    csvField(formatDecimal(row.amount).text, false);
    csvField(formatDecimal(row.limit).text, false);
    csvField(formatDecimal(row.excess).text, false);
  } else {
    char year[24];
    std::snprintf(year, sizeof year, "%ld", row.year);
    csvField(year, false);
    csvField(formatDecimal(row.amount).text, false);
    if (csvDetailLine[1] == 'b') {
      csvField(formatDecimal(row.limit).text, false);
      csvField(formatDecimal(row.excess).text, false);
    }
  }
  std::fputc('\n', csv);
}

void writeCsv(const WorksheetFigures& figures) {
  std::fputs("part,line,description,a,b,c,d,e,f\n", csv);
  std::fputs("year,,", csv);
  for (long year = figures.lastYear - (kFormYears - 1); year <= figures.lastYear; ++year) {
    std::fprintf(csv, ",%ld", year);
  }
  std::fputs(",\n", csv);
  csvPart("II", kPartTwoLines, partTwoEntries(figures), figures.columnF);
  csvPart("III", kPartThreeLines, partThreeEntries(figures), figures.columnF);

  std::fputs("\npart,line,name,type,five-year total,two percent limit,excess\n", csv);
  csvDetailLine = "5";
  visitLineFiveDetail(figures, csvDetailRow);
  std::fputs("\npart,line,name,type,year,amount\n", csv);
  csvDetailLine = "7a";
  visitLineSevenADetail(csvDetailRow);
  std::fputs("\npart,line,name,type,year,amount,limit,excess\n", csv);
  csvDetailLine = "7b";
  visitLineSevenBDetail(csvDetailRow);
}

}  // namespace

PartTwoBox choosePartTwoBox(bool firstFiveYears, Amount line6, Amount line11, Amount priorLine6,
                            Amount priorLine11) {
  if (firstFiveYears) {
    return PartTwoBox::line13;
  }
  if (isOneThirdOrMore(line6, line11)) {
    return PartTwoBox::line16a;
  }
  if (isOneThirdOrMore(priorLine6, priorLine11)) {
    return PartTwoBox::line16b;
  }
  if (isOneTenthOrMore(line6, line11)) {
    return PartTwoBox::line17a;
  }
  if (isOneTenthOrMore(priorLine6, priorLine11)) {
    return PartTwoBox::line17b;
  }
  return PartTwoBox::line18;
}

PartThreeBox choosePartThreeBox(bool firstFiveYears, Amount line8, Amount line10c, Amount line13,
                                Amount priorLine8, Amount priorLine10c, Amount priorLine13) {
  if (firstFiveYears) {
    return PartThreeBox::line14;
  }
  if (isMoreThanOneThird(line8, line13) && !isMoreThanOneThird(line10c, line13)) {
    return PartThreeBox::line19a;
  }
  if (isMoreThanOneThird(priorLine8, priorLine13) &&
      !isMoreThanOneThird(priorLine10c, priorLine13)) {
    return PartThreeBox::line19b;
  }
  return PartThreeBox::line20;
}

WorksheetFigures computeWorksheetFigures() {
  WorksheetFigures figures{};
  figures.lastYear = latestFormYear;
  figures.columnF = columnFOf(formYearTable, latestFormYear, nullptr);
  figures.twoPercentLimit = twoPercentLimitOf(partTwoTotalSupport(figures.columnF));
  figures.firstFiveYears = isInFirstFiveYears();
  // A refused period has no figures, so its prior year is not computed either.
  figures.priorShown = !figures.firstFiveYears && isPeriodEnd(latestFormYear);
  if (figures.priorShown) {
    std::array<FormYearRow, kFormYears> priorRows{};
    fillFormRows(priorRows, latestFormYear - 1);
    figures.priorColumnF = columnFOf(priorRows, latestFormYear - 1, nullptr);
  }
  const FormYearRow& now = figures.columnF;
  const FormYearRow& prior = figures.priorColumnF;
  figures.partTwoBox =
      choosePartTwoBox(figures.firstFiveYears, partTwoPublicSupport(now), partTwoTotalSupport(now),
                       partTwoPublicSupport(prior), partTwoTotalSupport(prior));
  figures.partThreeBox = choosePartThreeBox(
      figures.firstFiveYears, partThreePublicSupport(now), partThreeInvestmentIncome(now),
      partThreeTotalSupport(now), partThreePublicSupport(prior), partThreeInvestmentIncome(prior),
      partThreeTotalSupport(prior));
  return figures;
}

std::array<SheetEntry, 8> partTwoEntries(const WorksheetFigures& figures) {
  const FormYearRow& now = figures.columnF;
  const FormYearRow& prior = figures.priorColumnF;
  const bool shown = figures.priorShown;
  const PartTwoBox box = figures.partTwoBox;
  return { {
      { "13", "First five years", "", boxText(box == PartTwoBox::line13), true },
      { "14", "Public support percentage, current year (line 6 / line 11)", "",
        percentText(partTwoPublicSupport(now), partTwoTotalSupport(now), true), false },
      { "15", "Public support percentage from the prior year (its line 14)", priorRemarkOf(figures),
        percentText(partTwoPublicSupport(prior), partTwoTotalSupport(prior), shown), false },
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

std::array<SheetEntry, 8> partThreeEntries(const WorksheetFigures& figures) {
  const FormYearRow& now = figures.columnF;
  const FormYearRow& prior = figures.priorColumnF;
  const bool shown = figures.priorShown;
  const char* priorRemark = priorRemarkOf(figures);
  const PartThreeBox box = figures.partThreeBox;
  return { {
      { "14", "First five years", "", boxText(box == PartThreeBox::line14), true },
      { "15", "Public support percentage, current year (line 8 / line 13)", "",
        percentText(partThreePublicSupport(now), partThreeTotalSupport(now), true), false },
      { "16", "Public support percentage from the prior year (its line 15)", priorRemark,
        percentText(partThreePublicSupport(prior), partThreeTotalSupport(prior), shown), false },
      { "17", "Investment income percentage, current year (line 10c / line 13)", "",
        percentText(partThreeInvestmentIncome(now), partThreeTotalSupport(now), true), false },
      { "18", "Investment income percentage from the prior year (its line 17)", priorRemark,
        percentText(partThreeInvestmentIncome(prior), partThreeTotalSupport(prior), shown), false },
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

void visitLineFiveDetail(const WorksheetFigures& figures, DetailVisitor visit) {
  detailVisit = visit;
  detailLimit = figures.twoPercentLimit;
  sumExcessOverTwoPercent(figures.twoPercentLimit, figures.lastYear, visitGiverOverLimit);
}

void visitLineSevenADetail(DetailVisitor visit) {
  if (isPeriodEnd(latestFormYear)) {
    detailVisit = visit;
    visitDonors(visitExcludedGiver);
  }
}

void visitLineSevenBDetail(DetailVisitor visit) {
  if (isPeriodEnd(latestFormYear)) {
    detailVisit = visit;
    visitDonors(visitLargeReceipts);
  }
}

bool writeWorksheet(std::FILE* file, WorksheetForm form) {
  const WorksheetFigures figures = computeWorksheetFigures();
  if (form == WorksheetForm::html) {
    return writeWorksheetPage(file, figures);
  }
  csv = file;
  writeCsv(figures);
  csv = nullptr;
  return std::ferror(file) == 0;
}

// The worksheet as one self-contained page: Part II on the first Letter page, Part III on the
// second, each with its verdict, a chart and its detail lists. Nothing is fetched.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "ledger/source_type.hpp"
#include "report/worksheet.hpp"

namespace {

std::FILE* page = nullptr;

void put(const char* text) { std::fputs(text, page); }

// Names are the bytes of the list: every character that means something to HTML is escaped.
void putEscaped(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    switch (*c) {
      case '&':
        put("&amp;");
        break;
      case '<':
        put("&lt;");
        break;
      case '>':
        put("&gt;");
        break;
      case '"':
        put("&quot;");
        break;
      case '\'':
        put("&#39;");
        break;
      default:
        std::fputc(*c, page);
        break;
    }
  }
}

constexpr const char* kStyle =
    "<style>\n"
    "@page { size: letter; margin: 0.4in; }\n"
    "* { box-sizing: border-box; }\n"
    "body { font-family: 'DejaVu Sans', Arial, Helvetica, sans-serif; font-size: 7.5pt;"
    " line-height: 1.2; color: #000; margin: 0; }\n"
    "section.page { break-after: page; page-break-after: always; max-width: 7.7in;"
    " margin: 0 auto; padding: 4pt 0; }\n"
    "section.page:last-child { break-after: auto; page-break-after: auto; }\n"
    "h1 { font-size: 12pt; margin: 0 0 2pt; }\n"
    "h2 { font-size: 9.5pt; margin: 5pt 0 2pt; }\n"
    "h3 { font-size: 8pt; margin: 5pt 0 2pt; }\n"
    "p { margin: 2pt 0; }\n"
    "p.verdict { border: 1.5pt solid #000; padding: 2pt 6pt; font-weight: bold;"
    " font-size: 10pt; margin: 3pt 0; }\n"
    "p.note { font-size: 7pt; color: #333; }\n"
    "table { border-collapse: collapse; width: 100%; }\n"
    "th, td { border: 0.5pt solid #777; padding: 1pt 3pt; vertical-align: top; }\n"
    "thead th { background: #eee; font-weight: bold; text-align: center; }\n"
    "tr.section th { background: #ddd; text-align: left; }\n"
    "td.line { font-weight: bold; text-align: right; width: 2.4em; white-space: nowrap; }\n"
    "td.num { text-align: right; white-space: nowrap; width: 5.4em;"
    " font-variant-numeric: tabular-nums; }\n"
    "td.none { background: #d6d6d6; }\n"
    "tr.checked td { background: #fff2a8; font-weight: bold; }\n"
    "tr.limit td { color: #444; font-style: italic; }\n"
    "span.box { display: inline-block; width: 9pt; height: 9pt; border: 1pt solid #000;"
    " text-align: center; line-height: 8pt; font-weight: bold; }\n"
    "svg { display: block; width: 100%; height: 112pt; margin: 3pt 0; }\n"
    "table.detail td, table.detail th { font-size: 7pt; padding: 0.5pt 3pt; }\n"
    "table.detail th { white-space: nowrap; }\n"
    "</style>\n";

// Column (a) is the oldest year, row 4 of the table.
const FormYearRow& rowOfColumn(int column) {
  return formYearTable[static_cast<std::size_t>(kFormYears - 1 - column)];
}

void putAmountCell(Amount amount) {
  std::fprintf(page, "<td class=\"num\">%s</td>", formatDecimal(amount).text);
}

void putHead(const WorksheetFigures& figures) {
  put("<thead><tr><th>Line</th><th>Calendar year (or fiscal year beginning in)</th>");
  for (int c = 0; c < kFormYears; ++c) {
    std::fprintf(page, "<th>(%c) %ld</th>", 'a' + c, figures.lastYear - (kFormYears - 1) + c);
  }
  put("<th>(f) Total</th></tr></thead>\n");
}

// Where the form starts a section, by Part and line.
struct SectionStart {
  int part;
  const char* formLine;
  const char* title;
};
constexpr SectionStart kSections[] = {
  { 2, "1", "Section A. Public Support" },
  { 2, "7", "Section B. Total Support" },
  { 2, "14", "Section C. Computation of Public Support Percentage" },
  { 3, "1", "Section A. Public Support" },
  { 3, "9", "Section B. Total Support" },
  { 3, "15", "Section C. Computation of Public Support Percentage" },
  { 3, "17", "Section D. Computation of Investment Income Percentage" },
};

void putSectionIfAny(int part, const char* formLine) {
  for (const SectionStart& section : kSections) {
    if (section.part == part && std::strcmp(section.formLine, formLine) == 0) {
      std::fprintf(page, "<tr class=\"section\"><th colspan=\"8\">%s</th></tr>\n", section.title);
    }
  }
}

template <std::size_t N>
void putAmountLines(int part, const std::array<ScheduleLine, N>& lines,
                    const FormYearRow& columnF) {
  for (const ScheduleLine& line : lines) {
    putSectionIfAny(part, line.formLine);
    std::fprintf(page, "<tr><td class=\"line\">%s</td><td>", line.formLine);
    putEscaped(line.caption);
    put("</td>");
    for (int c = 0; c < kFormYears; ++c) {
      if (line.byYear) {
        putAmountCell(line.value(rowOfColumn(c)));
      } else {
        put("<td class=\"none\"></td>");
      }
    }
    putAmountCell(line.value(columnF));
    put("</tr>\n");
  }
}

void putEntries(int part, const std::array<SheetEntry, 8>& entries) {
  for (const SheetEntry& entry : entries) {
    putSectionIfAny(part, entry.formLine);
    const bool checked = entry.isBox && entry.value.text[0] != '\0';
    std::fprintf(page, "<tr%s><td class=\"line\">%s</td><td>", checked ? " class=\"checked\"" : "",
                 entry.formLine);
    putEscaped(entry.caption);
    if (entry.remark[0] != '\0') {
      put(" <em>(");
      putEscaped(entry.remark);
      put(")</em>");
    }
    put("</td><td class=\"none\" colspan=\"5\"></td><td class=\"num\">");
    if (entry.isBox) {
      std::fprintf(page, "<span class=\"box\">%s</span>", checked ? "X" : "&nbsp;");
    } else if (entry.value.text[0] != '\0') {
      std::fprintf(page, "%s%%", entry.value.text);
    }
    put("</td></tr>\n");
  }
}

// Drawing only: the figures themselves are printed from exact amounts.
double share(Amount part, Amount whole) {
  return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

struct ChartBar {
  const char* label;
  Amount part;
  Amount whole;
  bool shown;
};

// Support by year: total support and the public part of it, in the form's columns.
void putYearBars(Amount (*total)(const FormYearRow&), Amount (*publicPart)(const FormYearRow&),
                 const char* publicName, const WorksheetFigures& figures) {
  Amount highest = 1;
  for (int c = 0; c < kFormYears; ++c) {
    const Amount value = total(rowOfColumn(c));
    highest = value > highest ? value : highest;
  }
  put("<line x1=\"30\" y1=\"140\" x2=\"370\" y2=\"140\" stroke=\"#000\"/>\n");
  for (int c = 0; c < kFormYears; ++c) {
    const FormYearRow& row = rowOfColumn(c);
    const double x = 40.0 + 66.0 * c;
    const Amount whole = total(row);
    const Amount part = publicPart(row);
    const double wholeHeight =
        whole > 0 ? 110.0 * static_cast<double>(whole) / static_cast<double>(highest) : 0.0;
    // Refunds can leave a year's total below its public part: the bar stays inside the chart.
    const Amount drawn = part > whole && whole > 0 ? whole : (part > highest ? highest : part);
    const double partHeight =
        drawn > 0 ? 110.0 * static_cast<double>(drawn) / static_cast<double>(highest) : 0.0;
    std::fprintf(page,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"26\" height=\"%.1f\" fill=\"#b9b9b9\"/>\n", x,
                 140.0 - wholeHeight, wholeHeight);
    std::fprintf(page,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"26\" height=\"%.1f\" fill=\"#2f5f8f\"/>\n",
                 x + 28.0, 140.0 - partHeight, partHeight);
    std::fprintf(page, "<text x=\"%.1f\" y=\"154\" text-anchor=\"middle\">(%c) %ld</text>\n",
                 x + 27.0, 'a' + c, figures.lastYear - (kFormYears - 1) + c);
  }
  put("<rect x=\"40\" y=\"160\" width=\"9\" height=\"8\" fill=\"#b9b9b9\"/>"
      "<text x=\"53\" y=\"168\">total support</text>\n");
  std::fprintf(page,
               "<rect x=\"150\" y=\"160\" width=\"9\" height=\"8\" fill=\"#2f5f8f\"/>"
               "<text x=\"163\" y=\"168\">%s</text>\n",
               publicName);
}

// The Part's percentages on a scale of 0 to 100 percent against the thresholds.
void putPercentBars(const ChartBar* bars, std::size_t barCount, bool tenPercentLine) {
  const double left = 500.0;
  const double width = 210.0;
  for (std::size_t b = 0; b < barCount; ++b) {
    const double y = 28.0 + 30.0 * static_cast<double>(b);
    std::fprintf(page, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s</text>\n", left - 6,
                 y + 12, bars[b].label);
    std::fprintf(page,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"16\" fill=\"#eeeeee\""
                 " stroke=\"#999\" stroke-width=\"0.5\"/>\n",
                 left, y, width);
    if (!bars[b].shown) {
      continue;
    }
    double percent = share(bars[b].part, bars[b].whole);
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    std::fprintf(page,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"16\" fill=\"#2f5f8f\"/>\n",
                 left, y, width * percent / 100.0);
    const FieldText text = formatHundredths(bars[b].part, bars[b].whole);
    const bool inside = percent > 60;
    std::fprintf(page, "<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\"%s>%s%s</text>\n",
                 inside ? left + width * percent / 100.0 - 4 : left + width * percent / 100.0 + 4,
                 y + 12, inside ? "#fff" : "#000", inside ? " text-anchor=\"end\"" : "",
                 text.text[0] != '\0' ? text.text : "--", text.text[0] != '\0' ? "%" : "");
  }
  const double bottom = 28.0 + 30.0 * static_cast<double>(barCount);
  // The scale of the bars, above them.
  std::fprintf(page,
               "<text x=\"%.1f\" y=\"16\" text-anchor=\"middle\" fill=\"#555\">0%%</text>"
               "<text x=\"%.1f\" y=\"16\" text-anchor=\"end\" fill=\"#555\">100%%</text>\n",
               left, left + width);
  std::fprintf(
      page,
      "<line x1=\"%.1f\" y1=\"20\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#c00000\""
      " stroke-width=\"1.5\" stroke-dasharray=\"4 2\"/>"
      "<text x=\"%.1f\" y=\"%.1f\" fill=\"#c00000\" text-anchor=\"middle\">33 1/3%%</text>\n",
      left + width / 3.0, left + width / 3.0, bottom, left + width / 3.0, bottom + 12);
  if (tenPercentLine) {
    std::fprintf(
        page,
        "<line x1=\"%.1f\" y1=\"20\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#d07000\""
        " stroke-width=\"1.5\" stroke-dasharray=\"2 2\"/>"
        "<text x=\"%.1f\" y=\"%.1f\" fill=\"#d07000\" text-anchor=\"middle\">10%%</text>\n",
        left + width / 10.0, left + width / 10.0, bottom, left + width / 10.0, bottom + 12);
  }
  // Over the threshold lines, with a halo, so that the words stay readable.
  for (std::size_t b = 0; b < barCount; ++b) {
    if (!bars[b].shown) {
      std::fprintf(page,
                   "<text x=\"%.1f\" y=\"%.1f\" stroke=\"#eeeeee\" stroke-width=\"4\""
                   " paint-order=\"stroke\">not shown (first five years)</text>\n",
                   left + 4, 40.0 + 30.0 * static_cast<double>(b));
    }
  }
}

void putChart(const char* title, Amount (*total)(const FormYearRow&),
              Amount (*publicPart)(const FormYearRow&), const char* publicName,
              const ChartBar* bars, std::size_t barCount, bool tenPercentLine,
              const WorksheetFigures& figures) {
  std::fprintf(page,
               "<svg viewBox=\"0 0 720 172\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\""
               " aria-label=\"%s\" font-family=\"DejaVu Sans, Arial, sans-serif\""
               " font-size=\"10\">\n",
               title);
  std::fprintf(page, "<text x=\"0\" y=\"12\" font-weight=\"bold\">%s</text>\n", title);
  putYearBars(total, publicPart, publicName, figures);
  putPercentBars(bars, barCount, tenPercentLine);
  put("</svg>\n");
}

Amount publicPartTwo(const FormYearRow& row) { return row.partIITotal; }

// Line 5 lists one row per giver. Lines 7a and 7b list one row per name with its figures by
// year in the form's columns, gathered from the walk's name-and-year rows.
struct NameRow {
  const char* name;
  SourceType sourceType;
  std::array<Amount, kFormYears> byColumn;
  bool any;
};
NameRow pending{};
long pendingFirstYear = 0;
std::size_t detailRows = 0;

void putNoneIfEmpty(int columns) {
  if (detailRows == 0) {
    std::fprintf(page, "<tr><td colspan=\"%d\">none</td></tr>\n", columns);
  }
  put("</tbody></table>\n");
}

void putGiverRow(const DetailRow& row) {
  ++detailRows;
  put("<tr><td>");
  putEscaped(row.name);
  std::fprintf(page, "</td><td>%s</td>", sourceTypeName(row.sourceType));
  putAmountCell(row.amount);
  putAmountCell(row.excess);
  put("</tr>\n");
}

void flushNameRow() {
  if (!pending.any) {
    return;
  }
  ++detailRows;
  put("<tr><td>");
  putEscaped(pending.name);
  std::fprintf(page, "</td><td>%s</td>", sourceTypeName(pending.sourceType));
  Amount total = 0;
  for (const Amount amount : pending.byColumn) {
    putAmountCell(amount);
    total += amount;
  }
  putAmountCell(total);
  put("</tr>\n");
  pending = NameRow{};
}

void gatherNameRow(const DetailRow& row) {
  if (pending.any && pending.name != row.name) {
    flushNameRow();
  }
  pending.name = row.name;
  pending.sourceType = row.sourceType;
  pending.byColumn[static_cast<std::size_t>(row.year - pendingFirstYear)] += row.excess;
  pending.any = true;
}

void putYearHead(const WorksheetFigures& figures, const char* before, const char* after) {
  std::fprintf(page, "<table class=\"detail\"><thead><tr>%s", before);
  for (int c = 0; c < kFormYears; ++c) {
    std::fprintf(page, "<th>(%c) %ld</th>", 'a' + c, figures.lastYear - (kFormYears - 1) + c);
  }
  std::fprintf(page, "%s</tr></thead><tbody>\n", after);
}

void putNameRows(const WorksheetFigures& figures, void (*walk)(DetailVisitor)) {
  pending = NameRow{};
  pendingFirstYear = figures.lastYear - (kFormYears - 1);
  detailRows = 0;
  walk(gatherNameRow);
  flushNameRow();
  putNoneIfEmpty(8);
}

void putPartTwo(const WorksheetFigures& figures) {
  std::fprintf(page, "<p class=\"verdict\">Part II: %s</p>\n", partTwoBoxWords(figures.partTwoBox));
  std::fprintf(page,
               "<h2>Part II &mdash; Support Schedule for Organizations Described in"
               " Sections 170(b)(1)(A)(iv) and 170(b)(1)(A)(vi)</h2>\n");
  put("<table class=\"form\">\n");
  putHead(figures);
  put("<tbody>\n");
  putAmountLines(2, kPartTwoLines, figures.columnF);
  putEntries(2, partTwoEntries(figures));
  put("</tbody></table>\n");
  const ChartBar bars[] = {
    { "line 14, this year", partTwoPublicSupport(figures.columnF),
      partTwoTotalSupport(figures.columnF), true },
    { "line 15, prior year", partTwoPublicSupport(figures.priorColumnF),
      partTwoTotalSupport(figures.priorColumnF), figures.priorShown },
  };
  putChart("Part II: support by year and public support percentage", partTwoTotalSupport,
           publicPartTwo, "line 4 (before the 2% limit)", bars, 2, true, figures);
  std::fprintf(page,
               "<h3>Line 5 detail: givers over the two percent limit of %s</h3>\n"
               "<table class=\"detail\"><thead><tr><th>Name</th><th>Type</th>"
               "<th>Five years</th><th>Excess</th></tr></thead><tbody>\n",
               formatMoney(figures.twoPercentLimit, 0).text);
  detailRows = 0;
  visitLineFiveDetail(figures, putGiverRow);
  putNoneIfEmpty(4);
}

void putPartThree(const WorksheetFigures& figures) {
  std::fprintf(page, "<p class=\"verdict\">Part III: %s</p>\n",
               partThreeBoxWords(figures.partThreeBox));
  std::fprintf(page,
               "<h2>Part III &mdash; Support Schedule for Organizations Described in"
               " Section 509(a)(2)</h2>\n");
  put("<table class=\"form\">\n");
  putHead(figures);
  put("<tbody>\n");
  putAmountLines(3, kPartThreeLines, figures.columnF);
  putEntries(3, partThreeEntries(figures));
  put("</tbody></table>\n");
  const ChartBar bars[] = {
    { "line 15, this year", partThreePublicSupport(figures.columnF),
      partThreeTotalSupport(figures.columnF), true },
    { "line 16, prior year", partThreePublicSupport(figures.priorColumnF),
      partThreeTotalSupport(figures.priorColumnF), figures.priorShown },
    { "line 17, investment", partThreeInvestmentIncome(figures.columnF),
      partThreeTotalSupport(figures.columnF), true },
  };
  putChart("Part III: support by year and percentages", partThreeTotalSupport,
           partThreePublicSupport, "public support (line 9 less 7c)", bars, 3, false, figures);
  put("<h3>Line 7a detail: amounts from disqualified persons, by year</h3>\n");
  putYearHead(figures, "<th>Name</th><th>Type</th>", "<th>Total</th>");
  putNameRows(figures, visitLineSevenADetail);
  put("<h3>Line 7b detail: what each receipt gives over the greater of $5,000 and 1% of the"
      " year's line 13</h3>\n");
  putYearHead(figures, "<th>Name</th><th>Type</th>", "<th>Total</th>");
  put("<tr class=\"limit\"><td colspan=\"2\">Limit of the year</td>");
  for (int c = 0; c < kFormYears; ++c) {
    putAmountCell(rowOfColumn(c).largeNonDonationLimit);
  }
  put("<td class=\"none\"></td></tr>\n");
  putNameRows(figures, visitLineSevenBDetail);
}

}  // namespace

bool writeWorksheetPage(std::FILE* file, const WorksheetFigures& figures) {
  page = file;
  const long first = figures.lastYear - (kFormYears - 1);
  put("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
  std::fprintf(page, "<title>Schedule A worksheet %ld to %ld</title>\n", first, figures.lastYear);
  put(kStyle);
  put("</head>\n<body>\n<section class=\"page\">\n");
  std::fprintf(page,
               "<h1>Schedule A (Form 990) public support worksheet, %ld to %ld</h1>\n"
               "<p>Columns (a) to (e) are the calendar years %ld to %ld; column (f) is their total."
               " Amounts in dollars.</p>\n",
               first, figures.lastYear, first, figures.lastYear);
  putPartTwo(figures);
  put("</section>\n<section class=\"page\">\n");
  putPartThree(figures);
  put("<p class=\"note\">Prepared by QUORVA from the donation lists. It cannot judge the"
      " facts-and-circumstances test of Part II lines 17a and 17b, unusual grants, or whether a"
      " giver is a disqualified person beyond the types the lists give.</p>\n");
  put("</section>\n</body>\n</html>\n");
  page = nullptr;
  return std::ferror(file) == 0;
}

// The worksheet as one self-contained page: Part II on the first Letter page, Part III on the
// second, each with its verdict, a chart and its detail lists. Nothing is fetched.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/growing_list.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "ledger/source_type.hpp"
#include "ledger/tax_year.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"
#include "output/money_format.hpp"
#include "report/schedule_a.hpp"
#include "report/sheet_text.hpp"
#include "report/worksheet.hpp"

namespace {

// What the page is written to and from.
struct Page {
  std::FILE* file;
  const ScheduleAFigures& figures;
  const DonorTable& donors;
};

void put(const Page& page, const char* text) { std::fputs(text, page.file); }

// Names are the bytes of the list: every character that means something to HTML is escaped.
void putEscaped(const Page& page, const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    switch (*c) {
      case '&':
        put(page, "&amp;");
        break;
      case '<':
        put(page, "&lt;");
        break;
      case '>':
        put(page, "&gt;");
        break;
      case '"':
        put(page, "&quot;");
        break;
      case '\'':
        put(page, "&#39;");
        break;
      default:
        std::fputc(*c, page.file);
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

void putAmountCell(const Page& page, Amount amount) {
  std::fprintf(page.file, "<td class=\"num\">%s</td>", formatDecimal(amount).text);
}

// The first year of the period, column (a).
long firstYearOf(const ScheduleAFigures& figures) { return figures.lastYear - (kFormYears - 1); }

void putHead(const Page& page) {
  put(page, "<thead><tr><th>Line</th><th>Calendar year (or fiscal year beginning in)</th>");
  for (int c = 0; c < kFormYears; ++c) {
    std::fprintf(page.file, "<th>(%c) %ld</th>", 'a' + c, firstYearOf(page.figures) + c);
  }
  put(page, "<th>(f) Total</th></tr></thead>\n");
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

void putSectionIfAny(const Page& page, int part, const char* formLine) {
  for (const SectionStart& section : kSections) {
    if (section.part == part && std::strcmp(section.formLine, formLine) == 0) {
      std::fprintf(page.file, "<tr class=\"section\"><th colspan=\"8\">%s</th></tr>\n",
                   section.title);
    }
  }
}

template <std::size_t N>
void putAmountLines(const Page& page, int part, const std::array<ScheduleLine, N>& lines) {
  for (const ScheduleLine& line : lines) {
    putSectionIfAny(page, part, line.formLine);
    std::fprintf(page.file, "<tr><td class=\"line\">%s</td><td>", line.formLine);
    putEscaped(page, line.caption);
    put(page, "</td>");
    for (std::size_t c = 0; c < kFormYears; ++c) {
      if (line.byYear) {
        putAmountCell(page, rowOfColumn(page.figures, c).*line.field);
      } else {
        put(page, "<td class=\"none\"></td>");
      }
    }
    putAmountCell(page, page.figures.columnF.*line.field);
    put(page, "</tr>\n");
  }
}

void putEntries(const Page& page, int part, const std::array<SheetEntry, 8>& entries) {
  for (const SheetEntry& entry : entries) {
    putSectionIfAny(page, part, entry.formLine);
    const bool checked = entry.isBox && entry.value.text[0] != '\0';
    std::fprintf(page.file, "<tr%s><td class=\"line\">%s</td><td>",
                 checked ? " class=\"checked\"" : "", entry.formLine);
    putEscaped(page, entry.caption);
    if (entry.remark[0] != '\0') {
      put(page, " <em>(");
      putEscaped(page, entry.remark);
      put(page, ")</em>");
    }
    put(page, "</td><td class=\"none\" colspan=\"5\"></td><td class=\"num\">");
    if (entry.isBox) {
      std::fprintf(page.file, "<span class=\"box\">%s</span>", checked ? "X" : "&nbsp;");
    } else if (entry.value.text[0] != '\0') {
      std::fprintf(page.file, "%s%%", entry.value.text);
    }
    put(page, "</td></tr>\n");
  }
}

// Drawing only: the figures themselves are printed from exact amounts.
double share(const Fraction& percentage) {
  return percentage.whole > 0
             ? 100.0 * static_cast<double>(percentage.part) / static_cast<double>(percentage.whole)
             : 0.0;
}

struct ChartBar {
  const char* label;
  Fraction percentage;
  bool shown;
};

// How a Part's chart draws its years.
struct YearBars {
  Amount FormYearRow::*total;
  Amount FormYearRow::*publicPart;
  const char* publicName;
};

// Support by year: total support and the public part of it, in the form's columns.
void putYearBars(const Page& page, const YearBars& years) {
  Amount highest = 1;
  for (std::size_t c = 0; c < kFormYears; ++c) {
    const Amount value = rowOfColumn(page.figures, c).*years.total;
    highest = value > highest ? value : highest;
  }
  put(page, "<line x1=\"30\" y1=\"140\" x2=\"370\" y2=\"140\" stroke=\"#000\"/>\n");
  for (std::size_t c = 0; c < kFormYears; ++c) {
    const FormYearRow& row = rowOfColumn(page.figures, c);
    const double x = 40.0 + 66.0 * static_cast<double>(c);
    const Amount whole = row.*years.total;
    const Amount part = row.*years.publicPart;
    const double wholeHeight =
        whole > 0 ? 110.0 * static_cast<double>(whole) / static_cast<double>(highest) : 0.0;
    // Refunds can leave a year's total below its public part: the bar stays inside the chart.
    const Amount drawn = part > whole && whole > 0 ? whole : (part > highest ? highest : part);
    const double partHeight =
        drawn > 0 ? 110.0 * static_cast<double>(drawn) / static_cast<double>(highest) : 0.0;
    std::fprintf(page.file,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"26\" height=\"%.1f\" fill=\"#b9b9b9\"/>\n", x,
                 140.0 - wholeHeight, wholeHeight);
    std::fprintf(page.file,
                 "<rect x=\"%.1f\" y=\"%.1f\" width=\"26\" height=\"%.1f\" fill=\"#2f5f8f\"/>\n",
                 x + 28.0, 140.0 - partHeight, partHeight);
    std::fprintf(page.file, "<text x=\"%.1f\" y=\"154\" text-anchor=\"middle\">(%c) %ld</text>\n",
                 x + 27.0, static_cast<int>('a' + c),
                 firstYearOf(page.figures) + static_cast<long>(c));
  }
  put(page,
      "<rect x=\"40\" y=\"160\" width=\"9\" height=\"8\" fill=\"#b9b9b9\"/>"
      "<text x=\"53\" y=\"168\">total support</text>\n");
  std::fprintf(page.file,
               "<rect x=\"150\" y=\"160\" width=\"9\" height=\"8\" fill=\"#2f5f8f\"/>"
               "<text x=\"163\" y=\"168\">%s</text>\n",
               years.publicName);
}

// Where the percentage bars stand in the chart.
constexpr double kBarsLeft = 500.0;
constexpr double kBarsWidth = 210.0;

double barTop(std::size_t bar) { return 28.0 + 30.0 * static_cast<double>(bar); }

// One percentage on a scale of 0 to 100 percent, its figure inside the bar when it is long.
void putPercentBar(const Page& page, const ChartBar& bar, std::size_t b) {
  const double y = barTop(b);
  std::fprintf(page.file, "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s</text>\n",
               kBarsLeft - 6, y + 12, bar.label);
  std::fprintf(page.file,
               "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"16\" fill=\"#eeeeee\""
               " stroke=\"#999\" stroke-width=\"0.5\"/>\n",
               kBarsLeft, y, kBarsWidth);
  if (!bar.shown) {
    return;
  }
  double percent = share(bar.percentage);
  percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  const double end = kBarsLeft + kBarsWidth * percent / 100.0;
  std::fprintf(page.file,
               "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"16\" fill=\"#2f5f8f\"/>\n",
               kBarsLeft, y, kBarsWidth * percent / 100.0);
  const FieldText text = formatHundredths(bar.percentage.part, bar.percentage.whole);
  const bool inside = percent > 60;
  std::fprintf(page.file, "<text x=\"%.1f\" y=\"%.1f\" fill=\"%s\"%s>%s%s</text>\n",
               inside ? end - 4 : end + 4, y + 12, inside ? "#fff" : "#000",
               inside ? " text-anchor=\"end\"" : "", text.text[0] != '\0' ? text.text : "--",
               text.text[0] != '\0' ? "%" : "");
}

// The Part's percentages against the thresholds, with the scale above them.
void putPercentBars(const Page& page, const ChartBar* bars, std::size_t barCount,
                    bool tenPercentLine) {
  for (std::size_t b = 0; b < barCount; ++b) {
    putPercentBar(page, bars[b], b);
  }
  const double bottom = barTop(barCount);
  std::fprintf(page.file,
               "<text x=\"%.1f\" y=\"16\" text-anchor=\"middle\" fill=\"#555\">0%%</text>"
               "<text x=\"%.1f\" y=\"16\" text-anchor=\"end\" fill=\"#555\">100%%</text>\n",
               kBarsLeft, kBarsLeft + kBarsWidth);
  const double third = kBarsLeft + kBarsWidth / 3.0;
  std::fprintf(
      page.file,
      "<line x1=\"%.1f\" y1=\"20\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#c00000\""
      " stroke-width=\"1.5\" stroke-dasharray=\"4 2\"/>"
      "<text x=\"%.1f\" y=\"%.1f\" fill=\"#c00000\" text-anchor=\"middle\">33 1/3%%</text>\n",
      third, third, bottom, third, bottom + 12);
  if (tenPercentLine) {
    const double tenth = kBarsLeft + kBarsWidth / 10.0;
    std::fprintf(
        page.file,
        "<line x1=\"%.1f\" y1=\"20\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#d07000\""
        " stroke-width=\"1.5\" stroke-dasharray=\"2 2\"/>"
        "<text x=\"%.1f\" y=\"%.1f\" fill=\"#d07000\" text-anchor=\"middle\">10%%</text>\n",
        tenth, tenth, bottom, tenth, bottom + 12);
  }
  // Over the threshold lines, with a halo, so that the words stay readable.
  for (std::size_t b = 0; b < barCount; ++b) {
    if (!bars[b].shown) {
      std::fprintf(page.file,
                   "<text x=\"%.1f\" y=\"%.1f\" stroke=\"#eeeeee\" stroke-width=\"4\""
                   " paint-order=\"stroke\">not shown (first five years)</text>\n",
                   kBarsLeft + 4, 40.0 + 30.0 * static_cast<double>(b));
    }
  }
}

void putChart(const Page& page, const char* title, const YearBars& years, const ChartBar* bars,
              std::size_t barCount, bool tenPercentLine) {
  std::fprintf(page.file,
               "<svg viewBox=\"0 0 720 172\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\""
               " aria-label=\"%s\" font-family=\"DejaVu Sans, Arial, sans-serif\""
               " font-size=\"10\">\n",
               title);
  std::fprintf(page.file, "<text x=\"0\" y=\"12\" font-weight=\"bold\">%s</text>\n", title);
  putYearBars(page, years);
  putPercentBars(page, bars, barCount, tenPercentLine);
  put(page, "</svg>\n");
}

void putNameAndType(const Page& page, const char* name, const char* type) {
  put(page, "<tr><td>");
  putEscaped(page, name);
  std::fprintf(page.file, "</td><td>%s</td>", type);
}

void putNoneIfEmpty(const Page& page, bool empty, int columns) {
  if (empty) {
    std::fprintf(page.file, "<tr><td colspan=\"%d\">none</td></tr>\n", columns);
  }
  put(page, "</tbody></table>\n");
}

// Line 5 lists one row per giver.
void putGiverRows(const Page& page) {
  for (const GiverOverLimit& giver : page.figures.giversOverLimit) {
    putNameAndType(page, giverNameText(giver, page.donors, sheetText).text,
                   sourceTypeName(sourceTypeOf(page.donors[giver.index])));
    putAmountCell(page, giver.fiveYearTotal);
    putAmountCell(page, giver.excess);
    put(page, "</tr>\n");
  }
  putNoneIfEmpty(page, page.figures.giversOverLimit.empty(), 4);
}

// Lines 7a and 7b list one row per name with its figures by year in the form's columns.
void putNameRows(const Page& page, const GrowingList<DetailName>& names) {
  for (const DetailName& name : names) {
    putNameAndType(page, sheetText(page.donors[name.index].name.data()).text,
                   detailTypeText(name, page.donors).text);
    for (const Amount counted : name.counted) {
      putAmountCell(page, counted);
    }
    putAmountCell(page, name.total);
    put(page, "</tr>\n");
  }
  putNoneIfEmpty(page, names.empty(), 8);
}

void putYearHead(const Page& page, const char* before, const char* after) {
  std::fprintf(page.file, "<table class=\"detail\"><thead><tr>%s", before);
  for (int c = 0; c < kFormYears; ++c) {
    std::fprintf(page.file, "<th>(%c) %ld</th>", 'a' + c, firstYearOf(page.figures) + c);
  }
  std::fprintf(page.file, "%s</tr></thead><tbody>\n", after);
}

// A Part's table: its amount lines, then its percentages and boxes.
template <std::size_t N>
void putPartTable(const Page& page, int part, const std::array<ScheduleLine, N>& lines,
                  const std::array<SheetEntry, 8>& entries) {
  put(page, "<table class=\"form\">\n");
  putHead(page);
  put(page, "<tbody>\n");
  putAmountLines(page, part, lines);
  putEntries(page, part, entries);
  put(page, "</tbody></table>\n");
}

void putPartTwo(const Page& page) {
  const ScheduleAFigures& figures = page.figures;
  std::fprintf(page.file, "<p class=\"verdict\">Part II: %s</p>\n",
               partTwoBoxWords(figures.partTwoBox));
  std::fprintf(page.file,
               "<h2>Part II &mdash; Support Schedule for Organizations Described in"
               " Sections 170(b)(1)(A)(iv) and 170(b)(1)(A)(vi)</h2>\n");
  putPartTable(page, 2, kPartTwoLines, partTwoEntries(figures));
  const ChartBar bars[] = {
    { "line 14, this year", figures.partTwoLine14, true },
    { "line 15, prior year", figures.partTwoLine15, figures.priorShown },
  };
  putChart(page, "Part II: support by year and public support percentage",
           { &FormYearRow::partIITotalSupport, &FormYearRow::partIITotal,
             "line 4 (before the 2% limit)" },
           bars, 2, true);
  std::fprintf(page.file,
               "<h3>Line 5 detail: givers over the two percent limit of %s</h3>\n"
               "<table class=\"detail\"><thead><tr><th>Name</th><th>Type</th>"
               "<th>Five years</th><th>Excess</th></tr></thead><tbody>\n",
               formatMoney(figures.twoPercentLimit, 0).text);
  putGiverRows(page);
}

// Part VI lists the amounts of the unusual grants by year, without the grantors.
void putUnusualGrants(const Page& page) {
  const ScheduleAFigures& figures = page.figures;
  if (figures.unusualGrants.empty()) {
    return;
  }
  put(page,
      "<h3>Unusual grants (Part VI)</h3>\n"
      "<table class=\"detail\"><thead><tr><th>Year</th><th>Amount</th></tr></thead><tbody>\n");
  for (std::size_t c = 0; c < kFormYears; ++c) {
    if (figures.unusualByColumn[c] != 0) {
      std::fprintf(page.file, "<tr><td>%ld</td>", firstYearOf(figures) + static_cast<long>(c));
      putAmountCell(page, figures.unusualByColumn[c]);
      put(page, "</tr>\n");
    }
  }
  put(page, "</tbody></table>\n");
}

void putPartThree(const Page& page) {
  const ScheduleAFigures& figures = page.figures;
  std::fprintf(page.file, "<p class=\"verdict\">Part III: %s</p>\n",
               partThreeBoxWords(figures.partThreeBox));
  std::fprintf(page.file,
               "<h2>Part III &mdash; Support Schedule for Organizations Described in"
               " Section 509(a)(2)</h2>\n");
  putPartTable(page, 3, kPartThreeLines, partThreeEntries(figures));
  const ChartBar bars[] = {
    { "line 15, this year", figures.partThreeLine15, true },
    { "line 16, prior year", figures.partThreeLine16, figures.priorShown },
    { "line 17, investment", figures.partThreeLine17, true },
  };
  putChart(page, "Part III: support by year and percentages",
           { &FormYearRow::totalSupport, &FormYearRow::partIIIPublicSupport,
             "public support (line 9 less 7c)" },
           bars, 3, false);
  put(page, "<h3>Line 7a detail: amounts from disqualified persons, by year</h3>\n");
  putYearHead(page, "<th>Name</th><th>Type</th>", "<th>Total</th>");
  putNameRows(page, figures.lineSevenA);
  put(page,
      "<h3>Line 7b detail: what each receipt gives over the greater of $5,000 and 1% of the"
      " year's line 13</h3>\n");
  putYearHead(page, "<th>Name</th><th>Type</th>", "<th>Total</th>");
  put(page, "<tr class=\"limit\"><td colspan=\"2\">Limit of the year</td>");
  for (std::size_t c = 0; c < kFormYears; ++c) {
    putAmountCell(page, rowOfColumn(figures, c).largeNonDonationLimit);
  }
  put(page, "<td class=\"none\"></td></tr>\n");
  putNameRows(page, figures.lineSevenB);
  putUnusualGrants(page);
}

// What the columns' years are: calendar years, or tax years beginning in another month.
void putColumnsSentence(const Page& page, long first) {
  const ScheduleAFigures& figures = page.figures;
  if (figures.taxYearStartMonth == kCalendarYearStart) {
    std::fprintf(
        page.file,
        "<p>Columns (a) to (e) are the calendar years %ld to %ld; column (f) is their total.",
        first, figures.lastYear);
  } else {
    const char* month = monthName(figures.taxYearStartMonth);
    std::fprintf(
        page.file,
        "<p>Columns (a) to (e) are the tax years beginning in %s %ld to %s %ld; column (f) is their total.",
        month, first, month, figures.lastYear);
  }
  put(page, " Amounts in dollars.</p>\n");
}

}  // namespace

bool writeWorksheetPage(std::FILE* file, const ScheduleAFigures& figures,
                        const DonorTable& donors) {
  const Page page{ file, figures, donors };
  const long first = firstYearOf(figures);
  put(page, "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
  std::fprintf(page.file, "<title>Schedule A worksheet %ld to %ld</title>\n", first,
               figures.lastYear);
  put(page, kStyle);
  put(page, "</head>\n<body>\n<section class=\"page\">\n");
  std::fprintf(page.file, "<h1>Schedule A (Form 990) public support worksheet, %ld to %ld</h1>\n",
               first, figures.lastYear);
  putColumnsSentence(page, first);
  putPartTwo(page);
  put(page, "</section>\n<section class=\"page\">\n");
  putPartThree(page);
  put(page,
      "<p class=\"note\">Prepared by QUORVA from the donation lists. It cannot judge the"
      " facts-and-circumstances test of Part II lines 17a and 17b, unusual grants, or whether a"
      " giver is a disqualified person beyond the types the lists give.</p>\n");
  put(page, "</section>\n</body>\n</html>\n");
  return std::ferror(file) == 0;
}

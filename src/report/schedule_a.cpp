#include "report/schedule_a.hpp"

#include <cstddef>
#include <cstdio>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"
#include "report/report_options.hpp"

// clang-format off
const std::array<ScheduleLine, 12> kPartTwoLines = { {
  { "1", "Gifts, grants, contributions, and membership fees received", true, &FormYearRow::gifts,
    { "!            Part II line 1 column", "", Shown::ifNonZero }, false,
    { "!       Part II line  1 column f", "", Shown::always } },
  { "2", "Tax revenues levied for the organization's benefit", true, &FormYearRow::taxRevenues,
    { "!            Part II line 2 column", "", Shown::ifNonZero }, false,
    { "!       Part II line  2 column f", "", Shown::ifNonZero } },
  { "3", "Services or facilities furnished free by a governmental unit", true, &FormYearRow::governmentServices,
    { "!            Part II line 3 column", "", Shown::ifNonZero }, false,
    { "!       Part II line  3 column f", "", Shown::ifNonZero } },
  { "4", "Total (lines 1 through 3)", true, &FormYearRow::partIITotal,
    { "!            Part II line 4 column", "", Shown::always }, false,
    { "!       Part II line  4 column f", "", Shown::always } },
  { "5", "Contributions of each person over 2% of line 11 column (f)", false, &FormYearRow::twoPercentExcess,
    { nullptr, "", Shown::never }, false,
    { "!       Part II line  5 column f", " (exceeds 2 percent)", Shown::ifNonZero } },
  { "6", "Public support (line 4 minus line 5)", false, &FormYearRow::partIIPublicSupport,
    { nullptr, "", Shown::never }, false,
    { "!       Part II line  6 column f", " (public support)", Shown::always } },
  { "7", "Amounts from line 4", true, &FormYearRow::partIILine7,
    { "!            Part II line 7 column", " (from line 4)", Shown::ifNonZero }, false,
    { "!       Part II line  7 column f", " (from line 4)", Shown::always } },
  { "8", "Interest, dividends, rents, royalties and similar income", true, &FormYearRow::investmentIncome,
    { "!            Part II line 8 column", "", Shown::ifNonZero }, true,
    { "!            Part II line  8 column f", "", Shown::ifNonZero } },
  { "9", "Net income from unrelated business activities", true, &FormYearRow::partIILine9,
    { "!            Part II line 9 column", "", Shown::ifNonZero }, true,
    { "!            Part II line  9 column f", "", Shown::ifNonZero } },
  { "10", "Other income", true, &FormYearRow::otherIncome,
    { "!            Part II line 10 column", "", Shown::ifNonZero }, true,
    { "!            Part II line 10 column f", "", Shown::ifNonZero } },
  { "11", "Total support (lines 7 through 10)", true, &FormYearRow::partIITotalSupport,
    { nullptr, "", Shown::never }, false,
    { "!       Part II line 11 column f", " (total support)", Shown::always } },
  { "12", "Gross receipts from related activities", false, &FormYearRow::partIIRelatedReceipts,
    { nullptr, "", Shown::never }, false,
    { nullptr, "", Shown::never } },
} };

const std::array<ScheduleLine, 17> kPartThreeLines = { {
  { "1", "Gifts, grants, contributions, and membership fees received", true, &FormYearRow::gifts,
    { "!           Part III line  1 column", "", Shown::always }, false,
    { "!       Part III line  1 column f", " (Gifts, Grants etc.)", Shown::always } },
  { "2", "Admissions, merchandise, services, facilities (related activities)", true, &FormYearRow::admissionsAndSales,
    { "!           Part III line  2 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  2 column f", " (Admissions and Sales)", Shown::ifNonZero } },
  { "3", "Receipts from activities not an unrelated trade or business", true, &FormYearRow::relatedBusiness,
    { "!           Part III line  3 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  3 column f", " (Related Business)", Shown::ifNonZero } },
  { "4", "Tax revenues levied for the organization's benefit", true, &FormYearRow::taxRevenues,
    { "!           Part III line  4 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  4 column f", " (Tax revenues)", Shown::ifNonZero } },
  { "5", "Services or facilities furnished free by a governmental unit", true, &FormYearRow::governmentServices,
    { "!           Part III line  5 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  5 column f", " (Government Services)", Shown::ifNonZero } },
  { "6", "Total (lines 1 through 5)", true, &FormYearRow::partIIITotal,
    { "!           Part III line  6 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  6 column f", " (Total Support)", Shown::ifNonZero } },
  { "7a", "Amounts on lines 1 to 3 from disqualified persons", true, &FormYearRow::disqualifiedGifts,
    { "!           Part III line 7a column", "", Shown::ifNonZero }, false,
    { "!       Part III line 7a column f", " (Officer disqualified)", Shown::ifNonZero } },
  { "7b", "Lines 2 and 3 from others over the greater of $5,000 or 1% of line 13", true, &FormYearRow::largeNonDonations,
    { "!           Part III line 7b column", "", Shown::ifNonZero }, false,
    { "!       Part III line 7b column f", " (large non-donation)", Shown::ifNonZero } },
  { "7c", "Add lines 7a and 7b", true, &FormYearRow::notPublicSum,
    { "!           Part III line 7c column", "", Shown::ifNonZero }, false,
    { "!       Part III line 7c column f", " (not public sum 7a+7b)", Shown::ifNonZero } },
  { "8", "Public support (line 6 minus line 7c)", false, &FormYearRow::partIIIPublicSupport,
    { nullptr, "", Shown::never }, false,
    { "!       Part III line  8 column f", " (public support)", Shown::always } },
  { "9", "Amounts from line 6", true, &FormYearRow::partIIILine9,
    { "!           Part III line  9 column", " (copy of line 6)", Shown::ifNonZero }, false,
    { "!       Part III line  9 column f", " (copy line 6)", Shown::ifPositive } },
  { "10a", "Interest, dividends, rents, royalties and similar income", true, &FormYearRow::investmentIncome,
    { "!           Part III line 10a column", "", Shown::ifNonZero }, false,
    { "!       Part III line 10a column f", " (Investment income)", Shown::ifPositive } },
  { "10b", "Unrelated business taxable income, businesses acquired after June 30, 1975", true, &FormYearRow::unrelatedIncome,
    { "!           Part III line 10b column", "", Shown::ifNonZero }, false,
    { "!       Part III line 10b column f", " (Unrelated Income)", Shown::ifPositive } },
  { "10c", "Add lines 10a and 10b", true, &FormYearRow::investmentAndUnrelated,
    { "!           Part III line 10c column", "", Shown::ifNonZero }, false,
    { "!       Part III line 10c column f", " (sum 10a + 10b)", Shown::ifPositive } },
  { "11", "Net income from unrelated business activities not on line 10b", true, &FormYearRow::oldBusinessIncome,
    { "!           Part III line 11 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  11 column f", "", Shown::ifPositive } },
  { "12", "Other income", true, &FormYearRow::otherIncome,
    { "!           Part III line 12 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  12 column f", " (other income)", Shown::ifPositive } },
  { "13", "Total support (lines 9, 10c, 11 and 12)", true, &FormYearRow::totalSupport,
    { "!           Part III line 13 column", "", Shown::ifNonZero }, false,
    { "!       Part III line 13 column f", " (total support)", Shown::ifPositive } },
} };
// clang-format on

namespace {

// Column e is the newest year (row 0), column a the oldest.
char columnLetter(std::size_t row) { return static_cast<char>('e' - static_cast<int>(row)); }

bool isShown(Shown shown, Amount value) {
  switch (shown) {
    case Shown::always:
      return true;
    case Shown::ifNonZero:
      return value != 0;
    case Shown::ifPositive:
      return value > 0;
    case Shown::never:
      break;
  }
  return false;
}

// Part II puts a blank between the column letter and the figure; Part III does not.
void printYearLine(const ScheduleLine& line, const FormYearRow& row, std::size_t r,
                   bool blankBeforeFigure) {
  const Amount value = row.*line.field;
  if (line.year.label == nullptr || !isShown(line.year.shown, value)) {
    return;
  }
  reportText("%s %c%s%s%s\n", line.year.label, columnLetter(r), blankBeforeFigure ? " " : "",
             formatMoney(value, 12).text, line.year.note);
}

template <std::size_t N>
void printYearBlocks(const std::array<ScheduleLine, N>& lines,
                     const std::array<FormYearRow, kFormYears>& rows, bool blankBeforeFigure) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const FormYearRow& row = rows[r];
    reportText("!       %ld\n", row.yearIndex + kBaseYear);
    for (const ScheduleLine& line : lines) {
      if (!line.afterYearBlocks) {
        printYearLine(line, row, r, blankBeforeFigure);
      }
    }
  }
  for (const ScheduleLine& line : lines) {
    if (line.afterYearBlocks) {
      for (std::size_t r = 0; r < rows.size(); ++r) {
        printYearLine(line, rows[r], r, blankBeforeFigure);
      }
    }
  }
}

// Column f, with after(line) called after each line, printed or not.
template <std::size_t N, typename After>
void printColumnF(const std::array<ScheduleLine, N>& lines, const FormYearRow& columnF,
                  After after) {
  writeReport("!\n");
  writeReport("!   COLUMN F contains sums for all 5 years\n");
  for (const ScheduleLine& line : lines) {
    const Amount value = columnF.*line.field;
    if (isShown(line.total.shown, value)) {
      reportText("%s %s%s\n", line.total.label, formatMoney(value, 12).text, line.total.note);
    }
    after(line);
  }
}

// A donor-advised fund stands for several advisors; only one of them may really be over.
void warnDafGroup(std::size_t index, const char* name) {
  // The two lines of advice follow the warning without a prefix of their own. With a 255-character
  // name and a 20-digit index the three lines still fit messageLine's 511 characters.
  message(MessageKind::warning, 0,
          "!         DAF donor group [%zu] %s exceeded the two percent limit.\n"
          "!             This may not be correct, it should only occur if one doner in the group\n"
          "!             exceeded the limit not the whole group. Make that advisor a unique group.",
          index, name);
}

// A group of related names is one giver, named by its first member and the others' number.
void reportGiverOverLimit(const GiverOverLimit& giver, const ScheduleAFigures& figures,
                          const DonorTable& donors, const ReportOptions& options) {
  const DonorRecord& donor = donors[giver.index];
  if (sourceTypeOf(donor) == DAF) {
    warnDafGroup(giver.index, donor.name.data());
  }
  if (options.verbosity < 2) {
    return;
  }
  char related[48] = "";
  if (giver.related != 0) {
    std::snprintf(related, sizeof related, " and %zu related", giver.related);
  }
  reportText("!         Donor[%zu] %s%s has total donations %s\n", giver.index, donor.name.data(),
             related, formatMoney(giver.fiveYearTotal, 0).text);
  reportText("!         %s of which exceeds the 5 year two percent limit\n",
             formatMoney(giver.excess, 12).text);
  for (std::size_t m = giver.firstMember; m < giver.firstMember + giver.memberCount; ++m) {
    const GroupMember& member = figures.giverMembers.items[m];
    reportText("!             %s %s\n", donors[member.index].name.data(),
               formatMoney(member.fiveYearTotal, 0).text);
  }
}

// Said right after line 7a's column f: the substantial contributors the line counts, and at
// level 1 who they are and the related names counted with them.
void reportContributors(const ScheduleAFigures& figures, const DonorTable& donors,
                        const ReportOptions& options) {
  const std::size_t count = figures.substantialContributorCount;
  if (count == 0) {
    return;
  }
  reportText("!         %zu substantial contributor%s on line 7a (-d=1 lists them)\n", count,
             count == 1 ? "" : "s");
  if (options.verbosity < 1) {
    return;
  }
  for (const ContributorLine& line : figures.contributorLines) {
    const char* name = donors[line.index].name.data();
    if (line.substantialFrom >= 0) {
      reportText("!           %s, a substantial contributor from %ld\n", name,
                 line.substantialFrom);
    } else {
      reportText("!             %s, related\n", name);
    }
  }
}

// Left out of both Parts, so the treasurer lists them in Part VI: each year's sum, and at
// level 1 the names behind it.
void printUnusualGrants(const ScheduleAFigures& figures, const DonorTable& donors,
                        const ReportOptions& options) {
  if (figures.unusualGrants.empty()) {
    return;
  }
  writeReport(
      "!   Unusual grants left out of Part II and Part III (list their amounts in Part VI):\n");
  for (std::size_t c = 0; c < kFormYears; ++c) {
    if (figures.unusualByColumn[c] == 0) {
      continue;
    }
    reportText("!       %ld %s\n", figures.lastYear - (kFormYears - 1) + static_cast<long>(c),
               formatMoney(figures.unusualByColumn[c], 0).text);
    if (options.verbosity < 1) {
      continue;
    }
    for (const DetailName& grant : figures.unusualGrants) {
      if (grant.amount[c] != 0) {
        reportText("!         %s %s\n", donors[grant.index].name.data(),
                   formatMoney(grant.amount[c], 0).text);
      }
    }
  }
}

// Calculation errors of the report: said where the percentage they concern would be read.
void reportNoPercentage(const char* part, const ScheduleAFigures& figures, Amount totalSupport) {
  message(MessageKind::calculationError, 0,
          "Total support of Part %s for %ld to %ld is %s; no percentage can be computed", part,
          figures.lastYear - (kFormYears - 1), figures.lastYear, formatMoney(totalSupport, 0).text);
}

// This year's tests, and the prior year's box when the form checks it: 17a may be checked only
// when 16b is not.
void printPartTwoTests(const ScheduleAFigures& figures) {
  if (figures.current.partTwoOneThird) {
    writeReport("!       Part II line 16a support         OK (check the box)\n");
    return;
  }
  writeReport("!       Part II line 16a (33.3% support) FAILED (do not check the box)\n");
  if (figures.partTwoBox == PartTwoBox::line16b) {
    writeReport("!       Part II line 16b (33.3% support, prior year) OK (check the box)\n");
  } else if (figures.current.partTwoOneTenth) {
    writeReport("!       Part II line 17a (10% support) OK (check the box)\n");
  } else {
    writeReport("!       Part II line 17a (10% support) FAILED (do not check the box)\n");
    if (figures.partTwoBox == PartTwoBox::line17b) {
      writeReport("!       Part II line 17b (10% support, prior year) OK (check the box)\n");
    }
  }
}

void printPartTwo(const ScheduleAFigures& figures, const DonorTable& donors,
                  const ReportOptions& options) {
  printYearBlocks(kPartTwoLines, figures.rows, true);
  if (options.verbosity >= 1) {
    writeReport("!\n");
    writeReport("!   TWO PERCENT LIMIT calculation \n");
    reportText("!     %s is two percent of all donations\n",
               formatMoney(figures.twoPercentLimit, 0).text);
  }
  for (const GiverOverLimit& giver : figures.giversOverLimit) {
    reportGiverOverLimit(giver, figures, donors, options);
  }
  printColumnF(kPartTwoLines, figures.columnF, [](const ScheduleLine&) {});

  if (figures.firstFiveYears) {
    writeReport("!       Part II line 13            check the box (first 5 years)\n");
    writeReport("!         The remainder of Part II is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  if (figures.partTwoSupportBelowZero) {
    reportNoPercentage("II", figures, figures.columnF.partIITotalSupport);
  }
  reportText("!       Part II line 14            %s (public support percentage)\n",
             formatPercent(figures.partTwoLine14.part, figures.partTwoLine14.whole, 8).text);
  printPartTwoTests(figures);
  writeReport("!\n");
  writeReport("!\n");
}

void printPartThree(const ScheduleAFigures& figures, const DonorTable& donors,
                    const ReportOptions& options) {
  writeReport("! FORM 990 INFORMATION Part III 509(a)(2)\n");
  printYearBlocks(kPartThreeLines, figures.rows, false);
  printColumnF(kPartThreeLines, figures.columnF, [&](const ScheduleLine& line) {
    if (line.field == &FormYearRow::disqualifiedGifts) {
      reportContributors(figures, donors, options);
    }
  });

  if (figures.firstFiveYears) {
    writeReport("!       Part III line 14             check the box (first 5 years)\n");
    writeReport("!         The remainder of Part III is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  const Fraction& support = figures.partThreeLine15;
  const Fraction& investment = figures.partThreeLine17;
  if (figures.partThreeSupportBelowZero) {
    reportNoPercentage("III", figures, figures.columnF.totalSupport);
  }
  reportText("!       Part III line 15 column f %s (public support percentage)\n",
             formatPercent(support.part, support.whole, 12).text);
  reportText("!       Part III line 17 column f %s (investment income percentage)\n",
             formatPercent(investment.part, investment.whole, 12).text);

  const SupportTests& tests = figures.current;
  if (tests.partThree19a) {
    writeReport("!       Part III line 19a 33% support        OK (check the box)\n");
  } else {
    writeReport("!       Part III line 19a support       FAILED (do not check the box)\n");
    // With the support test passed, investment income is what failed.
    if (tests.partThreeSupport) {
      writeReport("!         Investment income is more than 33 1/3% of total support (line 17)\n");
    }
    if (figures.partThreeBox == PartThreeBox::line19b) {
      writeReport(
          "!       Part III line 19b (more than 33.3% support, prior year) OK (check the box)\n");
    }
  }
}

}  // namespace

void printScheduleA(const ScheduleAFigures& figures, const DonorTable& donors,
                    const ReportOptions& options) {
  writeReport("! FORM 990 INFORMATION Part II 509(a)(1)\n");
  if (!figures.anyDonations) {
    writeReport("!   no donations at all\n");
  } else {
    printPartTwo(figures, donors, options);
    printPartThree(figures, donors, options);
  }
  printUnusualGrants(figures, donors, options);
}

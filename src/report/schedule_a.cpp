#include "report/schedule_a.hpp"

#include <cstddef>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

namespace {

Amount gifts(const FormYearRow& row) { return row.gifts; }
Amount taxRevenues(const FormYearRow& row) { return row.taxRevenues; }
Amount governmentServices(const FormYearRow& row) { return row.governmentServices; }
Amount admissionsAndSales(const FormYearRow& row) { return row.admissionsAndSales; }
Amount relatedBusiness(const FormYearRow& row) { return row.relatedBusiness; }
Amount investmentIncome(const FormYearRow& row) { return row.investmentIncome; }
Amount unrelatedIncome(const FormYearRow& row) { return row.unrelatedIncome; }
Amount oldBusinessIncome(const FormYearRow& row) { return row.oldBusinessIncome; }
Amount otherIncome(const FormYearRow& row) { return row.otherIncome; }

Amount partTwoLine4(const FormYearRow& row) { return row.partIITotal; }
Amount partTwoLine5(const FormYearRow& row) { return row.twoPercentExcess; }
Amount partTwoLine6(const FormYearRow& row) { return row.partIITotal - row.twoPercentExcess; }
Amount partTwoLine7(const FormYearRow& row) { return row.partIILine7; }
// The form's line 9 takes net income from every unrelated business activity, whether or not it
// is regularly carried on: businesses acquired before July 1975 included.
Amount partTwoLine9(const FormYearRow& row) { return row.unrelatedIncome + row.oldBusinessIncome; }
Amount partTwoLine11(const FormYearRow& row) {
  return row.partIITotal + row.investmentIncome + partTwoLine9(row) + row.otherIncome;
}

Amount partThreeLine6(const FormYearRow& row) { return row.partIIITotal; }
Amount partThreeLine7a(const FormYearRow& row) { return row.disqualifiedGifts; }
Amount partThreeLine7b(const FormYearRow& row) { return row.largeNonDonations; }
Amount partThreeLine7c(const FormYearRow& row) { return row.notPublicSum; }
Amount partThreeLine8(const FormYearRow& row) { return row.partIIITotal - row.notPublicSum; }
Amount partThreeLine9(const FormYearRow& row) { return row.partIIILine9; }
Amount partThreeLine10c(const FormYearRow& row) { return row.investmentAndUnrelated; }
Amount partThreeLine13(const FormYearRow& row) { return row.totalSupport; }

}  // namespace

// clang-format off
const std::array<ScheduleLine, 11> kPartTwoLines = { {
  { gifts, "!            Part II line 1 column", "", Shown::ifNonZero, false,
    "!       Part II line  1 column f", "", Shown::always },
  { taxRevenues, "!            Part II line 2 column", "", Shown::ifNonZero, false,
    "!       Part II line  2 column f", "", Shown::ifNonZero },
  { governmentServices, "!            Part II line 3 column", "", Shown::ifNonZero, false,
    "!       Part II line  3 column f", "", Shown::ifNonZero },
  { partTwoLine4, "!            Part II line 4 column", "", Shown::always, false,
    "!       Part II line  4 column f", "", Shown::always },
  { partTwoLine5, nullptr, "", Shown::never, false,
    "!       Part II line  5 column f", " (exceeds 2 percent)", Shown::ifNonZero },
  { partTwoLine6, nullptr, "", Shown::never, false,
    "!       Part II line  6 column f", " (public support)", Shown::always },
  { partTwoLine7, "!            Part II line 7 column", " (from line 4)", Shown::ifNonZero, false,
    "!       Part II line  7 column f", " (from line 4)", Shown::always },
  { investmentIncome, "!            Part II line 8 column", "", Shown::ifNonZero, true,
    "!            Part II line  8 column f", "", Shown::ifNonZero },
  { partTwoLine9, "!            Part II line 9 column", "", Shown::ifNonZero, true,
    "!            Part II line  9 column f", "", Shown::ifNonZero },
  { otherIncome, "!            Part II line 10 column", "", Shown::ifNonZero, true,
    "!            Part II line 10 column f", "", Shown::ifNonZero },
  { partTwoLine11, nullptr, "", Shown::never, false,
    "!       Part II line 11 column f", " (total support)", Shown::always },
} };

const std::array<ScheduleLine, 17> kPartThreeLines = { {
  { gifts, "!           Part III line  1 column", "", Shown::always, false,
    "!       Part III line  1 column f", " (Gifts, Grants etc.)", Shown::always },
  { admissionsAndSales, "!           Part III line  2 column", "", Shown::ifNonZero, false,
    "!       Part III line  2 column f", " (Admissions and Sales)", Shown::ifNonZero },
  { relatedBusiness, "!           Part III line  3 column", "", Shown::ifNonZero, false,
    "!       Part III line  3 column f", " (Related Business)", Shown::ifNonZero },
  { taxRevenues, "!           Part III line  4 column", "", Shown::ifNonZero, false,
    "!       Part III line  4 column f", " (Tax revenues)", Shown::ifNonZero },
  { governmentServices, "!           Part III line  5 column", "", Shown::ifNonZero, false,
    "!       Part III line  5 column f", " (Government Services)", Shown::ifNonZero },
  { partThreeLine6, "!           Part III line  6 column", "", Shown::ifNonZero, false,
    "!       Part III line  6 column f", " (Total Support)", Shown::ifNonZero },
  { partThreeLine7a, "!           Part III line 7a column", "", Shown::ifNonZero, false,
    "!       Part III line 7a column f", " (Officer disqualified)", Shown::ifNonZero },
  { partThreeLine7b, "!           Part III line 7b column", "", Shown::ifNonZero, false,
    "!       Part III line 7b column f", " (large non-donation)", Shown::ifNonZero },
  { partThreeLine7c, "!           Part III line 7c column", "", Shown::ifNonZero, false,
    "!       Part III line 7c column f", " (not public sum 7a+7b)", Shown::ifNonZero },
  { partThreeLine8, nullptr, "", Shown::never, false,
    "!       Part III line  8 column f", " (public support)", Shown::always },
  { partThreeLine9, "!           Part III line  9 column", " (copy of line 6)", Shown::ifNonZero, false,
    "!       Part III line  9 column f", " (copy line 6)", Shown::ifPositive },
  { investmentIncome, "!           Part III line 10a column", "", Shown::ifNonZero, false,
    "!       Part III line 10a column f", " (Investment income)", Shown::ifPositive },
  { unrelatedIncome, "!           Part III line 10b column", "", Shown::ifNonZero, false,
    "!       Part III line 10b column f", " (Unrelated Income)", Shown::ifPositive },
  { partThreeLine10c, "!           Part III line 10c column", "", Shown::ifNonZero, false,
    "!       Part III line 10c column f", " (sum 10a + 10b)", Shown::ifPositive },
  { oldBusinessIncome, "!           Part III line 11 column", "", Shown::ifNonZero, false,
    "!       Part III line  11 column f", "", Shown::ifPositive },
  { otherIncome, "!           Part III line 12 column", "", Shown::ifNonZero, false,
    "!       Part III line  12 column f", " (other income)", Shown::ifPositive },
  { partThreeLine13, "!           Part III line 13 column", "", Shown::ifNonZero, false,
    "!       Part III line 13 column f", " (total support)", Shown::ifPositive },
} };
// clang-format on

namespace {

// A period that starts at most five years after the first donation is the organisation's
// first five years.
constexpr long kYoungOrganisationYears = 5;

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
  const Amount value = line.value(row);
  if (line.yearLabel == nullptr || !isShown(line.yearShown, value)) {
    return;
  }
  writeReport(composeLine("%s %c%s%s%s\n", line.yearLabel, columnLetter(r),
                          blankBeforeFigure ? " " : "", formatMoney(value, 12).text,
                          line.yearNote));
}

template <std::size_t N>
void printYearBlocks(const std::array<ScheduleLine, N>& lines, bool blankBeforeFigure) {
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    const FormYearRow& row = formYearTable[r];
    writeReport(composeLine("!       %ld\n", static_cast<long>(row.yearIndex) + kBaseYear));
    for (const ScheduleLine& line : lines) {
      if (!line.afterYearBlocks) {
        printYearLine(line, row, r, blankBeforeFigure);
      }
    }
  }
  for (const ScheduleLine& line : lines) {
    if (line.afterYearBlocks) {
      for (std::size_t r = 0; r < formYearTable.size(); ++r) {
        printYearLine(line, formYearTable[r], r, blankBeforeFigure);
      }
    }
  }
}

template <std::size_t N>
void printColumnF(const std::array<ScheduleLine, N>& lines, const FormYearRow& columnF) {
  writeReport("!\n");
  writeReport("!   COLUMN F contains sums for all 5 years\n");
  for (const ScheduleLine& line : lines) {
    const Amount value = line.value(columnF);
    if (isShown(line.totalShown, value)) {
      writeReport(
          composeLine("%s %s%s\n", line.totalLabel, formatMoney(value, 12).text, line.totalNote));
    }
  }
}

// A donor-advised fund stands for several advisors; only one of them may really be over.
void warnDafGroup(std::size_t index, const char* name) {
  beginWarning(0);
  emitText(composeLine("!         DAF donor group [%zu] %s exceeded the two percent limit.", index,
                       name));
  endLine();
  emitText("!             This may not be correct, it should only occur if one doner in the group");
  endLine();
  emitText(
      "!             exceeded the limit not the whole group. Make that advisor a unique group.");
  endLine();
}

Amount sumExcessOverTwoPercent(Amount twoPercentLimit) {
  if (verbosityLevel >= 1) {
    writeReport("!\n");
    writeReport("!   TWO PERCENT LIMIT calculation \n");
    writeReport(composeLine("!     %s is two percent of all donations\n",
                            formatMoney(twoPercentLimit, 0).text));
  }
  Amount line5 = 0;
  for (std::size_t i = 0; i < kDonorTableSize && donorTable[i].name[0] != '\0'; ++i) {
    const DonorRecord& donor = donorTable[i];
    if (!isTwoPercentTested(donor.sourceType)) {
      continue;
    }
    const Amount excess = donor.fiveYearTotal - twoPercentLimit;
    if (excess <= 0) {
      continue;
    }
    if (donor.sourceType == DAF) {
      warnDafGroup(i, donor.name.data());
    }
    line5 += excess;
    if (verbosityLevel >= 2) {
      writeReport(composeLine("!         Donor[%zu] %s has total donations %s\n", i,
                              donor.name.data(), formatMoney(donor.fiveYearTotal, 0).text));
      writeReport(composeLine("!         %s of which exceeds the 5 year two percent limit\n",
                              formatMoney(excess, 12).text));
    }
  }
  return line5;
}

void printPartTwo() {
  printYearBlocks(kPartTwoLines, true);
  FormYearRow columnF = sumOfRows(formYearTable);
  const Amount line11 = partTwoLine11(columnF);
  columnF.twoPercentExcess = sumExcessOverTwoPercent(line11 / 50);
  const Amount line6 = partTwoLine6(columnF);
  printColumnF(kPartTwoLines, columnF);

  if (numberOfYears <= kYoungOrganisationYears) {
    writeReport("!       Part II line 13            check the box (first 5 years)\n");
    writeReport("!         The remainder of Part II is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  writeReport(composeLine("!       Part II line 14            %s (public support percentage)\n",
                          formatPercent(line6, line11, 8).text));

  // The form's thresholds are exact fractions: one third exactly passes 16a, a tenth 17a.
  if (line11 > 0 && 3 * line6 >= line11) {
    writeReport("!       Part II line 16a support         OK (check the box)\n");
  } else {
    writeReport("!       Part II line 16a (33.3% support) FAILED (do not check the box)\n");
    if (line11 > 0 && 10 * line6 >= line11) {
      writeReport("!       Part II line 17a (10% support) OK (check the box)\n");
    } else {
      writeReport("!       Part II line 17a (10% support) FAILED (do not check the box)\n");
    }
  }
  writeReport("!\n");
  writeReport("!\n");
}

void printPartThree() {
  writeReport("! FORM 990 INFORMATION Part III 509(a)(2)\n");
  printYearBlocks(kPartThreeLines, false);
  const FormYearRow columnF = sumOfRows(formYearTable);
  printColumnF(kPartThreeLines, columnF);
  const Amount line8 = partThreeLine8(columnF);
  const Amount line10c = columnF.investmentAndUnrelated;
  const Amount line13 = columnF.totalSupport;

  if (numberOfYears <= kYoungOrganisationYears) {
    writeReport("!       Part III line 14             check the box (first 5 years)\n");
    writeReport("!         The remainder of Part III is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  writeReport(composeLine("!       Part III line 15 column f %s (public support percentage)\n",
                          formatPercent(line8, line13, 12).text));
  writeReport(composeLine("!       Part III line 17 column f %s (investment income percentage)\n",
                          formatPercent(line10c, line13, 12).text));

  // 509(a)(2) needs both: public support above one third and investment income at most a third.
  const bool supportAboveThird = line13 > 0 && 3 * line8 > line13;
  const bool investmentWithinThird = 3 * line10c <= line13;
  if (supportAboveThird && investmentWithinThird) {
    writeReport("!       Part III line 19a 33% support        OK (check the box)\n");
  } else {
    writeReport("!       Part III line 19a support       FAILED (do not check the box)\n");
    if (supportAboveThird) {
      writeReport("!         Investment income is more than 33 1/3% of total support (line 17)\n");
    }
  }
}

}  // namespace

void printScheduleA() {
  writeReport("! FORM 990 INFORMATION Part II 509(a)(1)\n");
  if (firstDonationYear == -1) {
    writeReport("!   no donations at all\n");
    return;
  }
  printPartTwo();
  printPartThree();
}

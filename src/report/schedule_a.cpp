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

// Receipts from related activities: what Part III has on its lines 2 and 3.
Amount partTwoLine12(const FormYearRow& row) {
  return row.admissionsAndSales + row.relatedBusiness;
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
const std::array<ScheduleLine, 12> kPartTwoLines = { {
  { "1", "Gifts, grants, contributions, and membership fees received", true, gifts,
    { "!            Part II line 1 column", "", Shown::ifNonZero }, false,
    { "!       Part II line  1 column f", "", Shown::always } },
  { "2", "Tax revenues levied for the organization's benefit", true, taxRevenues,
    { "!            Part II line 2 column", "", Shown::ifNonZero }, false,
    { "!       Part II line  2 column f", "", Shown::ifNonZero } },
  { "3", "Services or facilities furnished free by a governmental unit", true, governmentServices,
    { "!            Part II line 3 column", "", Shown::ifNonZero }, false,
    { "!       Part II line  3 column f", "", Shown::ifNonZero } },
  { "4", "Total (lines 1 through 3)", true, partTwoLine4,
    { "!            Part II line 4 column", "", Shown::always }, false,
    { "!       Part II line  4 column f", "", Shown::always } },
  { "5", "Contributions of each person over 2% of line 11 column (f)", false, partTwoLine5,
    { nullptr, "", Shown::never }, false,
    { "!       Part II line  5 column f", " (exceeds 2 percent)", Shown::ifNonZero } },
  { "6", "Public support (line 4 minus line 5)", false, partTwoLine6,
    { nullptr, "", Shown::never }, false,
    { "!       Part II line  6 column f", " (public support)", Shown::always } },
  { "7", "Amounts from line 4", true, partTwoLine7,
    { "!            Part II line 7 column", " (from line 4)", Shown::ifNonZero }, false,
    { "!       Part II line  7 column f", " (from line 4)", Shown::always } },
  { "8", "Interest, dividends, rents, royalties and similar income", true, investmentIncome,
    { "!            Part II line 8 column", "", Shown::ifNonZero }, true,
    { "!            Part II line  8 column f", "", Shown::ifNonZero } },
  { "9", "Net income from unrelated business activities", true, partTwoLine9,
    { "!            Part II line 9 column", "", Shown::ifNonZero }, true,
    { "!            Part II line  9 column f", "", Shown::ifNonZero } },
  { "10", "Other income", true, otherIncome,
    { "!            Part II line 10 column", "", Shown::ifNonZero }, true,
    { "!            Part II line 10 column f", "", Shown::ifNonZero } },
  { "11", "Total support (lines 7 through 10)", true, partTwoLine11,
    { nullptr, "", Shown::never }, false,
    { "!       Part II line 11 column f", " (total support)", Shown::always } },
  { "12", "Gross receipts from related activities", false, partTwoLine12,
    { nullptr, "", Shown::never }, false,
    { nullptr, "", Shown::never } },
} };

const std::array<ScheduleLine, 17> kPartThreeLines = { {
  { "1", "Gifts, grants, contributions, and membership fees received", true, gifts,
    { "!           Part III line  1 column", "", Shown::always }, false,
    { "!       Part III line  1 column f", " (Gifts, Grants etc.)", Shown::always } },
  { "2", "Admissions, merchandise, services, facilities (related activities)", true, admissionsAndSales,
    { "!           Part III line  2 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  2 column f", " (Admissions and Sales)", Shown::ifNonZero } },
  { "3", "Receipts from activities not an unrelated trade or business", true, relatedBusiness,
    { "!           Part III line  3 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  3 column f", " (Related Business)", Shown::ifNonZero } },
  { "4", "Tax revenues levied for the organization's benefit", true, taxRevenues,
    { "!           Part III line  4 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  4 column f", " (Tax revenues)", Shown::ifNonZero } },
  { "5", "Services or facilities furnished free by a governmental unit", true, governmentServices,
    { "!           Part III line  5 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  5 column f", " (Government Services)", Shown::ifNonZero } },
  { "6", "Total (lines 1 through 5)", true, partThreeLine6,
    { "!           Part III line  6 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  6 column f", " (Total Support)", Shown::ifNonZero } },
  { "7a", "Amounts on lines 1 to 3 from disqualified persons", true, partThreeLine7a,
    { "!           Part III line 7a column", "", Shown::ifNonZero }, false,
    { "!       Part III line 7a column f", " (Officer disqualified)", Shown::ifNonZero } },
  { "7b", "Lines 2 and 3 from others over the greater of $5,000 or 1% of line 13", true, partThreeLine7b,
    { "!           Part III line 7b column", "", Shown::ifNonZero }, false,
    { "!       Part III line 7b column f", " (large non-donation)", Shown::ifNonZero } },
  { "7c", "Add lines 7a and 7b", true, partThreeLine7c,
    { "!           Part III line 7c column", "", Shown::ifNonZero }, false,
    { "!       Part III line 7c column f", " (not public sum 7a+7b)", Shown::ifNonZero } },
  { "8", "Public support (line 6 minus line 7c)", false, partThreeLine8,
    { nullptr, "", Shown::never }, false,
    { "!       Part III line  8 column f", " (public support)", Shown::always } },
  { "9", "Amounts from line 6", true, partThreeLine9,
    { "!           Part III line  9 column", " (copy of line 6)", Shown::ifNonZero }, false,
    { "!       Part III line  9 column f", " (copy line 6)", Shown::ifPositive } },
  { "10a", "Interest, dividends, rents, royalties and similar income", true, investmentIncome,
    { "!           Part III line 10a column", "", Shown::ifNonZero }, false,
    { "!       Part III line 10a column f", " (Investment income)", Shown::ifPositive } },
  { "10b", "Unrelated business taxable income, businesses acquired after June 30, 1975", true, unrelatedIncome,
    { "!           Part III line 10b column", "", Shown::ifNonZero }, false,
    { "!       Part III line 10b column f", " (Unrelated Income)", Shown::ifPositive } },
  { "10c", "Add lines 10a and 10b", true, partThreeLine10c,
    { "!           Part III line 10c column", "", Shown::ifNonZero }, false,
    { "!       Part III line 10c column f", " (sum 10a + 10b)", Shown::ifPositive } },
  { "11", "Net income from unrelated business activities not on line 10b", true, oldBusinessIncome,
    { "!           Part III line 11 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  11 column f", "", Shown::ifPositive } },
  { "12", "Other income", true, otherIncome,
    { "!           Part III line 12 column", "", Shown::ifNonZero }, false,
    { "!       Part III line  12 column f", " (other income)", Shown::ifPositive } },
  { "13", "Total support (lines 9, 10c, 11 and 12)", true, partThreeLine13,
    { "!           Part III line 13 column", "", Shown::ifNonZero }, false,
    { "!       Part III line 13 column f", " (total support)", Shown::ifPositive } },
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
  if (line.year.label == nullptr || !isShown(line.year.shown, value)) {
    return;
  }
  reportText("%s %c%s%s%s\n", line.year.label, columnLetter(r), blankBeforeFigure ? " " : "",
             formatMoney(value, 12).text, line.year.note);
}

template <std::size_t N>
void printYearBlocks(const std::array<ScheduleLine, N>& lines, bool blankBeforeFigure) {
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    const FormYearRow& row = formYearTable[r];
    reportText("!       %ld\n", row.yearIndex + kBaseYear);
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
    if (isShown(line.total.shown, value)) {
      reportText("%s %s%s\n", line.total.label, formatMoney(value, 12).text, line.total.note);
    }
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

void reportGiverOverLimit(std::size_t index, const DonorRecord& donor, Amount total,
                          Amount excess) {
  if (sourceTypeOf(donor) == DAF) {
    warnDafGroup(index, donor.name.data());
  }
  if (verbosityLevel >= 2) {
    reportText("!         Donor[%zu] %s has total donations %s\n", index, donor.name.data(),
               formatMoney(total, 0).text);
    reportText("!         %s of which exceeds the 5 year two percent limit\n",
               formatMoney(excess, 12).text);
  }
}

void printPartTwo() {
  printYearBlocks(kPartTwoLines, true);
  FormYearRow columnF = sumOfRows(formYearTable);
  const Amount line11 = partTwoLine11(columnF);
  const Amount twoPercentLimit = twoPercentLimitOf(line11);
  if (verbosityLevel >= 1) {
    writeReport("!\n");
    writeReport("!   TWO PERCENT LIMIT calculation \n");
    reportText("!     %s is two percent of all donations\n", formatMoney(twoPercentLimit, 0).text);
  }
  columnF.twoPercentExcess =
      sumExcessOverTwoPercent(twoPercentLimit, latestFormYear, reportGiverOverLimit);
  const Amount line6 = partTwoLine6(columnF);
  printColumnF(kPartTwoLines, columnF);

  if (isInFirstFiveYears()) {
    writeReport("!       Part II line 13            check the box (first 5 years)\n");
    writeReport("!         The remainder of Part II is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  reportText("!       Part II line 14            %s (public support percentage)\n",
             formatPercent(line6, line11, 8).text);

  if (isOneThirdOrMore(line6, line11)) {
    writeReport("!       Part II line 16a support         OK (check the box)\n");
  } else {
    writeReport("!       Part II line 16a (33.3% support) FAILED (do not check the box)\n");
    if (isOneTenthOrMore(line6, line11)) {
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
  const Amount line10c = partThreeLine10c(columnF);
  const Amount line13 = partThreeLine13(columnF);

  if (isInFirstFiveYears()) {
    writeReport("!       Part III line 14             check the box (first 5 years)\n");
    writeReport("!         The remainder of Part III is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  reportText("!       Part III line 15 column f %s (public support percentage)\n",
             formatPercent(line8, line13, 12).text);
  reportText("!       Part III line 17 column f %s (investment income percentage)\n",
             formatPercent(line10c, line13, 12).text);

  // 509(a)(2) needs both: public support above one third and investment income at most a third.
  const bool supportAboveThird = isMoreThanOneThird(line8, line13);
  if (supportAboveThird && !isMoreThanOneThird(line10c, line13)) {
    writeReport("!       Part III line 19a 33% support        OK (check the box)\n");
  } else {
    writeReport("!       Part III line 19a support       FAILED (do not check the box)\n");
    if (supportAboveThird) {
      writeReport("!         Investment income is more than 33 1/3% of total support (line 17)\n");
    }
  }
}

}  // namespace

FormYearRow columnFOf(const std::array<FormYearRow, kFormYears>& rows, long lastYear,
                      ExcessVisitor visit) {
  FormYearRow columnF = sumOfRows(rows);
  columnF.twoPercentExcess =
      sumExcessOverTwoPercent(twoPercentLimitOf(partTwoLine11(columnF)), lastYear, visit);
  return columnF;
}

Amount partTwoPublicSupport(const FormYearRow& row) { return partTwoLine6(row); }
Amount partTwoTotalSupport(const FormYearRow& row) { return partTwoLine11(row); }
Amount partThreePublicSupport(const FormYearRow& row) { return partThreeLine8(row); }
Amount partThreeInvestmentIncome(const FormYearRow& row) { return partThreeLine10c(row); }
Amount partThreeTotalSupport(const FormYearRow& row) { return partThreeLine13(row); }

// The ledger keeps every amount below 10^15 cents, so ten times one cannot overflow.
bool isOneThirdOrMore(Amount part, Amount whole) { return whole > 0 && 3 * part >= whole; }
bool isMoreThanOneThird(Amount part, Amount whole) { return whole > 0 && 3 * part > whole; }
bool isOneTenthOrMore(Amount part, Amount whole) { return whole > 0 && 10 * part >= whole; }

bool isInFirstFiveYears() { return numberOfYears <= kYoungOrganisationYears; }

void printScheduleA() {
  writeReport("! FORM 990 INFORMATION Part II 509(a)(1)\n");
  if (firstDonationYear == -1) {
    writeReport("!   no donations at all\n");
    return;
  }
  printPartTwo();
  printPartThree();
}

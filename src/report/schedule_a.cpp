#include "report/schedule_a.hpp"

#include <cstddef>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

namespace {

// A period that starts at most five years after the first donation is the organisation's
// first five years.
constexpr long kYoungOrganisationYears = 5;

// Column e is the newest year (row 0), column a the oldest.
char columnLetter(std::size_t row) { return static_cast<char>('e' - static_cast<int>(row)); }

void writeValueLine(Amount value) { writeReport(composeLine("%s\n", formatMoney(value, 12))); }

// Column f sums of Part II, in the form's line numbers.
struct PartTwoSums {
  Amount line1 = 0;
  Amount line2 = 0;
  Amount line3 = 0;
  Amount line4 = 0;
  Amount line5 = 0;
  Amount line8 = 0;
  Amount line9 = 0;
  Amount line10 = 0;
};

void printPartTwoYearBlocks(PartTwoSums& sums) {
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    const FormYearRow& row = formYearTable[r];
    const char column = columnLetter(r);
    writeReport(composeLine("!       %ld\n", static_cast<long>(row.yearIndex) + kBaseYear));
    if (row.gifts != 0) {
      writeReport(composeLine("!            Part II line 1 column %c ", column));
      writeValueLine(row.gifts);
    }
    if (row.taxRevenues != 0) {
      writeReport(composeLine("!            Part II line 2 column %c ", column));
      writeValueLine(row.taxRevenues);
    }
    if (row.governmentServices != 0) {
      writeReport(composeLine("!            Part II line 3 column %c ", column));
      writeValueLine(row.governmentServices);
    }
    writeReport(composeLine("!            Part II line 4 column %c ", column));
    writeValueLine(row.partIITotal);
    if (row.partIITotal != 0) {
      writeReport(composeLine("!            Part II line 7 column %c ", column));
      writeReport(composeLine("%s (from line 4)\n", formatMoney(row.partIILine7, 12)));
    }
    sums.line1 += row.gifts;
    sums.line2 += row.taxRevenues;
    sums.line3 += row.governmentServices;
    sums.line4 += row.partIITotal;
  }
}

void printPartTwoIncomeLines(PartTwoSums& sums) {
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    if (formYearTable[r].investmentIncome != 0) {
      writeReport(composeLine("!            Part II line 8 column %c ", columnLetter(r)));
      writeValueLine(formYearTable[r].investmentIncome);
    }
    sums.line8 += formYearTable[r].investmentIncome;
  }
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    // The form's line 9 takes net income from every unrelated business activity, whether or
    // not it is regularly carried on: businesses acquired before July 1975 included.
    const Amount line9 = formYearTable[r].unrelatedIncome + formYearTable[r].oldBusinessIncome;
    if (line9 != 0) {
      writeReport(composeLine("!            Part II line 9 column %c ", columnLetter(r)));
      writeValueLine(line9);
    }
    sums.line9 += line9;
  }
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    if (formYearTable[r].otherIncome != 0) {
      writeReport(composeLine("!            Part II line 10 column %c ", columnLetter(r)));
      writeValueLine(formYearTable[r].otherIncome);
    }
    sums.line10 += formYearTable[r].otherIncome;
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
    writeReport(
        composeLine("!     %s is two percent of all donations\n", formatMoney(twoPercentLimit, 0)));
  }
  Amount line5 = 0;
  for (std::size_t i = 0; isDonorEntryInUse(i); ++i) {
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
                              donor.name.data(), formatMoney(donor.fiveYearTotal, 0)));
      writeReport(composeLine("!         %s of which exceeds the 5 year two percent limit\n",
                              formatMoney(excess, 12)));
    }
  }
  return line5;
}

void printPartTwo() {
  PartTwoSums sums;
  printPartTwoYearBlocks(sums);
  printPartTwoIncomeLines(sums);
  const Amount line11 = sums.line4 + sums.line8 + sums.line9 + sums.line10;
  const Amount twoPercentLimit = line11 / 50;
  sums.line5 = sumExcessOverTwoPercent(twoPercentLimit);
  const Amount line6 = sums.line4 - sums.line5;
  const Amount line7 = sums.line4;

  writeReport("!\n");
  writeReport("!   COLUMN F contains sums for all 5 years\n");
  writeReport(composeLine("!       Part II line  1 column f %s\n", formatMoney(sums.line1, 12)));
  if (sums.line2 != 0) {
    writeReport(composeLine("!       Part II line  2 column f %s\n", formatMoney(sums.line2, 12)));
  }
  if (sums.line3 != 0) {
    writeReport(composeLine("!       Part II line  3 column f %s\n", formatMoney(sums.line3, 12)));
  }
  writeReport(composeLine("!       Part II line  4 column f %s\n", formatMoney(sums.line4, 12)));
  if (sums.line5 != 0) {
    writeReport(composeLine("!       Part II line  5 column f %s (exceeds 2 percent)\n",
                            formatMoney(sums.line5, 12)));
  }
  writeReport(composeLine("!       Part II line  6 column f %s (public support)\n",
                          formatMoney(line6, 12)));
  writeReport(
      composeLine("!       Part II line  7 column f %s (from line 4)\n", formatMoney(line7, 12)));
  if (sums.line8 != 0) {
    writeReport(
        composeLine("!            Part II line  8 column f %s\n", formatMoney(sums.line8, 12)));
  }
  if (sums.line9 != 0) {
    writeReport(
        composeLine("!            Part II line  9 column f %s\n", formatMoney(sums.line9, 12)));
  }
  if (sums.line10 != 0) {
    writeReport(
        composeLine("!            Part II line 10 column f %s\n", formatMoney(sums.line10, 12)));
  }
  writeReport(composeLine("!       Part II line 11 column f %s (total support)\n",
                          formatMoney(line11, 12)));

  if (numberOfYears <= kYoungOrganisationYears) {
    writeReport("!       Part II line 13            check the box (first 5 years)\n");
    writeReport("!         The remainder of Part II is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  writeReport(composeLine("!       Part II line 14            %s (public support percentage)\n",
                          formatPercent(line6, line11, 8)));

  // The form's thresholds are exact fractions: one third exactly passes 16a, a tenth 17a.
  if (line11 > 0 && 3 * line6 >= line11) {
    writeReport("!       Part II line 16a support         OK (check the box)\n");
  } else {
    writeReport(
        composeLine("!       Part II line 16a (33.3%% support) FAILED (do not check the box)\n"));
    if (line11 > 0 && 10 * line6 >= line11) {
      writeReport(composeLine("!       Part II line 17a (10%% support) OK (check the box)\n"));
    } else {
      writeReport(
          composeLine("!       Part II line 17a (10%% support) FAILED (do not check the box)\n"));
    }
  }
  writeReport("!\n");
  writeReport("!\n");
}

// Column f sums of Part III, in the form's line numbers.
struct PartThreeSums {
  Amount line1 = 0;
  Amount line2 = 0;
  Amount line3 = 0;
  Amount line4 = 0;
  Amount line5 = 0;
  Amount line6 = 0;
  Amount line7a = 0;
  Amount line7b = 0;
  Amount line7c = 0;
  Amount line9 = 0;
  Amount line10a = 0;
  Amount line10b = 0;
  Amount line10c = 0;
  Amount line11 = 0;
  Amount line12 = 0;
  Amount line13 = 0;
};

// One per-year line from its composed label; zero values are left out unless always printed.
void printPartThreeLine(const char* label, Amount value, bool always) {
  if (value == 0 && !always) {
    return;
  }
  writeReport(label);
  writeValueLine(value);
}

void printPartThreeYearBlocks(PartThreeSums& sums) {
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    const FormYearRow& row = formYearTable[r];
    const char c = columnLetter(r);
    writeReport(composeLine("!       %ld\n", static_cast<long>(row.yearIndex) + kBaseYear));
    printPartThreeLine(composeLine("!           Part III line  1 column %c", c), row.gifts, true);
    printPartThreeLine(composeLine("!           Part III line  2 column %c", c),
                       row.admissionsAndSales, false);
    printPartThreeLine(composeLine("!           Part III line  3 column %c", c),
                       row.relatedBusiness, false);
    printPartThreeLine(composeLine("!           Part III line  4 column %c", c), row.taxRevenues,
                       false);
    printPartThreeLine(composeLine("!           Part III line  5 column %c", c),
                       row.governmentServices, false);
    printPartThreeLine(composeLine("!           Part III line  6 column %c", c), row.partIIITotal,
                       false);
    printPartThreeLine(composeLine("!           Part III line 7a column %c", c),
                       row.disqualifiedGifts, false);
    printPartThreeLine(composeLine("!           Part III line 7b column %c", c),
                       row.largeNonDonations, false);
    printPartThreeLine(composeLine("!           Part III line 7c column %c", c), row.notPublicSum,
                       false);
    if (row.partIIILine9 != 0) {
      writeReport(composeLine("!           Part III line  9 column %c", c));
      writeReport(composeLine("%s (copy of line 6)\n", formatMoney(row.partIIILine9, 12)));
    }
    printPartThreeLine(composeLine("!           Part III line 10a column %c", c),
                       row.investmentIncome, false);
    printPartThreeLine(composeLine("!           Part III line 10b column %c", c),
                       row.unrelatedIncome, false);
    printPartThreeLine(composeLine("!           Part III line 10c column %c", c),
                       row.investmentAndUnrelated, false);
    printPartThreeLine(composeLine("!           Part III line 11 column %c", c),
                       row.oldBusinessIncome, false);
    printPartThreeLine(composeLine("!           Part III line 12 column %c", c), row.otherIncome,
                       false);
    printPartThreeLine(composeLine("!           Part III line 13 column %c", c), row.totalSupport,
                       false);

    sums.line1 += row.gifts;
    sums.line2 += row.admissionsAndSales;
    sums.line3 += row.relatedBusiness;
    sums.line4 += row.taxRevenues;
    sums.line5 += row.governmentServices;
    sums.line6 += row.partIIITotal;
    sums.line7a += row.disqualifiedGifts;
    sums.line7b += row.largeNonDonations;
    sums.line7c += row.notPublicSum;
    sums.line9 += row.partIIILine9;
    sums.line10a += row.investmentIncome;
    sums.line10b += row.unrelatedIncome;
    sums.line10c += row.investmentAndUnrelated;
    sums.line11 += row.oldBusinessIncome;
    sums.line12 += row.otherIncome;
    sums.line13 += row.totalSupport;
  }
}

void printPartThree() {
  writeReport("! FORM 990 INFORMATION Part III 509(a)(2)\n");
  PartThreeSums sums;
  printPartThreeYearBlocks(sums);
  const Amount line8 = sums.line6 - sums.line7c;

  writeReport("!\n");
  writeReport("!   COLUMN F contains sums for all 5 years\n");
  writeReport(composeLine("!       Part III line  1 column f %s (Gifts, Grants etc.)\n",
                          formatMoney(sums.line1, 12)));
  if (sums.line2 != 0) {
    writeReport(composeLine("!       Part III line  2 column f %s (Admissions and Sales)\n",
                            formatMoney(sums.line2, 12)));
  }
  if (sums.line3 != 0) {
    writeReport(composeLine("!       Part III line  3 column f %s (Related Business)\n",
                            formatMoney(sums.line3, 12)));
  }
  if (sums.line4 != 0) {
    writeReport(composeLine("!       Part III line  4 column f %s (Tax revenues)\n",
                            formatMoney(sums.line4, 12)));
  }
  if (sums.line5 != 0) {
    writeReport(composeLine("!       Part III line  5 column f %s (Government Services)\n",
                            formatMoney(sums.line5, 12)));
  }
  if (sums.line6 != 0) {
    writeReport(composeLine("!       Part III line  6 column f %s (Total Support)\n",
                            formatMoney(sums.line6, 12)));
  }
  if (sums.line7a != 0) {
    writeReport(composeLine("!       Part III line 7a column f %s (Officer disqualified)\n",
                            formatMoney(sums.line7a, 12)));
  }
  if (sums.line7b != 0) {
    writeReport(composeLine("!       Part III line 7b column f %s (large non-donation)\n",
                            formatMoney(sums.line7b, 12)));
  }
  if (sums.line7c != 0) {
    writeReport(composeLine("!       Part III line 7c column f %s (not public sum 7a+7b)\n",
                            formatMoney(sums.line7c, 12)));
  }
  writeReport(composeLine("!       Part III line  8 column f %s (public support)\n",
                          formatMoney(line8, 12)));
  if (sums.line9 > 0) {
    writeReport(composeLine("!       Part III line  9 column f %s (copy line 6)\n",
                            formatMoney(sums.line9, 12)));
  }
  if (sums.line10a > 0) {
    writeReport(composeLine("!       Part III line 10a column f %s (Investment income)\n",
                            formatMoney(sums.line10a, 12)));
  }
  if (sums.line10b > 0) {
    writeReport(composeLine("!       Part III line 10b column f %s (Unrelated Income)\n",
                            formatMoney(sums.line10b, 12)));
  }
  if (sums.line10c > 0) {
    writeReport(composeLine("!       Part III line 10c column f %s (sum 10a + 10b)\n",
                            formatMoney(sums.line10c, 12)));
  }
  if (sums.line11 > 0) {
    writeReport(
        composeLine("!       Part III line  11 column f %s\n", formatMoney(sums.line11, 12)));
  }
  if (sums.line12 > 0) {
    writeReport(composeLine("!       Part III line  12 column f %s (other income)\n",
                            formatMoney(sums.line12, 12)));
  }
  if (sums.line13 > 0) {
    writeReport(composeLine("!       Part III line 13 column f %s (total support)\n",
                            formatMoney(sums.line13, 12)));
  }

  if (numberOfYears <= kYoungOrganisationYears) {
    writeReport("!       Part III line 14             check the box (first 5 years)\n");
    writeReport("!         The remainder of Part III is for reference only.\n");
    writeReport("!         The organization is less than 6 years old\n");
  }
  writeReport(composeLine("!       Part III line 15 column f %s (public support percentage)\n",
                          formatPercent(line8, sums.line13, 12)));
  writeReport(composeLine("!       Part III line 17 column f %s (investment income percentage)\n",
                          formatPercent(sums.line10c, sums.line13, 12)));

  // 509(a)(2) needs both: public support above one third and investment income at most a third.
  const bool supportAboveThird = sums.line13 > 0 && 3 * line8 > sums.line13;
  const bool investmentWithinThird = 3 * sums.line10c <= sums.line13;
  if (supportAboveThird && investmentWithinThird) {
    writeReport(composeLine("!       Part III line 19a 33%% support        OK (check the box)\n"));
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

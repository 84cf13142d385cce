#include "ledger/schedule_a_figures.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/growing_list.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "ledger/year_amounts.hpp"

namespace {

// Part III line 7b: each large receipt is counted above the greater of $5,000 and 1% of the
// year's total support.
constexpr Amount kLargeReceiptFloor = 500000;
constexpr Amount kLargeReceiptFloorSupport = 50000000;
// A period that starts at most five years after the first donation is the organisation's
// first five years.
constexpr long kYoungOrganisationYears = 5;

// Every Amount field of a row: column f is their sum. Part II lines 5 and 6 are 0 in a year's
// row and set in column f afterwards.
constexpr Amount FormYearRow::*kSummedFields[] = {
  &FormYearRow::gifts,
  &FormYearRow::admissionsAndSales,
  &FormYearRow::relatedBusiness,
  &FormYearRow::taxRevenues,
  &FormYearRow::governmentServices,
  &FormYearRow::partIITotal,
  &FormYearRow::twoPercentExcess,
  &FormYearRow::partIIPublicSupport,
  &FormYearRow::partIILine7,
  &FormYearRow::partIILine9,
  &FormYearRow::partIITotalSupport,
  &FormYearRow::partIIRelatedReceipts,
  &FormYearRow::partIIITotal,
  &FormYearRow::disqualifiedGifts,
  &FormYearRow::largeNonDonations,
  &FormYearRow::notPublicSum,
  &FormYearRow::partIIIPublicSupport,
  &FormYearRow::partIIILine9,
  &FormYearRow::investmentIncome,
  &FormYearRow::unrelatedIncome,
  &FormYearRow::investmentAndUnrelated,
  &FormYearRow::oldBusinessIncome,
  &FormYearRow::otherIncome,
  &FormYearRow::totalSupport,
  &FormYearRow::largeNonDonationLimit,
};

constexpr bool eachFieldSummedOnce() {
  for (std::size_t i = 0; i < std::size(kSummedFields); ++i) {
    for (std::size_t j = i + 1; j < std::size(kSummedFields); ++j) {
      if (kSummedFields[i] == kSummedFields[j]) {
        return false;
      }
    }
  }
  return true;
}
// A field left out of the sum would print 0 in column f without any other sign.
static_assert(eachFieldSummedOnce(), "a field is listed twice in kSummedFields");
static_assert(offsetof(FormYearRow, gifts) + std::size(kSummedFields) * sizeof(Amount) ==
                  sizeof(FormYearRow),
              "every Amount field of FormYearRow must be in kSummedFields");

// The five rows of the period and the year before them, newest first: the prior year's period
// is rows 1 to 5, and a year's row is the same in either period.
constexpr std::size_t kRowsWithPrior = kFormYears + 1;
using YearRows = std::array<FormYearRow, kRowsWithPrior>;
using RowAmounts = std::array<Amount, kRowsWithPrior>;

// The years the rows count: the period's last one, and the first whose amounts count at all
// (the organization's first tax year), as table indexes.
struct CountedYears {
  long lastIndex;
  long firstIndex;
};

// A donor's amounts in the rows' years, from one walk over the years it gave in (increasing).
RowAmounts rowAmountsOf(const DonorRecord& donor, CountedYears counted) {
  RowAmounts amounts{};
  const DonorYears& years = donor.yearAmounts;
  for (std::size_t k = 0; k < years.count; ++k) {
    const long year = years.yearAt(k);
    const long r = counted.lastIndex - year;
    if (r < 0) {
      break;
    }
    if (r < static_cast<long>(kRowsWithPrior) && year >= counted.firstIndex) {
      amounts[static_cast<std::size_t>(r)] = years.amountAt(k);
    }
  }
  return amounts;
}

void addToRows(YearRows& rows, Amount FormYearRow::*field, const RowAmounts& amounts) {
  if (field == nullptr) {
    return;
  }
  for (std::size_t r = 0; r < kRowsWithPrior; ++r) {
    rows[r].*field += amounts[r];
  }
}

// Column (a) is the oldest year: row 4.
std::size_t rowIndexOfColumn(std::size_t column) { return kFormYears - 1 - column; }

void addExcludedGiver(std::size_t index, const RowAmounts& amounts,
                      GrowingList<DetailName>& lineSevenA) {
  DetailName name{ index, {}, {}, 0 };
  bool any = false;
  for (std::size_t c = 0; c < kFormYears; ++c) {
    const Amount amount = amounts[rowIndexOfColumn(c)];
    name.amount[c] = amount;
    name.counted[c] = amount;
    name.total += amount;
    any = any || amount != 0;
  }
  if (any) {
    pushItem(lineSevenA, name);
  }
}

// The rows' raw fields and the line 7a detail, from one walk over the used entries.
YearRows addUpRows(const DonorTable& donors, std::size_t used, CountedYears counted,
                   GrowingList<DetailName>& lineSevenA) {
  YearRows rows{};
  for (std::size_t d = 0; d < used; ++d) {
    const DonorRecord& donor = donors[d];
    const RowFields fields = rowFieldsOf(sourceTypeOf(donor));
    const RowAmounts amounts = rowAmountsOf(donor, counted);
    addToRows(rows, fields.first, amounts);
    addToRows(rows, fields.second, amounts);
    if (fields.second == &FormYearRow::disqualifiedGifts) {
      addExcludedGiver(d, amounts, lineSevenA);
    }
  }
  return rows;
}

// The form aggregates the net income of a year's unrelated businesses and enters -0- for a net
// loss, which would otherwise shrink total support.
Amount netIncomeEntered(Amount sum) { return sum < 0 ? 0 : sum; }

// The lines of unrelated business income whose sums are losses in the row's year, in the
// order Part II line 9, Part III line 10b, Part III line 11.
void noteNetLosses(const FormYearRow& row, ScheduleAFigures& figures) {
  const struct {
    const char* part;
    const char* line;
    Amount sum;
  } lines[] = {
    { "II", "9", row.unrelatedIncome + row.oldBusinessIncome },
    { "III", "10b", row.unrelatedIncome },
    { "III", "11", row.oldBusinessIncome },
  };
  // Called once for each year of the period: kMostNetLosses holds three lines of each.
  for (const auto& line : lines) {
    if (line.sum < 0) {
      figures.netLosses[figures.netLossCount++] =
          NetLoss{ row.yearIndex + kBaseYear, line.part, line.line, line.sum };
    }
  }
}

void setDerivedFields(FormYearRow& row) {
  row.partIITotal = row.gifts + row.taxRevenues + row.governmentServices;
  row.partIILine7 = row.partIITotal;
  // The form's line 9 takes net income from every unrelated business activity, whether or not
  // it is regularly carried on: businesses acquired before July 1975 included. Part III keeps
  // the two apart, each entered on its own.
  row.partIILine9 = netIncomeEntered(row.unrelatedIncome + row.oldBusinessIncome);
  row.unrelatedIncome = netIncomeEntered(row.unrelatedIncome);
  row.oldBusinessIncome = netIncomeEntered(row.oldBusinessIncome);
  row.partIITotalSupport =
      row.partIITotal + row.investmentIncome + row.partIILine9 + row.otherIncome;
  // Receipts from related activities: what Part III has on its lines 2 and 3.
  row.partIIRelatedReceipts = row.admissionsAndSales + row.relatedBusiness;
  row.partIIITotal = row.gifts + row.admissionsAndSales + row.relatedBusiness + row.taxRevenues +
                     row.governmentServices;
  row.partIIILine9 = row.partIIITotal;
  row.investmentAndUnrelated = row.investmentIncome + row.unrelatedIncome;
  row.totalSupport =
      row.partIIILine9 + row.investmentAndUnrelated + row.oldBusinessIncome + row.otherIncome;
  row.largeNonDonationLimit =
      row.totalSupport < kLargeReceiptFloorSupport ? kLargeReceiptFloor : row.totalSupport / 100;
}

Amount largeReceiptExcess(Amount amount, Amount limit) {
  return amount > limit ? amount - limit : 0;
}

// Line 7b: each receipt is tested against the limit of its own year, one source at a time.
void addLargeReceipts(const DonorTable& donors, std::size_t used, CountedYears counted,
                      YearRows& rows, GrowingList<DetailName>& lineSevenB) {
  for (std::size_t d = 0; d < used; ++d) {
    if (!isLargeReceiptTested(sourceTypeOf(donors[d]))) {
      continue;
    }
    const RowAmounts amounts = rowAmountsOf(donors[d], counted);
    RowAmounts excess{};
    for (std::size_t r = 0; r < kRowsWithPrior; ++r) {
      excess[r] = largeReceiptExcess(amounts[r], rows[r].largeNonDonationLimit);
      rows[r].largeNonDonations += excess[r];
    }
    DetailName name{ d, {}, {}, 0 };
    bool any = false;
    for (std::size_t c = 0; c < kFormYears; ++c) {
      const std::size_t r = rowIndexOfColumn(c);
      name.amount[c] = amounts[r];
      name.counted[c] = excess[r];
      name.total += excess[r];
      any = any || excess[r] > 0;
    }
    if (any) {
      pushItem(lineSevenB, name);
    }
  }
}

// Column f: the field-by-field sum of the five rows from first on.
FormYearRow sumOfRows(const FormYearRow* first) {
  FormYearRow sum{};
  for (std::size_t r = 0; r < kFormYears; ++r) {
    for (Amount FormYearRow::*field : kSummedFields) {
      sum.*field += first[r].*field;
    }
  }
  return sum;
}

// Never below 0: with negative total support every giver would be over it by more than it gave.
Amount twoPercentLimitOf(const FormYearRow& columnF) {
  return columnF.partIITotalSupport < 0 ? 0 : columnF.partIITotalSupport / 50;
}

// Part II line 5 of the period and of the prior one.
struct LineFive {
  Amount current;
  Amount prior;
};

// What each tested giver's five-year totals give over the limits (never below 0, so a giver
// whose total is not above 0 gives nothing over them), in table order; the givers over the
// period's limit are listed.
LineFive twoPercentExcess(const DonorTable& donors, std::size_t used, CountedYears counted,
                          LineFive limits, GrowingList<GiverOverLimit>& over) {
  LineFive sum{ 0, 0 };
  for (std::size_t d = 0; d < used; ++d) {
    if (!isTwoPercentTested(sourceTypeOf(donors[d]))) {
      continue;
    }
    const RowAmounts amounts = rowAmountsOf(donors[d], counted);
    Amount current = 0;
    for (std::size_t r = 0; r < kFormYears; ++r) {
      current += amounts[r];
    }
    const Amount prior = current - amounts[0] + amounts[kFormYears];
    if (current > limits.current) {
      sum.current += current - limits.current;
      pushItem(over, GiverOverLimit{ d, current, current - limits.current });
    }
    if (prior > limits.prior) {
      sum.prior += prior - limits.prior;
    }
  }
  return sum;
}

void setColumnFOnly(FormYearRow& columnF, Amount twoPercentExcess) {
  columnF.twoPercentExcess = twoPercentExcess;
  columnF.partIIPublicSupport = columnF.partIITotal - columnF.twoPercentExcess;
}

// The form's thresholds as exact fractions of a positive whole; the ledger keeps every amount
// below 10^15 cents, so ten times one cannot overflow.
bool isOneThirdOrMore(Fraction f) { return f.whole > 0 && 3 * f.part >= f.whole; }
bool isMoreThanOneThird(Fraction f) { return f.whole > 0 && 3 * f.part > f.whole; }
bool isOneTenthOrMore(Fraction f) { return f.whole > 0 && 10 * f.part >= f.whole; }

// 509(a)(2) needs both: public support above one third and investment income at most a third.
SupportTests testsOf(Fraction partTwoSupport, Fraction partThreeSupport, Fraction investment) {
  SupportTests tests{};
  tests.partTwoOneThird = isOneThirdOrMore(partTwoSupport);
  tests.partTwoOneTenth = isOneTenthOrMore(partTwoSupport);
  tests.partThreeSupport = isMoreThanOneThird(partThreeSupport);
  tests.partThreeInvestment = isMoreThanOneThird(investment);
  tests.partThree19a = tests.partThreeSupport && !tests.partThreeInvestment;
  return tests;
}

PartTwoBox partTwoBoxOf(const ScheduleAFigures& figures) {
  if (figures.firstFiveYears) {
    return PartTwoBox::line13;
  }
  if (figures.current.partTwoOneThird) {
    return PartTwoBox::line16a;
  }
  if (figures.prior.partTwoOneThird) {
    return PartTwoBox::line16b;
  }
  if (figures.current.partTwoOneTenth) {
    return PartTwoBox::line17a;
  }
  if (figures.prior.partTwoOneTenth) {
    return PartTwoBox::line17b;
  }
  return PartTwoBox::line18;
}

PartThreeBox partThreeBoxOf(const ScheduleAFigures& figures) {
  if (figures.firstFiveYears) {
    return PartThreeBox::line14;
  }
  if (figures.current.partThree19a) {
    return PartThreeBox::line19a;
  }
  if (figures.prior.partThree19a) {
    return PartThreeBox::line19b;
  }
  return PartThreeBox::line20;
}

// The rows, column f with line 5, and the detail lists of the period ending lastYear; the
// prior year's column f when it is shown and its period lies in the table.
void fillPeriod(ScheduleAFigures& figures, const DonorTable& donors, long firstYear) {
  const CountedYears counted{ figures.lastYear - kBaseYear, firstYear - kBaseYear };
  const std::size_t used = usedEntriesOf(donors);
  YearRows rows = addUpRows(donors, used, counted, figures.lineSevenA);
  // Without donations the rows stay empty, limits included, though a given year still has
  // each giver's amounts over it. The losses are those of the period's years, oldest first.
  if (figures.periodComputed) {
    for (std::size_t k = kRowsWithPrior; k > 0; --k) {
      const std::size_t r = k - 1;
      rows[r].yearIndex = counted.lastIndex - static_cast<long>(r);
      if (r < kFormYears) {
        noteNetLosses(rows[r], figures);
      }
      setDerivedFields(rows[r]);
    }
  }
  addLargeReceipts(donors, used, counted, rows, figures.lineSevenB);
  for (FormYearRow& row : rows) {
    row.notPublicSum = row.disqualifiedGifts + row.largeNonDonations;
    row.partIIIPublicSupport = row.partIIITotal - row.notPublicSum;
  }
  if (figures.periodComputed) {
    std::copy(rows.begin(), rows.begin() + kFormYears, figures.rows.begin());
  }
  figures.columnF = sumOfRows(figures.rows.data());
  figures.twoPercentLimit = twoPercentLimitOf(figures.columnF);
  FormYearRow prior = sumOfRows(rows.data() + 1);
  const LineFive excess =
      twoPercentExcess(donors, used, counted, { figures.twoPercentLimit, twoPercentLimitOf(prior) },
                       figures.giversOverLimit);
  setColumnFOnly(figures.columnF, excess.current);
  if (figures.priorShown && isPeriodEnd(figures.lastYear - 1)) {
    setColumnFOnly(prior, excess.prior);
    figures.priorColumnF = prior;
  }
}

// A percentage line; total support below 0 has no percentage, as none has 0.
Fraction percentageOf(Amount part, Amount whole) { return Fraction{ part, whole < 0 ? 0 : whole }; }

// The percentages and tests of this year's and the prior year's column f, and the boxes.
void setPercentagesAndBoxes(ScheduleAFigures& figures) {
  const FormYearRow& now = figures.columnF;
  figures.partTwoSupportBelowZero = now.partIITotalSupport < 0;
  figures.partThreeSupportBelowZero = now.totalSupport < 0;
  figures.partTwoLine14 = percentageOf(now.partIIPublicSupport, now.partIITotalSupport);
  figures.partThreeLine15 = percentageOf(now.partIIIPublicSupport, now.totalSupport);
  figures.partThreeLine17 = percentageOf(now.investmentAndUnrelated, now.totalSupport);
  figures.current =
      testsOf(figures.partTwoLine14, figures.partThreeLine15, figures.partThreeLine17);
  const FormYearRow& prior = figures.priorColumnF;
  figures.partTwoLine15 = percentageOf(prior.partIIPublicSupport, prior.partIITotalSupport);
  figures.partThreeLine16 = percentageOf(prior.partIIIPublicSupport, prior.totalSupport);
  figures.partThreeLine18 = percentageOf(prior.investmentAndUnrelated, prior.totalSupport);
  figures.prior = testsOf(figures.partTwoLine15, figures.partThreeLine16, figures.partThreeLine18);
  figures.partTwoBox = partTwoBoxOf(figures);
  figures.partThreeBox = partThreeBoxOf(figures);
}

}  // namespace

ScheduleAFigures scheduleAFigures(const LedgerTotals& totals, const DonorTable& donors) {
  ScheduleAFigures figures{};
  figures.lastYear = totals.latestFormYear;
  figures.taxYearStartMonth = donors.taxYearStartMonth;
  figures.anyDonations = totals.firstDonationYear != -1;
  figures.periodComputed = figures.anyDonations && isPeriodEnd(figures.lastYear);
  figures.firstFiveYears = totals.numberOfYears <= kYoungOrganisationYears;
  figures.priorShown = figures.periodComputed && !figures.firstFiveYears;
  if (isPeriodEnd(figures.lastYear)) {
    fillPeriod(figures, donors, firstCountedYear(totals));
  }
  figures.listsCut =
      figures.giversOverLimit.cut || figures.lineSevenA.cut || figures.lineSevenB.cut;
  setPercentagesAndBoxes(figures);
  return figures;
}

void releaseScheduleAFigures(ScheduleAFigures& figures) {
  releaseItems(figures.giversOverLimit);
  releaseItems(figures.lineSevenA);
  releaseItems(figures.lineSevenB);
}

#include "ledger/schedule_a_figures.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "ledger/disqualified_persons.hpp"
#include "ledger/donor_groups.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/growing_list.hpp"
#include "ledger/period_amounts.hpp"
#include "ledger/period_groups.hpp"
#include "ledger/source_type.hpp"
#include "ledger/substantial_contributors.hpp"
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

void addToRows(YearRows& rows, Amount FormYearRow::*field, const RowAmounts& amounts) {
  if (field == nullptr) {
    return;
  }
  for (std::size_t r = 0; r < kRowsWithPrior; ++r) {
    rows[r].*field += amounts[r];
  }
}

// The rows' raw fields, from one walk over the used entries.
YearRows addUpRows(const PeriodInputs& inputs) {
  YearRows rows{};
  for (std::size_t d = 0; d < inputs.used; ++d) {
    const DonorRecord& donor = inputs.donors[d];
    const RowFields fields = rowFieldsOf(sourceTypeOf(donor));
    if (fields.first == nullptr) {
      continue;
    }
    const RowAmounts amounts = rowAmountsOf(donor, inputs.counted);
    addToRows(rows, fields.first, amounts);
    addToRows(rows, fields.second, amounts);
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
void addLargeReceipts(const PeriodInputs& inputs, YearRows& rows,
                      GrowingList<DetailName>& lineSevenB) {
  for (std::size_t d = 0; d < inputs.used; ++d) {
    if (!isLargeReceiptTested(sourceTypeOf(inputs.donors[d]))) {
      continue;
    }
    const RowAmounts amounts = rowAmountsOf(inputs.donors[d], inputs.counted);
    RowAmounts excess{};
    for (std::size_t r = 0; r < kRowsWithPrior; ++r) {
      excess[r] = largeReceiptExcess(amounts[r], rows[r].largeNonDonationLimit);
      rows[r].largeNonDonations += excess[r];
    }
    DetailName name{ d, {}, {}, 0, Disqualified::byType, -1 };
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

// Unusual grants count on no line: their sums by year are listed for Part VI.
void addUnusualGrants(const PeriodInputs& inputs, ScheduleAFigures& figures) {
  for (std::size_t d = 0; d < inputs.used; ++d) {
    if (!isUnusualGrant(sourceTypeOf(inputs.donors[d]))) {
      continue;
    }
    const RowAmounts amounts = rowAmountsOf(inputs.donors[d], inputs.counted);
    DetailName name{ d, {}, {}, 0, Disqualified::byType, -1 };
    bool any = false;
    for (std::size_t c = 0; c < kFormYears; ++c) {
      const Amount amount = amounts[rowIndexOfColumn(c)];
      name.amount[c] = amount;
      name.counted[c] = amount;
      name.total += amount;
      figures.unusualByColumn[c] += amount;
      any = any || amount != 0;
    }
    if (any) {
      pushItem(figures.unusualGrants, name);
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

// A tested giver's five-year totals, this period's and the prior one's: a group's, counted
// once at its first member, or a name's own; false for a member counted with its group.
bool giverTotals(const PeriodInputs& inputs, std::size_t d, LineFive& totals) {
  if (const PeriodGroup* group = periodGroupOf(inputs, d)) {
    totals = LineFive{ group->current, group->prior };
    return group->firstMember == d;
  }
  const RowAmounts amounts = rowAmountsOf(inputs.donors[d], inputs.counted);
  totals = LineFive{ periodSumOf(amounts, 0), periodSumOf(amounts, 1) };
  return true;
}

// What each tested giver's five-year totals give over the limits (never below 0, so a giver
// whose total is not above 0 gives nothing over them), in table order; the givers over the
// period's limit are listed. Related names are one giver: their group's totals are tested once.
LineFive twoPercentExcess(const PeriodInputs& inputs, LineFive limits,
                          GrowingList<GiverOverLimit>& over) {
  LineFive sum{ 0, 0 };
  for (std::size_t d = 0; d < inputs.used; ++d) {
    LineFive totals{ 0, 0 };
    if (!isTwoPercentTested(sourceTypeOf(inputs.donors[d])) || !giverTotals(inputs, d, totals)) {
      continue;
    }
    if (totals.current > limits.current) {
      sum.current += totals.current - limits.current;
      const std::uint32_t group =
          inputs.groups.byGroup != nullptr ? donorGroupOf(inputs.donors.groups, d) : 0;
      const std::size_t related =
          group != 0 ? donorGroupMembers(inputs.donors.groups, group) - 1 : 0;
      pushItem(over,
               GiverOverLimit{ d, totals.current, totals.current - limits.current, related, 0, 0 });
    }
    if (totals.prior > limits.prior) {
      sum.prior += totals.prior - limits.prior;
    }
  }
  return sum;
}

// A member of a group of related names, other than its first, and the group's first.
struct MemberOfGroup {
  std::size_t firstMember;
  GroupMember member;
};

// The members of the groups over the limit, other than the first, that have a five-year amount:
// after their group's entry, in table order. Once every giver is known, since a group's entry
// stands at its first member.
void listGroupMembers(const PeriodInputs& inputs, ScheduleAFigures& figures) {
  if (inputs.groups.byGroup == nullptr) {
    return;
  }
  GrowingList<MemberOfGroup> members;
  for (std::size_t d = 0; d < inputs.used; ++d) {
    const PeriodGroup* group = periodGroupOf(inputs, d);
    if (group == nullptr || group->firstMember == d) {
      continue;
    }
    const Amount total = periodSumOf(rowAmountsOf(inputs.donors[d], inputs.counted), 0);
    if (total != 0) {
      pushItem(members, MemberOfGroup{ group->firstMember, GroupMember{ d, total } });
    }
  }
  std::sort(members.items, members.items + members.count,
            [](const MemberOfGroup& a, const MemberOfGroup& b) {
              return a.firstMember != b.firstMember ? a.firstMember < b.firstMember
                                                    : a.member.index < b.member.index;
            });
  std::size_t next = 0;
  GrowingList<GiverOverLimit>& givers = figures.giversOverLimit;
  for (std::size_t g = 0; g < givers.count; ++g) {
    GiverOverLimit& giver = givers.items[g];
    while (next < members.count && members.items[next].firstMember < giver.index) {
      ++next;
    }
    giver.firstMember = figures.giverMembers.count;
    for (; next < members.count && members.items[next].firstMember == giver.index; ++next) {
      if (pushItem(figures.giverMembers, members.items[next].member)) {
        ++giver.memberCount;
      }
    }
  }
  figures.listsCut = figures.listsCut || members.cut;
  releaseItems(members);
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

// The rows' derived fields and lines 7b and 7c; the period's rows into the figures.
void fillRows(ScheduleAFigures& figures, const PeriodInputs& inputs, YearRows& rows) {
  // Without donations the rows stay empty, limits included, though a given year still has
  // each giver's amounts over it. The losses are those of the period's years, oldest first.
  if (figures.periodComputed) {
    for (std::size_t k = kRowsWithPrior; k > 0; --k) {
      const std::size_t r = k - 1;
      rows[r].yearIndex = inputs.counted.lastIndex - static_cast<long>(r);
      if (r < kFormYears) {
        noteNetLosses(rows[r], figures);
      }
      setDerivedFields(rows[r]);
    }
  }
  addLargeReceipts(inputs, rows, figures.lineSevenB);
  for (FormYearRow& row : rows) {
    row.notPublicSum = row.disqualifiedGifts + row.largeNonDonations;
    row.partIIIPublicSupport = row.partIIITotal - row.notPublicSum;
  }
  if (figures.periodComputed) {
    std::copy(rows.begin(), rows.begin() + kFormYears, figures.rows.begin());
  }
}

// Column f with line 5, the givers over the limit, and the prior year's column f when it is
// shown and its period lies in the table.
void fillColumnF(ScheduleAFigures& figures, const PeriodInputs& inputs, const YearRows& rows) {
  figures.columnF = sumOfRows(figures.rows.data());
  figures.twoPercentLimit = twoPercentLimitOf(figures.columnF);
  FormYearRow prior = sumOfRows(rows.data() + 1);
  const LineFive excess = twoPercentExcess(
      inputs, { figures.twoPercentLimit, twoPercentLimitOf(prior) }, figures.giversOverLimit);
  listGroupMembers(inputs, figures);
  setColumnFOnly(figures.columnF, excess.current);
  if (figures.priorShown && isPeriodEnd(figures.lastYear - 1)) {
    setColumnFOnly(prior, excess.prior);
    figures.priorColumnF = prior;
  }
}

// Every figure of the period ending lastYear (inside the table), from the donors' amounts of
// the years from the organization's first tax year on; who is a substantial contributor, from
// every year of the lists.
void fillPeriod(ScheduleAFigures& figures, const DonorTable& donors, const LedgerTotals& totals) {
  const CountedYears counted{ figures.lastYear - kBaseYear, firstCountedYear(totals) - kBaseYear };
  const std::size_t used = usedEntriesOf(donors);
  const ContributionsToDate toDate =
      contributionsToDate(donors, used, totals.firstDonationYear, figures.lastYear);
  PeriodGroups groups = periodGroupsOf(donors, used, counted, toDate);
  figures.groupsLost = groups.lost;
  const PeriodInputs inputs{ donors, used, counted, toDate, groups };
  YearRows rows = addUpRows(inputs);
  addDisqualifiedPersons(inputs, rows, figures);
  fillRows(figures, inputs, rows);
  fillColumnF(figures, inputs, rows);
  addUnusualGrants(inputs, figures);
  releasePeriodGroups(groups);
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
    fillPeriod(figures, donors, totals);
  }
  figures.listsCut = figures.listsCut || figures.giversOverLimit.cut || figures.giverMembers.cut ||
                     figures.lineSevenA.cut || figures.contributorLines.cut ||
                     figures.lineSevenB.cut || figures.unusualGrants.cut;
  setPercentagesAndBoxes(figures);
  return figures;
}

void releaseScheduleAFigures(ScheduleAFigures& figures) {
  releaseItems(figures.giversOverLimit);
  releaseItems(figures.giverMembers);
  releaseItems(figures.lineSevenA);
  releaseItems(figures.contributorLines);
  releaseItems(figures.lineSevenB);
  releaseItems(figures.unusualGrants);
}

#ifndef QUORVA_LEDGER_SCHEDULE_A_FIGURES_HPP
#define QUORVA_LEDGER_SCHEDULE_A_FIGURES_HPP

#include <array>
#include <cstddef>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/growing_list.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"

/// The one box of Part II that the form's cascade checks.
enum class PartTwoBox { line13, line16a, line16b, line17a, line17b, line18 };
/// The one box of Part III that the form's cascade checks.
enum class PartThreeBox { line14, line19a, line19b, line20 };

/// A percentage line as the exact fraction part / whole (cents over cents); a whole of 0 has
/// no percentage, and a total support below 0 gives a whole of 0.
struct Fraction {
  Amount part;
  Amount whole;
};

/// The support tests of one period's column f, each on its own; all false without total support.
struct SupportTests {
  bool partTwoOneThird;      ///< Part II line 14 (or 15) is 33 1/3% or more: 16a (16b)
  bool partTwoOneTenth;      ///< Part II line 14 (or 15) is 10% or more: 17a (17b)
  bool partThreeSupport;     ///< Part III line 15 (or 16) is more than 33 1/3%
  bool partThreeInvestment;  ///< Part III line 17 (or 18) is more than 33 1/3%
  bool partThree19a;         ///< partThreeSupport and not partThreeInvestment: 19a (19b)
};

/// A tested giver whose five-year total is over the two percent limit (Part II line 5): a name,
/// or a group of related names, which counts as one giver.
struct GiverOverLimit {
  std::size_t index;        ///< the giver's index in the donor table; a group's first member's
  Amount fiveYearTotal;     ///< its amounts (its members' amounts) over the period (cents)
  Amount excess;            ///< what it gives over the limit (cents, above 0)
  std::size_t related;      ///< the other members of its group; 0 for a name alone
  std::size_t firstMember;  ///< its other members with a five-year amount: memberCount of
  std::size_t memberCount;  ///< ScheduleAFigures::giverMembers from firstMember
};

/// A member of a group over the two percent limit, other than the first.
struct GroupMember {
  std::size_t index;     ///< the member's index in the donor table
  Amount fiveYearTotal;  ///< its amounts over the period (cents), not 0
};

/// Why a name of the Part III line 7a detail is a disqualified person.
enum class Disqualified : unsigned char {
  byType,                  ///< its keyword: an officer, director, trustee or family member
  substantialContributor,  ///< its gifts (from substantialFrom on)
  relatedToContributor,    ///< a member of a substantial contributor's group
};

/// One name of the Part III line 7a or 7b detail or of the unusual grants, its figures by
/// column: [0] is column (a), the oldest year. A year is listed when its counted figure is not 0.
struct DetailName {
  std::size_t index;                       ///< the source's index in the donor table
  std::array<Amount, kFormYears> amount;   ///< the year's amount (cents)
  std::array<Amount, kFormYears> counted;  ///< 7a: the amount of a year counted; 7b: its excess
                                           ///< over the year's limit; unusual: the amount (cents)
  Amount total;                            ///< the sum of counted
  Disqualified disqualified;               ///< 7a: why it is on the line; byType elsewhere
  long substantialFrom;                    ///< a substantial contributor's (tax) year; else -1
};

/// One line of the report's list of the substantial contributors on Part III line 7a: one of
/// them, or a member of its group listed under the one before it.
struct ContributorLine {
  std::size_t index;     ///< the name's index in the donor table
  long substantialFrom;  ///< the (tax) year it became one; -1 for a related member
};

/// A line of unrelated business income whose sum in a year of the period is a loss: the form
/// enters 0 for it.
struct NetLoss {
  long year;         ///< the (tax) year
  const char* part;  ///< "II" or "III"
  const char* line;  ///< "9" (Part II), "10b" or "11" (Part III)
  Amount sum;        ///< the year's sum on that line (cents, below 0)
};
/// The most losses a period can have: three lines in each of its years.
constexpr std::size_t kMostNetLosses = std::size_t{ 3 } * kFormYears;

/// Every Schedule A figure of a run: both Parts' lines by year and in column f, the
/// percentages, the tests, the box each Part checks and the rows of the detail lists. The
/// givers over the limit and the detail lists come from the donors' amounts whenever the
/// period's years lie in the table, even when a given last year has no donations to fill the
/// rows with.
struct ScheduleAFigures {
  long lastYear;          ///< (tax) year of column (e): the period's last year
  int taxYearStartMonth;  ///< 1 to 12: the month each year begins in (1: calendar years)
  bool anyDonations;      ///< some year has a non-zero total
  bool periodComputed;    ///< the rows hold a period: donations and a last year inside the table
  bool firstFiveYears;    ///< Part II line 13 and Part III line 14: the period ends within five
                          ///< years of the first donation (or before it)
  /// The five rows, newest year (column e) first; all zero unless periodComputed.
  std::array<FormYearRow, kFormYears> rows;
  FormYearRow columnF;     ///< column f: the rows' sum, with Part II lines 5 and 6
  Amount twoPercentLimit;  ///< two percent of Part II line 11, column f
  /// The tested givers over twoPercentLimit (DAF groups included), in table order; a group of
  /// related names where its first member stands.
  GrowingList<GiverOverLimit> giversOverLimit;
  /// The other members, with a five-year amount, of the groups among giversOverLimit.
  GrowingList<GroupMember> giverMembers;
  /// Part II line 11 (Part III line 13) column f is below 0: that Part has no percentages.
  bool partTwoSupportBelowZero;
  bool partThreeSupportBelowZero;
  Fraction partTwoLine14;    ///< line 6 / line 11, column f
  Fraction partThreeLine15;  ///< line 8 / line 13, column f
  Fraction partThreeLine17;  ///< line 10c / line 13, column f
  SupportTests current;      ///< the tests of this year's lines 14, 15 and 17
  /// The prior year's figures are shown: not the first five years, and periodComputed.
  bool priorShown;
  /// Column f of the five years ending a year earlier, with its own line 5; all zero unless
  /// priorShown, and when that period starts before the table.
  FormYearRow priorColumnF;
  Fraction partTwoLine15;     ///< the prior year's line 14
  Fraction partThreeLine16;   ///< the prior year's line 15
  Fraction partThreeLine18;   ///< the prior year's line 17
  SupportTests prior;         ///< the tests of the prior year's lines
  PartTwoBox partTwoBox;      ///< 13, 16a, 16b, 17a, 17b, 18: the first that holds
  PartThreeBox partThreeBox;  ///< 14, 19a, 19b, 20: the first that holds
  /// Part III line 7a: each disqualified person with an amount counted in the period, in table
  /// order: the excluded givers, the substantial contributors and their groups' members.
  GrowingList<DetailName> lineSevenA;
  /// The substantial contributors on line 7a, each followed by its group's members that are
  /// not themselves ones (listed under the group's first), in table order.
  GrowingList<ContributorLine> contributorLines;
  /// The substantial contributors among contributorLines.
  std::size_t substantialContributorCount;
  /// Part III line 7b: each tested source with a receipt over its year's limit, in table order.
  GrowingList<DetailName> lineSevenB;
  /// Unusual grants, left out of both Parts: their sum in each year of the period, by column.
  std::array<Amount, kFormYears> unusualByColumn;
  /// Each name with an unusual grant in a year of the period, in table order.
  GrowingList<DetailName> unusualGrants;
  /// Memory ran out: a list above misses names (the lines' figures are whole all the same).
  bool listsCut;
  /// Memory ran out for the sums of the groups of related names: each name counted alone.
  bool groupsLost;
  /// The losses entered as 0, by year of the period (oldest first), then by line.
  std::array<NetLoss, kMostNetLosses> netLosses;
  std::size_t netLossCount;
};

/// The row of a column of the form: column 0 is (a), the oldest year, in rows[4].
inline const FormYearRow& rowOfColumn(const ScheduleAFigures& figures, std::size_t column) {
  return figures.rows[kFormYears - 1 - column];
}

/// Every Schedule A figure of the period totals chose (lastYear is totals.latestFormYear), from
/// the donors' amounts by year, those before totals.firstTaxYear left out. Reads only its
/// parameters and writes nothing else; the lists are freed by releaseScheduleAFigures.
ScheduleAFigures scheduleAFigures(const LedgerTotals& totals, const DonorTable& donors);

/// Frees the lists of figures and empties them.
void releaseScheduleAFigures(ScheduleAFigures& figures);

#endif

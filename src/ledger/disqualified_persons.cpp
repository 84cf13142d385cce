#include "ledger/disqualified_persons.hpp"

#include <algorithm>
#include <cstddef>

#include "ledger/growing_list.hpp"
#include "ledger/source_type.hpp"
#include "ledger/year_amounts.hpp"

namespace {

// Why and from when a name's amounts are on line 7a.
struct Disqualification {
  Disqualified why;
  long fromIndex;         // the first year index counted; -1: none is
  long contributorIndex;  // the year index it became a substantial contributor itself; -1
};

// An excluded giver is one by its keyword, in every year. Any other name is one from the year
// it, or a member of its group, became a substantial contributor: the ledger keeps years, not
// days, and counting the whole year cannot overstate public support.
Disqualification disqualificationOf(const PeriodInputs& inputs, std::size_t d) {
  const DonorRecord& donor = inputs.donors[d];
  if (isExcludedGiver(donor.sourceType)) {
    return Disqualification{ Disqualified::byType, 0, -1 };
  }
  const long own = substantialContributorYear(donor, inputs.toDate);
  const PeriodGroup* group = periodGroupOf(inputs, d);
  long from = own;
  if (group != nullptr && group->contributorFrom >= 0 &&
      (from < 0 || group->contributorFrom < from)) {
    from = group->contributorFrom;
  }
  const Disqualified why =
      own >= 0 ? Disqualified::substantialContributor : Disqualified::relatedToContributor;
  return Disqualification{ why, from, own };
}

// The report's list is put together once every name is known: a group's members stand under
// its first substantial contributor, which may come after them in the table.
struct Contributor {
  std::size_t index;
  long year;
  bool hasAmount;  // an amount on line 7a in the period
};
struct ListedMember {
  std::size_t underIndex;  // the group's first substantial contributor
  std::size_t index;
};

struct ListsToSort {
  GrowingList<Contributor> contributors;
  GrowingList<ListedMember> members;
};

// The name's line 7a detail, and its place in the report's list.
void noteDetail(const PeriodInputs& inputs, std::size_t d, const Disqualification& reason,
                const RowAmounts& amounts, ScheduleAFigures& figures, ListsToSort& lists) {
  const long contributorYear =
      reason.contributorIndex < 0 ? -1 : reason.contributorIndex + kBaseYear;
  DetailName name{ d, {}, {}, 0, reason.why, contributorYear };
  bool any = false;
  for (std::size_t c = 0; c < kFormYears; ++c) {
    const std::size_t r = rowIndexOfColumn(c);
    const bool counted = inputs.counted.lastIndex - static_cast<long>(r) >= reason.fromIndex;
    const Amount amount = counted ? amounts[r] : 0;
    name.amount[c] = amount;
    name.counted[c] = amount;
    name.total += amount;
    any = any || amount != 0;
  }
  if (any) {
    pushItem(figures.lineSevenA, name);
  }
  if (reason.why == Disqualified::substantialContributor) {
    pushItem(lists.contributors, Contributor{ d, contributorYear, any });
  } else if (reason.why == Disqualified::relatedToContributor && any) {
    pushItem(lists.members, ListedMember{ periodGroupOf(inputs, d)->firstContributor, d });
  }
}

// Each substantial contributor with an amount in the period, or with members of its group to
// list under it, then those members, in table order.
void listContributors(ListsToSort& lists, ScheduleAFigures& figures) {
  ListedMember* members = lists.members.items;
  std::sort(members, members + lists.members.count,
            [](const ListedMember& a, const ListedMember& b) {
              return a.underIndex != b.underIndex ? a.underIndex < b.underIndex : a.index < b.index;
            });
  std::size_t next = 0;
  for (const Contributor& contributor : lists.contributors) {
    const std::size_t first = next;
    while (next < lists.members.count && members[next].underIndex == contributor.index) {
      ++next;
    }
    if (!contributor.hasAmount && next == first) {
      continue;
    }
    ++figures.substantialContributorCount;
    pushItem(figures.contributorLines, ContributorLine{ contributor.index, contributor.year });
    for (std::size_t m = first; m < next; ++m) {
      pushItem(figures.contributorLines, ContributorLine{ members[m].index, -1 });
    }
  }
  figures.listsCut = figures.listsCut || lists.contributors.cut || lists.members.cut;
}

}  // namespace

void addDisqualifiedPersons(const PeriodInputs& inputs, YearRows& rows, ScheduleAFigures& figures) {
  ListsToSort lists;
  for (std::size_t d = 0; d < inputs.used; ++d) {
    const Disqualification reason = disqualificationOf(inputs, d);
    if (reason.fromIndex < 0) {
      continue;
    }
    const RowAmounts amounts = rowAmountsOf(inputs.donors[d], inputs.counted);
    if (reason.why != Disqualified::byType) {
      for (std::size_t r = 0; r < kRowsWithPrior; ++r) {
        if (inputs.counted.lastIndex - static_cast<long>(r) >= reason.fromIndex) {
          rows[r].disqualifiedGifts += amounts[r];
        }
      }
    }
    noteDetail(inputs, d, reason, amounts, figures, lists);
  }
  listContributors(lists, figures);
  releaseItems(lists.contributors);
  releaseItems(lists.members);
}

#include "ledger/period_groups.hpp"

#include <cstdlib>

PeriodGroups periodGroupsOf(const DonorTable& donors, std::size_t used, CountedYears counted,
                            const ContributionsToDate& toDate) {
  PeriodGroups groups{};
  const std::size_t count = donors.groups.nodeCount;
  if (count == 0) {
    return groups;
  }
  groups.byGroup = static_cast<PeriodGroup*>(std::malloc(count * sizeof(PeriodGroup)));
  if (groups.byGroup == nullptr) {
    groups.lost = true;
    return groups;
  }
  for (std::size_t g = 0; g < count; ++g) {
    groups.byGroup[g] = PeriodGroup{ kNoEntry, kNoEntry, -1, 0, 0 };
  }
  // In table order, so that the first member met is the group's first.
  for (std::size_t d = 0; d < used; ++d) {
    const std::uint32_t node = donorGroupOf(donors.groups, d);
    if (node == 0) {
      continue;
    }
    PeriodGroup& group = groups.byGroup[node];
    if (group.firstMember == kNoEntry) {
      group.firstMember = d;
    }
    const long year = substantialContributorYear(donors[d], toDate);
    if (year >= 0) {
      if (group.firstContributor == kNoEntry) {
        group.firstContributor = d;
      }
      group.contributorFrom =
          group.contributorFrom < 0 || year < group.contributorFrom ? year : group.contributorFrom;
    }
    const RowAmounts amounts = rowAmountsOf(donors[d], counted);
    group.current += periodSumOf(amounts, 0);
    group.prior += periodSumOf(amounts, 1);
  }
  return groups;
}

void releasePeriodGroups(PeriodGroups& groups) {
  std::free(groups.byGroup);
  groups = PeriodGroups{};
}

#ifndef QUORVA_LEDGER_PERIOD_GROUPS_HPP
#define QUORVA_LEDGER_PERIOD_GROUPS_HPP

#include <cstddef>
#include <cstdint>

#include "ledger/donor_groups.hpp"
#include "ledger/donor_records.hpp"
#include "ledger/period_amounts.hpp"
#include "ledger/substantial_contributors.hpp"
#include "output/amount.hpp"

// What the figures of a period need to know of each group of related names: who stands first,
// whether and since when a member is a substantial contributor, and what the members gave.

/// Table index of no entry.
constexpr std::size_t kNoEntry = SIZE_MAX;

/// One group of related names over a period.
struct PeriodGroup {
  std::size_t firstMember;       ///< the member first in the table: the group's name
  std::size_t firstContributor;  ///< the first substantial contributor among them; kNoEntry
  long contributorFrom;          ///< the earliest year index one became one; -1 for none
  Amount current;                ///< the members' amounts over the period (cents)
  Amount prior;                  ///< over the period ending a year earlier (cents)
};

/// The groups of a period, by group node; none when the table has no group.
struct PeriodGroups {
  PeriodGroup* byGroup = nullptr;
  bool lost = false;  ///< no memory was left for them: every name counts alone
};

/// What every figure of a period is computed from: the table's used entries, the years the rows
/// count, the contributions to date and the groups.
struct PeriodInputs {
  const DonorTable& donors;
  std::size_t used;
  CountedYears counted;
  const ContributionsToDate& toDate;
  const PeriodGroups& groups;
};

/// The groups of the used entries of donors over the period of counted.
PeriodGroups periodGroupsOf(const DonorTable& donors, std::size_t used, CountedYears counted,
                            const ContributionsToDate& toDate);

/// The group of entry over the period, or nullptr when it is grouped with no other name.
inline const PeriodGroup* periodGroupOf(const PeriodInputs& inputs, std::size_t entry) {
  if (inputs.groups.byGroup == nullptr) {
    return nullptr;
  }
  const std::uint32_t group = donorGroupOf(inputs.donors.groups, entry);
  return group == 0 ? nullptr : &inputs.groups.byGroup[group];
}

/// Frees the groups.
void releasePeriodGroups(PeriodGroups& groups);

#endif

#ifndef QUORVA_LEDGER_SUBSTANTIAL_CONTRIBUTORS_HPP
#define QUORVA_LEDGER_SUBSTANTIAL_CONTRIBUTORS_HPP

#include <array>
#include <cstddef>

#include "ledger/donor_records.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"

// A substantial contributor is a disqualified person: a name whose gifts from the organization's
// creation to the end of a tax year exceed $5,000 and 2% of every contribution received in that
// time. The status begins in the year the gift that qualifies it is received, and never ends.

/// Gifts a substantial contributor's must exceed, in cents ($5,000).
constexpr Amount kSubstantialContributionFloor = 500000;

/// The Part II and Part III line 1 contributions to date, by tax year: what the test compares a
/// name's gifts with. Years count from the earliest gift in the lists, those before a first tax
/// year given with -b= included: the law counts from the organization's creation.
struct ContributionsToDate {
  long firstIndex;  ///< table index of the year of the earliest gift; -1 when there is none
  long lastIndex;   ///< table index of the last year tested
  /// By year index, from firstIndex through lastIndex: every line 1 contribution up to the end
  /// of that year (cents).
  std::array<Amount, kYearCount> total;
};

/// The contributions to date of the years from firstYear (the earliest gift, -1 for none) through
/// lastYear (inside the year tables), over the used entries of donors.
ContributionsToDate contributionsToDate(const DonorTable& donors, std::size_t used, long firstYear,
                                        long lastYear);

/// The table index of the tax year donor became a substantial contributor, by its own gifts; -1
/// when its type cannot make it one or it is not one by toDate.lastIndex.
long substantialContributorYear(const DonorRecord& donor, const ContributionsToDate& toDate);

#endif

#include "ledger/substantial_contributors.hpp"

#include "ledger/source_type.hpp"

namespace {

// More than 2% of what was received to date, as an exact fraction.
bool isOverTwoPercent(Amount gifts, Amount toDate) { return 50 * gifts > toDate; }

// The most the donor's gifts to date reach in the years tested: a name whose gifts never pass
// the floor is spared the test by year.
Amount highestToDate(const DonorYears& years, const ContributionsToDate& toDate) {
  Amount running = 0;
  Amount highest = 0;
  for (std::size_t k = 0; k < years.count && years.yearAt(k) <= toDate.lastIndex; ++k) {
    if (years.yearAt(k) >= toDate.firstIndex) {
      running += years.amountAt(k);
      highest = running > highest ? running : highest;
    }
  }
  return highest;
}

}  // namespace

ContributionsToDate contributionsToDate(const DonorTable& donors, std::size_t used, long firstYear,
                                        long lastYear) {
  ContributionsToDate toDate{ firstYear < 0 ? -1 : firstYear - kBaseYear,
                              lastYear - kBaseYear,
                              {} };
  if (toDate.firstIndex < 0) {
    return toDate;
  }
  for (std::size_t d = 0; d < used; ++d) {
    const DonorRecord& donor = donors[d];
    if (!isLineOneContribution(donor.sourceType)) {
      continue;
    }
    const DonorYears& years = donor.yearAmounts;
    for (std::size_t k = 0; k < years.count; ++k) {
      toDate.total[static_cast<std::size_t>(years.yearAt(k))] += years.amountAt(k);
    }
  }
  // Nothing is booked before the earliest gift's year but sums that cancel out.
  Amount running = 0;
  for (long y = toDate.firstIndex; y <= toDate.lastIndex; ++y) {
    running += toDate.total[static_cast<std::size_t>(y)];
    toDate.total[static_cast<std::size_t>(y)] = running;
  }
  return toDate;
}

long substantialContributorYear(const DonorRecord& donor, const ContributionsToDate& toDate) {
  if (!mayBecomeSubstantial(donor.sourceType) || toDate.firstIndex < 0) {
    return -1;
  }
  const DonorYears& years = donor.yearAmounts;
  if (highestToDate(years, toDate) <= kSubstantialContributionFloor) {
    return -1;
  }
  std::size_t k = 0;
  while (k < years.count && years.yearAt(k) < toDate.firstIndex) {
    ++k;
  }
  Amount gifts = 0;
  for (long y = toDate.firstIndex; y <= toDate.lastIndex; ++y) {
    for (; k < years.count && years.yearAt(k) == y; ++k) {
      gifts += years.amountAt(k);
    }
    if (gifts > kSubstantialContributionFloor &&
        isOverTwoPercent(gifts, toDate.total[static_cast<std::size_t>(y)])) {
      return y;
    }
  }
  return -1;
}

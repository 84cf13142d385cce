#include "ledger/totals.hpp"

#include <cstddef>

#include "output/message_channel.hpp"

std::array<Amount, kSourceTypeCount> typeTotals{};
Amount grandTotal = 0;
long officerCount = 0;
Amount officerTotal = 0;
std::array<Amount, kYearCount> yearTotals{};
std::array<Amount, kYearCount> cumulativeTotals{};
long firstDonationYear = -1;
long latestFormYear = -1;
long numberOfYears = 0;
std::array<FormYearRow, kFormYears> formYearTable{};

namespace {

// The first and the last calendar year the year tables hold.
constexpr long kFirstTableYear = kBaseYear;
constexpr long kLastTableYear = kBaseYear + kYearCount - 1;
// A period must have five whole years inside the table: its last year must come after this.
constexpr long kEarliestPeriodEnd = kFirstTableYear + kFormYears;
// Part III line 7b: each large receipt is counted above the greater of $5,000 and 1% of the
// year's total support.
constexpr Amount kLargeReceiptFloor = 500000;
constexpr Amount kLargeReceiptFloorSupport = 50000000;

// Walks stop at the first unused entry: the table guarantees nothing after it is in use.
std::size_t usedDonorEntries() {
  std::size_t count = 0;
  while (isDonorEntryInUse(count)) {
    ++count;
  }
  return count;
}

bool isTableIndex(long index) { return index >= 0 && index < kYearCount; }

// Out-of-table years hold nothing, so a period reaching past the table reads zeros there.
Amount yearAmountAt(const DonorRecord& donor, long index) {
  return isTableIndex(index) ? donor.yearAmounts[static_cast<std::size_t>(index)] : 0;
}

void emitPlain(const char* text) {
  beginPlain();
  emitText(text);
  endLine();
}

void refusePeriod() {
  emitText("    Can not print 990 information");
  endLine();
}

void addToRow(FormYearRow& row, int type, Amount amount) {
  switch (type) {
    case DONOR:
    case GOVERNMENT:
    case CHARITY:
    case DAF:
    case DAFDONOR:
      row.gifts += amount;
      break;
    case OFFICER:
    case DIRECTOR:
    case TRUSTEE:
    case FAMILY:
      row.gifts += amount;
      row.disqualifiedGifts += amount;
      break;
    case TAX:
      row.taxRevenues += amount;
      break;
    case FREE_USE:
      row.governmentServices += amount;
      break;
    case UNRELATED:
      row.unrelatedIncome += amount;
      break;
    case NOT_UNRELATED:
      row.relatedBusiness += amount;
      break;
    case OLD_BUSINESS:
      row.oldBusinessIncome += amount;
      break;
    case OTHER_INCOME:
      row.otherIncome += amount;
      break;
    case ADMISSIONS:
    case SALES:
    case REVENUE:
      row.admissionsAndSales += amount;
      break;
    case INVESTMENT:
      row.investmentIncome += amount;
      break;
    default:
      break;
  }
}

void setDerivedFields(FormYearRow& row) {
  row.partIITotal = row.gifts + row.taxRevenues + row.governmentServices;
  row.partIILine7 = row.partIITotal;
  row.partIIITotal = row.gifts + row.admissionsAndSales + row.relatedBusiness + row.taxRevenues +
                     row.governmentServices;
  row.partIIILine9 = row.partIIITotal;
  row.notPublicSum = row.disqualifiedGifts;
  row.investmentAndUnrelated = row.investmentIncome + row.unrelatedIncome;
  row.totalSupport =
      row.partIIILine9 + row.investmentAndUnrelated + row.oldBusinessIncome + row.otherIncome;
  row.largeNonDonationLimit =
      row.totalSupport < kLargeReceiptFloorSupport ? kLargeReceiptFloor : row.totalSupport / 100;
}

void clearAggregates() {
  typeTotals.fill(0);
  grandTotal = 0;
  officerCount = 0;
  officerTotal = 0;
  yearTotals.fill(0);
  cumulativeTotals.fill(0);
  firstDonationYear = -1;
  numberOfYears = 0;
  formYearTable = {};
}

void fillFormYearTable(std::size_t used) {
  const long last = latestFormYear - kBaseYear;
  for (std::size_t r = 0; r < formYearTable.size(); ++r) {
    formYearTable[r].yearIndex = last - static_cast<long>(r);
  }
  // One walk over each donor's years (those it gave in), adding those of the period.
  for (std::size_t d = 0; d < used; ++d) {
    DonorRecord& donor = donorTable[d];
    for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
      const long r = last - donor.yearAmounts.yearAt(k);
      if (r < 0 || r >= kFormYears) {
        continue;
      }
      const Amount amount = donor.yearAmounts.amountAt(k);
      donor.fiveYearTotal += amount;
      addToRow(formYearTable[static_cast<std::size_t>(r)], donor.sourceType, amount);
    }
  }
  for (FormYearRow& row : formYearTable) {
    setDerivedFields(row);
  }
  // Each receipt is tested against the limit of its own year, one source at a time.
  for (FormYearRow& row : formYearTable) {
    row.largeNonDonations = 0;
    for (std::size_t d = 0; d < used; ++d) {
      if (!isLargeReceiptTested(donorTable[d].sourceType)) {
        continue;
      }
      const Amount excess = yearAmountAt(donorTable[d], row.yearIndex) - row.largeNonDonationLimit;
      if (excess > 0) {
        row.largeNonDonations += excess;
      }
    }
    row.notPublicSum += row.largeNonDonations;
  }
}

}  // namespace

void computeTotals() {
  clearAggregates();
  const std::size_t used = usedDonorEntries();
  // A refused period leaves every source with no five-year total.
  for (std::size_t d = 0; d < used; ++d) {
    donorTable[d].fiveYearTotal = 0;
  }

  for (std::size_t d = 0; d < used; ++d) {
    const DonorRecord& donor = donorTable[d];
    if (donor.sourceType >= 0 && donor.sourceType < kSourceTypeCount) {
      typeTotals[static_cast<std::size_t>(donor.sourceType)] += donor.totalAmount;
    }
  }

  for (std::size_t d = 0; d < used; ++d) {
    const DonorRecord& donor = donorTable[d];
    const bool officer = isOfficerGroup(donor.sourceType);
    if (officer) {
      ++officerCount;
    }
    // Only the years the donor gave in, in increasing order of year.
    for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
      const Amount amount = donor.yearAmounts.amountAt(k);
      yearTotals[static_cast<std::size_t>(donor.yearAmounts.yearAt(k))] += amount;
      if (officer) {
        officerTotal += amount;
      }
    }
  }

  for (std::size_t y = 0; y < yearTotals.size(); ++y) {
    if (yearTotals[y] != 0) {
      grandTotal += yearTotals[y];
      cumulativeTotals[y] = grandTotal;
    }
  }

  writeReport("!\n");

  long lastIndex = 0;
  for (std::size_t y = 0; y < yearTotals.size(); ++y) {
    if (yearTotals[y] == 0) {
      continue;
    }
    lastIndex = static_cast<long>(y);
    if (firstDonationYear == -1) {
      firstDonationYear = lastIndex + kBaseYear;
      if (verbosityLevel >= 4) {
        emitPlain(composeLine("First year of any donations %ld", firstDonationYear));
      }
    }
  }

  if (latestFormYear == -1) {
    latestFormYear = lastIndex + kBaseYear;
    emitPlain(composeLine("Using the most recent year %ld for form 990", latestFormYear));
  }
  emitPlain(composeLine("Form 990 Schedule A Report is for year %ld", latestFormYear));

  if (firstDonationYear == -1) {
    emitPlain("No donations at all");
    return;
  }

  numberOfYears = latestFormYear - firstDonationYear + 1;

  if (latestFormYear < kEarliestPeriodEnd) {
    beginCalculationError();
    emitText(composeLine("Donations must start in a year after %ld", kEarliestPeriodEnd));
    endLine();
    refusePeriod();
    return;
  }
  if (latestFormYear > kLastTableYear) {
    beginCalculationError();
    emitText(composeLine("%ld is too large for table of years", latestFormYear));
    endLine();
    refusePeriod();
    return;
  }

  if (verbosityLevel >= 3) {
    emitPlain(composeLine("  First year of donations %ld", firstDonationYear));
    emitPlain(composeLine("  Most recent year for form 990 %ld", latestFormYear));
    emitPlain(composeLine("  Oldest year used of the 5 year period %ld",
                          latestFormYear - (kFormYears - 1)));
    beginPlain();
    endLine();
  }

  fillFormYearTable(used);
}

void resetTotals() {
  clearAggregates();
  latestFormYear = -1;
}

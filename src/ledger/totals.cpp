#include "ledger/totals.hpp"

#include <cstddef>

#include "output/message_channel.hpp"

LedgerTotals ledgerTotals;

std::array<Amount, kSourceTypeCount>& typeTotals = ledgerTotals.typeTotals;
Amount& grandTotal = ledgerTotals.grandTotal;
long& officerCount = ledgerTotals.officerCount;
Amount& officerTotal = ledgerTotals.officerTotal;
std::array<Amount, kYearCount>& yearTotals = ledgerTotals.yearTotals;
std::array<Amount, kYearCount>& cumulativeTotals = ledgerTotals.cumulativeTotals;
long& firstDonationYear = ledgerTotals.firstDonationYear;
long& latestFormYear = ledgerTotals.latestFormYear;
long& numberOfYears = ledgerTotals.numberOfYears;
std::array<FormYearRow, kFormYears>& formYearTable = ledgerTotals.formYearTable;

void setLatestFormYear(long year) { latestFormYear = year; }

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

bool isTableIndex(long index) { return index >= 0 && index < kYearCount; }

// Out-of-table years hold nothing, so a period reaching past the table reads zeros there.
Amount yearAmountAt(const DonorRecord& donor, long index) {
  return isTableIndex(index) ? donor.yearAmounts[static_cast<std::size_t>(index)] : 0;
}

void addToRow(FormYearRow& row, SourceType type, Amount amount) {
  const RowFields fields = rowFieldsOf(type);
  if (fields.first != nullptr) {
    row.*fields.first += amount;
  }
  if (fields.second != nullptr) {
    row.*fields.second += amount;
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

// A given -r year outlives the aggregates.
void clearAggregates() {
  const long givenYear = ledgerTotals.latestFormYear;
  ledgerTotals = LedgerTotals{};
  ledgerTotals.latestFormYear = givenYear;
}

// Every field that adds up across years; yearIndex does not.
constexpr Amount FormYearRow::*kSummedFields[] = {
  &FormYearRow::gifts,
  &FormYearRow::admissionsAndSales,
  &FormYearRow::relatedBusiness,
  &FormYearRow::taxRevenues,
  &FormYearRow::governmentServices,
  &FormYearRow::partIITotal,
  &FormYearRow::partIILine7,
  &FormYearRow::partIIITotal,
  &FormYearRow::disqualifiedGifts,
  &FormYearRow::largeNonDonations,
  &FormYearRow::notPublicSum,
  &FormYearRow::partIIILine9,
  &FormYearRow::investmentIncome,
  &FormYearRow::unrelatedIncome,
  &FormYearRow::investmentAndUnrelated,
  &FormYearRow::oldBusinessIncome,
  &FormYearRow::otherIncome,
  &FormYearRow::totalSupport,
  &FormYearRow::largeNonDonationLimit,
  &FormYearRow::twoPercentExcess,
};

// typeTotals, the officer group, yearTotals, grandTotal and cumulativeTotals from the used
// entries; a refused period leaves every source with no five-year total.
void addUpDonors(std::size_t used) {
  for (std::size_t d = 0; d < used; ++d) {
    DonorRecord& donor = donorTable[d];
    donor.fiveYearTotal = 0;
    const SourceType type = sourceTypeOf(donor);
    if (type >= 0 && type < kSourceTypeCount) {
      typeTotals[static_cast<std::size_t>(type)] += donor.totalAmount;
    }
    const bool officer = isOfficerGroup(type);
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
}

// Sets firstDonationYear; returns the table index of the last year with a non-zero total, 0
// when there is none.
long findDonationYears() {
  long lastIndex = 0;
  for (std::size_t y = 0; y < yearTotals.size(); ++y) {
    if (yearTotals[y] == 0) {
      continue;
    }
    lastIndex = static_cast<long>(y);
    if (firstDonationYear == -1) {
      firstDonationYear = lastIndex + kBaseYear;
      if (verbosityLevel >= 4) {
        message(MessageKind::plain, 0, "First year of any donations %ld", firstDonationYear);
      }
    }
  }
  return lastIndex;
}

// Settles latestFormYear and numberOfYears and says which period the report is for; false when
// there is no period to fill.
bool choosePeriod() {
  const long lastIndex = findDonationYears();
  if (latestFormYear == -1) {
    latestFormYear = lastIndex + kBaseYear;
    message(MessageKind::plain, 0, "Using the most recent year %ld for form 990", latestFormYear);
  }
  message(MessageKind::plain, 0, "Form 990 Schedule A Report is for year %ld", latestFormYear);

  if (firstDonationYear == -1) {
    message(MessageKind::plain, 0, "No donations at all");
    return false;
  }

  numberOfYears = latestFormYear - firstDonationYear + 1;

  if (latestFormYear < kEarliestPeriodEnd) {
    message(MessageKind::calculationError, 0,
            "Donations must start in a year after %ld\n"
            "    Can not print 990 information",
            kEarliestPeriodEnd);
    return false;
  }
  if (latestFormYear > kLastTableYear) {
    message(MessageKind::calculationError, 0,
            "%ld is too large for table of years\n"
            "    Can not print 990 information",
            latestFormYear);
    return false;
  }

  if (verbosityLevel >= 3) {
    message(MessageKind::plain, 0, "  First year of donations %ld", firstDonationYear);
    message(MessageKind::plain, 0, "  Most recent year for form 990 %ld", latestFormYear);
    message(MessageKind::plain, 0, "  Oldest year used of the 5 year period %ld",
            latestFormYear - (kFormYears - 1));
    message(MessageKind::plain, 0, "%s", "");
  }
  return true;
}

void fillPeriod(std::size_t used) {
  for (std::size_t d = 0; d < used; ++d) {
    donorTable[d].fiveYearTotal = fiveYearTotalOf(donorTable[d], latestFormYear);
  }
  fillFormRows(formYearTable, latestFormYear);
}

}  // namespace

bool isPeriodEnd(long lastYear) {
  return lastYear >= kEarliestPeriodEnd && lastYear <= kLastTableYear;
}

Amount yearAmountOf(const DonorRecord& donor, long calendarYear) {
  return yearAmountAt(donor, calendarYear - kBaseYear);
}

Amount fiveYearTotalOf(const DonorRecord& donor, long lastYear) {
  if (!isPeriodEnd(lastYear)) {
    return 0;
  }
  Amount total = 0;
  for (long r = 0; r < kFormYears; ++r) {
    total += yearAmountOf(donor, lastYear - r);
  }
  return total;
}

Amount largeReceiptExcess(Amount amount, Amount limit) {
  return amount > limit ? amount - limit : 0;
}

void fillFormRows(std::array<FormYearRow, kFormYears>& rows, long lastYear) {
  rows = {};
  if (!isPeriodEnd(lastYear)) {
    return;
  }
  const long last = lastYear - kBaseYear;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    rows[r].yearIndex = last - static_cast<long>(r);
  }
  // One walk over each donor's years (those it gave in), adding those of the period.
  const std::size_t used = usedDonorEntries();
  for (std::size_t d = 0; d < used; ++d) {
    const DonorRecord& donor = donorTable[d];
    for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
      const long r = last - donor.yearAmounts.yearAt(k);
      if (r >= 0 && r < kFormYears) {
        addToRow(rows[static_cast<std::size_t>(r)], sourceTypeOf(donor),
                 donor.yearAmounts.amountAt(k));
      }
    }
  }
  for (FormYearRow& row : rows) {
    setDerivedFields(row);
    // Each receipt is tested against the limit of its own year, one source at a time.
    row.largeNonDonations = 0;
    for (std::size_t d = 0; d < used; ++d) {
      if (isLargeReceiptTested(sourceTypeOf(donorTable[d]))) {
        row.largeNonDonations += largeReceiptExcess(yearAmountAt(donorTable[d], row.yearIndex),
                                                    row.largeNonDonationLimit);
      }
    }
    row.notPublicSum += row.largeNonDonations;
  }
}

Amount twoPercentLimitOf(Amount totalSupport) { return totalSupport / 50; }

Amount sumExcessOverTwoPercent(Amount limit, long lastYear, ExcessVisitor visit) {
  const std::size_t used = usedDonorEntries();
  Amount sum = 0;
  for (std::size_t d = 0; d < used; ++d) {
    const DonorRecord& donor = donorTable[d];
    if (!isTwoPercentTested(sourceTypeOf(donor))) {
      continue;
    }
    const Amount total = fiveYearTotalOf(donor, lastYear);
    const Amount excess = total - limit;
    if (excess <= 0) {
      continue;
    }
    sum += excess;
    if (visit != nullptr) {
      visit(d, donor, total, excess);
    }
  }
  return sum;
}

void visitDonors(DonorVisitor visit) {
  const std::size_t used = usedDonorEntries();
  for (std::size_t d = 0; d < used; ++d) {
    visit(d, donorTable[d]);
  }
}

FormYearRow sumOfRows(const std::array<FormYearRow, kFormYears>& rows) {
  FormYearRow sum{};
  for (const FormYearRow& row : rows) {
    for (Amount FormYearRow::*field : kSummedFields) {
      sum.*field += row.*field;
    }
  }
  return sum;
}

void computeTotals() {
  clearAggregates();
  const std::size_t used = usedDonorEntries();
  addUpDonors(used);
  writeReport("!\n");
  if (choosePeriod()) {
    fillPeriod(used);
  }
}

void resetTotals() { ledgerTotals = LedgerTotals{}; }

#include "ledger/totals.hpp"

#include <cstddef>

#include "ledger/form_year_row.hpp"
#include "ledger/tax_year.hpp"
#include "output/message_channel.hpp"

LedgerTotals ledgerTotals;

void setLatestFormYear(long year) { ledgerTotals.latestFormYear = year; }

void setFirstTaxYear(long year) { ledgerTotals.firstTaxYear = year; }

namespace {

// The first and the last calendar year the year tables hold.
constexpr long kFirstTableYear = kBaseYear;
constexpr long kLastTableYear = kBaseYear + kYearCount - 1;
// A period must have five whole years inside the table: its last year must come after this.
constexpr long kEarliestPeriodEnd = kFirstTableYear + kFormYears;

// The years given with -r and -b outlive the aggregates.
void clearAggregates() {
  const long givenYear = ledgerTotals.latestFormYear;
  const long firstTaxYear = ledgerTotals.firstTaxYear;
  ledgerTotals = LedgerTotals{};
  ledgerTotals.latestFormYear = givenYear;
  ledgerTotals.firstTaxYear = firstTaxYear;
}

// typeTotals, the officer group, yearTotals, grandTotal and cumulativeTotals from the used
// entries; a refused period leaves every source with no five-year total.
void addUpDonors(LedgerTotals& totals, std::size_t used) {
  for (std::size_t d = 0; d < used; ++d) {
    DonorRecord& donor = donorTable[d];
    donor.fiveYearTotal = 0;
    const SourceType type = sourceTypeOf(donor);
    if (type >= 0 && type < kSourceTypeCount) {
      totals.typeTotals[static_cast<std::size_t>(type)] += donor.totalAmount;
    }
    const bool officer = isOfficerGroup(type);
    if (officer) {
      ++totals.officerCount;
    }
    // Only the years the donor gave in, in increasing order of year.
    for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
      const Amount amount = donor.yearAmounts.amountAt(k);
      totals.yearTotals[static_cast<std::size_t>(donor.yearAmounts.yearAt(k))] += amount;
      if (officer) {
        totals.officerTotal += amount;
      }
    }
  }
  for (std::size_t y = 0; y < totals.yearTotals.size(); ++y) {
    if (totals.yearTotals[y] != 0) {
      totals.grandTotal += totals.yearTotals[y];
      totals.cumulativeTotals[y] = totals.grandTotal;
    }
  }
}

// Sets firstDonationYear; returns the table index of the last year with a non-zero total, 0
// when there is none.
long findDonationYears(LedgerTotals& totals) {
  long lastIndex = 0;
  for (std::size_t y = 0; y < totals.yearTotals.size(); ++y) {
    if (totals.yearTotals[y] == 0) {
      continue;
    }
    lastIndex = static_cast<long>(y);
    if (totals.firstDonationYear == -1) {
      totals.firstDonationYear = lastIndex + kBaseYear;
      if (verbosityLevel >= 4) {
        message(MessageKind::plain, 0, "First year of any donations %ld", totals.firstDonationYear);
      }
    }
  }
  return lastIndex;
}

// Settles latestFormYear and says which year the report is for, and what a year is.
void chooseReportYear(LedgerTotals& totals) {
  const long lastIndex = findDonationYears(totals);
  if (totals.latestFormYear == -1) {
    totals.latestFormYear = lastIndex + kBaseYear;
    message(MessageKind::plain, 0, "Using the most recent year %ld for form 990",
            totals.latestFormYear);
  }
  message(MessageKind::plain, 0, "Form 990 Schedule A Report is for year %ld",
          totals.latestFormYear);
  const int startMonth = taxYearStartMonth();
  if (startMonth != kCalendarYearStart) {
    message(MessageKind::plain, 0, "  Each year is the tax year that begins in %s of that year",
            monthName(startMonth));
  }
}

// True when some source has an amount booked in a year before yearIndex.
bool holdsAmountsBefore(long yearIndex, std::size_t used) {
  for (std::size_t d = 0; d < used; ++d) {
    const DonorYears& years = donorTable[d].yearAmounts;
    for (std::size_t k = 0; k < years.count && years.yearAt(k) < yearIndex; ++k) {
      if (years.amountAt(k) != 0) {
        return true;
      }
    }
  }
  return false;
}

// What the first tax year given with -b= means for these lists and this report's year.
void reportFirstTaxYear(const LedgerTotals& totals, std::size_t used) {
  const long first = totals.firstTaxYear;
  if (first == -1) {
    return;
  }
  if (first > totals.latestFormYear) {
    message(MessageKind::calculationError, 0, "First tax year %ld is after the report's year %ld",
            first, totals.latestFormYear);
  }
  if (holdsAmountsBefore(first - kBaseYear, used)) {
    message(MessageKind::info, 0,
            "Amounts before %ld, the first tax year given with -b=, are left out of Schedule A",
            first);
  }
  // The prior year's period starts five years before the report's year: lists that begin
  // after it cannot fill it, nor perhaps the report's own period.
  const long listsBegin = totals.firstDonationYear;
  if (first < listsBegin && listsBegin > totals.latestFormYear - kFormYears) {
    message(
        MessageKind::warning, 0,
        "The lists begin in %ld, after the first tax year %ld: the figures of the years before %ld are missing",
        listsBegin, first, listsBegin);
  }
}

// Settles latestFormYear and numberOfYears and says which period the report is for; false when
// there is no period to fill.
bool choosePeriod(LedgerTotals& totals, std::size_t used) {
  chooseReportYear(totals);
  if (totals.firstDonationYear == -1) {
    message(MessageKind::plain, 0, "No donations at all");
    return false;
  }
  reportFirstTaxYear(totals, used);
  const long organizationFirstYear =
      totals.firstTaxYear != -1 ? totals.firstTaxYear : totals.firstDonationYear;
  totals.numberOfYears = totals.latestFormYear - organizationFirstYear + 1;

  if (totals.latestFormYear < kEarliestPeriodEnd) {
    message(MessageKind::calculationError, 0,
            "Donations must start in a year after %ld\n"
            "    Can not print 990 information",
            kEarliestPeriodEnd);
    return false;
  }
  if (totals.latestFormYear > kLastTableYear) {
    message(MessageKind::calculationError, 0,
            "%ld is too large for table of years\n"
            "    Can not print 990 information",
            totals.latestFormYear);
    return false;
  }

  if (verbosityLevel >= 3) {
    message(MessageKind::plain, 0, "  First year of donations %ld", totals.firstDonationYear);
    message(MessageKind::plain, 0, "  Most recent year for form 990 %ld", totals.latestFormYear);
    message(MessageKind::plain, 0, "  Oldest year used of the 5 year period %ld",
            totals.latestFormYear - (kFormYears - 1));
    message(MessageKind::plain, 0, "%s", "");
  }
  return true;
}

// A donor's amounts over the five years ending lastYear (a period end), those before firstYear
// left out, from one walk over the years it gave in (increasing).
Amount fiveYearTotalOf(const DonorRecord& donor, long lastYear, long firstYear) {
  const long last = lastYear - kBaseYear;
  const long first = firstYear - kBaseYear;
  const DonorYears& years = donor.yearAmounts;
  Amount total = 0;
  for (std::size_t k = 0; k < years.count; ++k) {
    const long year = years.yearAt(k);
    if (year > last) {
      break;
    }
    if (year > last - kFormYears && year >= first) {
      total += years.amountAt(k);
    }
  }
  return total;
}

void fillFiveYearTotals(std::size_t used) {
  const long firstYear = firstCountedYear(ledgerTotals);
  for (std::size_t d = 0; d < used; ++d) {
    donorTable[d].fiveYearTotal =
        fiveYearTotalOf(donorTable[d], ledgerTotals.latestFormYear, firstYear);
  }
}

}  // namespace

bool isPeriodEnd(long lastYear) {
  return lastYear >= kEarliestPeriodEnd && lastYear <= kLastTableYear;
}

void computeTotals() {
  clearAggregates();
  const std::size_t used = usedDonorEntries();
  addUpDonors(ledgerTotals, used);
  writeReport("!\n");
  if (choosePeriod(ledgerTotals, used)) {
    fillFiveYearTotals(used);
  }
}

void resetTotals() { ledgerTotals = LedgerTotals{}; }

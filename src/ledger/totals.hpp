#ifndef QUORVA_LEDGER_TOTALS_HPP
#define QUORVA_LEDGER_TOTALS_HPP

#include <array>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"

/// Every aggregate computeTotals builds; the member initialisers are the start state.
struct LedgerTotals {
  /// Sum of totalAmount by source type.
  std::array<Amount, kSourceTypeCount> typeTotals{};
  /// Sum of every year total.
  Amount grandTotal = 0;
  /// Number of OFFICER, DIRECTOR and TRUSTEE entries, and the sum of their year amounts.
  long officerCount = 0;
  Amount officerTotal = 0;
  /// Sum over all donors by yearIndex, and the running sum through each non-zero year.
  std::array<Amount, kYearCount> yearTotals{};
  std::array<Amount, kYearCount> cumulativeTotals{};
  /// First (tax) year with a non-zero total; -1 while none.
  long firstDonationYear = -1;
  /// Last (tax) year of the period; -1 until -r or computeTotals sets it.
  long latestFormYear = -1;
  /// The first tax year the organization was a 501(c)(3) (-b=): amounts of earlier years are
  /// in no Schedule A figure. -1 when not given.
  long firstTaxYear = -1;
  /// latestFormYear - the organization's first year + 1: firstTaxYear when given, else
  /// firstDonationYear.
  long numberOfYears = 0;
};

/// The run's totals.
extern LedgerTotals ledgerTotals;

/// Stores the last year of the Form 990 period.
void setLatestFormYear(long year);
/// Stores the organization's first tax year as a 501(c)(3) (1900 to 2155).
void setFirstTaxYear(long year);

/// A table entry's source type.
inline SourceType sourceTypeOf(const DonorRecord& donor) { return donor.sourceType; }

/// The first year whose amounts Schedule A counts: firstTaxYear, or the table's first year.
inline long firstCountedYear(const LedgerTotals& totals) {
  return totals.firstTaxYear != -1 ? totals.firstTaxYear : kBaseYear;
}

/// True when the five years ending lastYear all lie in the year tables.
bool isPeriodEnd(long lastYear);
/// Builds every aggregate, chooses the period (saying which) and sets each donor's
/// fiveYearTotal; runs once per run.
void computeTotals();

/// Returns every aggregate to its start state, latestFormYear and firstTaxYear included (tests,
/// reruns).
void resetTotals();

#endif

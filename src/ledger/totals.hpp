#ifndef QUORVA_LEDGER_TOTALS_HPP
#define QUORVA_LEDGER_TOTALS_HPP

#include <array>
#include <cstddef>

#include "ledger/donor_table.hpp"
#include "ledger/form_year_row.hpp"
#include "ledger/source_type.hpp"
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
  /// First calendar year with a non-zero total; -1 while none.
  long firstDonationYear = -1;
  /// Last calendar year of the period; -1 until -r or computeTotals sets it.
  long latestFormYear = -1;
  /// latestFormYear - firstDonationYear + 1.
  long numberOfYears = 0;
  /// The five rows of the period, newest year (column e) first.
  std::array<FormYearRow, kFormYears> formYearTable{};
};

/// The run's totals.
extern LedgerTotals ledgerTotals;

/// The names the report sections and the run read: each one is the field of ledgerTotals.
extern std::array<Amount, kSourceTypeCount>& typeTotals;
extern Amount& grandTotal;
extern long& officerCount;
extern Amount& officerTotal;
extern std::array<Amount, kYearCount>& yearTotals;
extern std::array<Amount, kYearCount>& cumulativeTotals;
extern long& firstDonationYear;
extern long& latestFormYear;
extern long& numberOfYears;
extern std::array<FormYearRow, kFormYears>& formYearTable;

/// Stores the last year of the Form 990 period.
void setLatestFormYear(long year);

/// A table entry's source type.
inline SourceType sourceTypeOf(const DonorRecord& donor) { return donor.sourceType; }

/// True when the five years ending lastYear (calendar year) all lie in the year tables.
bool isPeriodEnd(long lastYear);
/// A donor's amount of a calendar year; 0 outside the year tables.
Amount yearAmountOf(const DonorRecord& donor, long calendarYear);
/// A donor's amounts over the five years ending lastYear; 0 when that is no period.
Amount fiveYearTotalOf(const DonorRecord& donor, long lastYear);
/// Part III line 7b: what one receipt gives over its year's limit (0 when not over).
Amount largeReceiptExcess(Amount amount, Amount limit);
/// The five rows of the period ending lastYear, newest first; all zero when that is no period.
void fillFormRows(std::array<FormYearRow, kFormYears>& rows, long lastYear);

/// Part II: the two percent limit of a total support (line 11, column f).
Amount twoPercentLimitOf(Amount totalSupport);
/// Called for each tested giver over the limit: table index, record, five-year total, excess.
using ExcessVisitor = void (*)(std::size_t index, const DonorRecord& donor, Amount total,
                               Amount excess);
/// Part II line 5 of the period ending lastYear: the tested givers' excesses over limit, in
/// table order; visit (may be nullptr) sees each one.
Amount sumExcessOverTwoPercent(Amount limit, long lastYear, ExcessVisitor visit);
/// Calls visit for every used entry of the donor table, in table order.
using DonorVisitor = void (*)(std::size_t index, const DonorRecord& donor);
void visitDonors(DonorVisitor visit);

/// Column f: the field-by-field sum of the five rows (yearIndex 0).
FormYearRow sumOfRows(const std::array<FormYearRow, kFormYears>& rows);

/// Builds every aggregate, chooses the period and fills formYearTable; runs once per run.
void computeTotals();

/// Returns every aggregate to its start state, latestFormYear included (tests, reruns).
void resetTotals();

#endif

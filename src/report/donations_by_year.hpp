#ifndef QUORVA_REPORT_DONATIONS_BY_YEAR_HPP
#define QUORVA_REPORT_DONATIONS_BY_YEAR_HPP

#include "ledger/totals.hpp"

/// Every year with donations, its share of all years, and the early-year notes.
void printDonationsByYear(const LedgerTotals& totals);
/// The five years of the period, newest first, with five-year and running sums.
void printContributionSummary(const LedgerTotals& totals);

#endif

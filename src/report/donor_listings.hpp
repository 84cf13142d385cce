#ifndef QUORVA_REPORT_DONOR_LISTINGS_HPP
#define QUORVA_REPORT_DONOR_LISTINGS_HPP

#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "report/report_options.hpp"

/// Officers, directors, trustees and family with their amounts by year (verbosity 2 and up).
void printExcludedGivers(const DonorTable& donors, const LedgerTotals& totals,
                         const ReportOptions& options);
/// Every funding source with its total and share (verbosity 1 and up).
void printDonors(const DonorTable& donors, const LedgerTotals& totals,
                 const ReportOptions& options);
/// Totals by source type, the officer group and the five-year totals.
void printSupportBySource(const DonorTable& donors, const LedgerTotals& totals,
                          const ReportOptions& options);

#endif

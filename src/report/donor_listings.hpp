#ifndef QUORVA_REPORT_DONOR_LISTINGS_HPP
#define QUORVA_REPORT_DONOR_LISTINGS_HPP

/// Officers, directors, trustees and family with their amounts by year (verbosity 2 and up).
void printExcludedGivers();
/// Every funding source with its total and share (verbosity 1 and up).
void printDonors();
/// Totals by source type, the officer group and the five-year totals.
void printSupportBySource();

#endif

#ifndef QUORVA_LEDGER_FORM_YEAR_ROW_HPP
#define QUORVA_LEDGER_FORM_YEAR_ROW_HPP

#include "output/amount.hpp"

/// Number of years in the Form 990 period, and of rows in the Schedule A figures.
constexpr int kFormYears = 5;

/// One year's Schedule A line values (cents), or the period's column f, in the form's order.
/// Every field after yearIndex is an Amount: column f sums them all.
struct FormYearRow {
  long yearIndex;                 ///< the row's year minus 1900; 0 in column f
  Amount gifts;                   ///< Part II line 1, Part III line 1
  Amount admissionsAndSales;      ///< Part III line 2
  Amount relatedBusiness;         ///< Part III line 3
  Amount taxRevenues;             ///< Part II line 2, Part III line 4
  Amount governmentServices;      ///< Part II line 3, Part III line 5
  Amount partIITotal;             ///< Part II line 4
  Amount twoPercentExcess;        ///< Part II line 5: column f only, 0 in a year's row
  Amount partIIPublicSupport;     ///< Part II line 6: column f only, 0 in a year's row
  Amount partIILine7;             ///< Part II line 7
  Amount partIILine9;             ///< Part II line 9
  Amount partIITotalSupport;      ///< Part II line 11
  Amount partIIRelatedReceipts;   ///< Part II line 12
  Amount partIIITotal;            ///< Part III line 6
  Amount disqualifiedGifts;       ///< Part III line 7a
  Amount largeNonDonations;       ///< Part III line 7b
  Amount notPublicSum;            ///< Part III line 7c
  Amount partIIIPublicSupport;    ///< Part III line 8
  Amount partIIILine9;            ///< Part III line 9
  Amount investmentIncome;        ///< Part II line 8, Part III line 10a
  Amount unrelatedIncome;         ///< Part III line 10b
  Amount investmentAndUnrelated;  ///< Part III line 10c
  Amount oldBusinessIncome;       ///< Part III line 11
  Amount otherIncome;             ///< Part II line 10, Part III line 12
  Amount totalSupport;            ///< Part III line 13
  Amount largeNonDonationLimit;   ///< the line 7b limit of the row's year
};

#endif

#ifndef QUORVA_LEDGER_SOURCE_TYPE_HPP
#define QUORVA_LEDGER_SOURCE_TYPE_HPP

#include "output/amount.hpp"

struct FormYearRow;

/// The kind of a funding source. Codes are fixed: they index typeTotals and the name table.
enum SourceType : int {
  DONOR = 0,
  GOVERNMENT = 1,
  CHARITY = 2,
  DAF = 3,
  DAFDONOR = 4,
  OFFICER = 5,
  DIRECTOR = 6,
  TRUSTEE = 7,
  TAX = 8,
  FREE_USE = 9,
  UNRELATED = 10,
  NOT_UNRELATED = 11,
  OLD_BUSINESS = 12,
  OTHER_INCOME = 13,
  ADMISSIONS = 14,
  SALES = 15,
  FAMILY = 16,
  REVENUE = 17,
  INVESTMENT = 18,
};

/// Number of source type codes (0 to 18).
constexpr int kSourceTypeCount = 19;

/// The printed name of a type ("DONOR", "NOT_UNRELATED"); "UNKNOWN" for a code outside 0 to 18.
const char* sourceTypeName(SourceType type);

/// True for the types tested against the two percent limit: 0, 3, 4, 5, 6, 7, 16.
bool isTwoPercentTested(SourceType type);
/// True for the directors, officers and trustees group: 5, 6, 7.
bool isOfficerGroup(SourceType type);
/// True for the excluded givers: 5, 6, 7, 16.
bool isExcludedGiver(SourceType type);
/// True for the types tested for Part III line 7b: 11, 14, 15, 17.
bool isLargeReceiptTested(SourceType type);

/// The FormYearRow fields a type's amounts are booked to: first always (nullptr for an unknown
/// type), second as well for the excluded givers' gifts (nullptr when none).
struct RowFields {
  Amount FormYearRow::*first;
  Amount FormYearRow::*second;
};
RowFields rowFieldsOf(SourceType type);

#endif

#ifndef QUORVA_LEDGER_SOURCE_TYPE_HPP
#define QUORVA_LEDGER_SOURCE_TYPE_HPP

#include <iterator>

#include "ledger/form_year_row.hpp"
#include "output/amount.hpp"

/// The kind of a funding source: its row in kSourceTypes. Codes are fixed, since they order the
/// report's listings; the enumerators name the codes that code and tests refer to, and a type
/// added at the end of the table needs none.
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
  UNUSUAL = 19,
};

/// The FormYearRow fields a type's amounts are booked to: first always (nullptr for an unknown
/// type and for unusual grants, which no line counts), second as well for the excluded givers'
/// gifts (nullptr when none).
struct RowFields {
  Amount FormYearRow::*first;
  Amount FormYearRow::*second;
};

/// The tests and groups a type's amounts take part in, as flags of SourceTypeRow::roles.
enum TypeRole : unsigned {
  kNoRole = 0,
  kTwoPercentTested = 1u << 0,      ///< its gifts are tested against the two percent limit
  kOfficerGroup = 1u << 1,          ///< a director, officer or trustee
  kExcludedGiver = 1u << 2,         ///< its gifts count again as Part III line 7a
  kLargeReceiptTested = 1u << 3,    ///< its receipts are tested for Part III line 7b
  kMayBeRelated = 1u << 4,          ///< a giver that can be a person: Related groups it
  kMayBecomeSubstantial = 1u << 5,  ///< its gifts can make it a substantial contributor
  kUnusualGrant = 1u << 6,          ///< left out of both Parts, listed for Part VI
};

/// Everything a source type is: how a list binds a name to it, how the report names it, the
/// tests its amounts take part in, and the Schedule A fields they go to.
struct SourceTypeRow {
  const char* keyword;  ///< the second field that binds a name to it, in any letter case
  const char* name;     ///< the printed name
  unsigned roles;       ///< TypeRole flags
  RowFields rowFields;
};

/// Where gifts go; an excluded giver's gifts also go to line 7a.
constexpr RowFields kGiftFields = { &FormYearRow::gifts, nullptr };
constexpr RowFields kExcludedGiftFields = { &FormYearRow::gifts, &FormYearRow::disqualifiedGifts };
/// Amounts that go to field alone.
constexpr RowFields only(Amount FormYearRow::*field) { return RowFields{ field, nullptr }; }
/// The roles of the officers' group.
constexpr unsigned kOfficerRoles =
    kTwoPercentTested | kOfficerGroup | kExcludedGiver | kMayBeRelated;
/// The roles of a person's gifts that no keyword has made disqualified.
constexpr unsigned kPersonRoles = kTwoPercentTested | kMayBeRelated | kMayBecomeSubstantial;
/// Where an unusual grant goes: to no Schedule A line.
constexpr RowFields kNoFields = { nullptr, nullptr };

/// One row per type, in code order: adding a type is adding a row at the end. A name is DONOR
/// until a keyword line binds it; keywords match the whole field, so no two may be alike but
/// for letter case.
inline constexpr SourceTypeRow kSourceTypes[] = {
  { nullptr, "DONOR", kPersonRoles, kGiftFields },
  { "Government", "GOVERNMENT", kNoRole, kGiftFields },
  { "Charity", "CHARITY", kNoRole, kGiftFields },
  { "DAF", "DAF", kTwoPercentTested, kGiftFields },
  { "DAFDONOR", "DAFDONOR", kPersonRoles, kGiftFields },
  { "Officer", "OFFICER", kOfficerRoles, kExcludedGiftFields },
  { "Director", "DIRECTOR", kOfficerRoles, kExcludedGiftFields },
  { "Trustee", "TRUSTEE", kOfficerRoles, kExcludedGiftFields },
  { "TAX", "TAX", kNoRole, only(&FormYearRow::taxRevenues) },
  { "FREE_USE", "FREE_USE", kNoRole, only(&FormYearRow::governmentServices) },
  { "UNRELATED", "UNRELATED", kNoRole, only(&FormYearRow::unrelatedIncome) },
  { "NOT_UNRELATED", "NOT_UNRELATED", kLargeReceiptTested, only(&FormYearRow::relatedBusiness) },
  { "OLD_BUSINESS", "OLD_BUSINESS", kNoRole, only(&FormYearRow::oldBusinessIncome) },
  { "OTHER_INCOME", "OTHER_INCOME", kNoRole, only(&FormYearRow::otherIncome) },
  { "ADMISSIONS", "ADMISSIONS", kLargeReceiptTested, only(&FormYearRow::admissionsAndSales) },
  { "SALES", "SALES", kLargeReceiptTested, only(&FormYearRow::admissionsAndSales) },
  { "Family", "FAMILY", kTwoPercentTested | kExcludedGiver | kMayBeRelated, kExcludedGiftFields },
  { "Revenue", "REVENUE", kLargeReceiptTested, only(&FormYearRow::admissionsAndSales) },
  { "Investment", "INVESTMENT", kNoRole, only(&FormYearRow::investmentIncome) },
  { "Unusual", "UNUSUAL", kUnusualGrant, kNoFields },
};

/// Number of source type codes: the rows of kSourceTypes.
constexpr int kSourceTypeCount = static_cast<int>(std::size(kSourceTypes));

/// The printed name of a type ("DONOR", "NOT_UNRELATED"); "UNKNOWN" for a code without a row.
const char* sourceTypeName(SourceType type);

/// True for the types tested against the two percent limit.
bool isTwoPercentTested(SourceType type);
/// True for the directors, officers and trustees group.
bool isOfficerGroup(SourceType type);
/// True for the excluded givers.
bool isExcludedGiver(SourceType type);
/// True for the types tested for Part III line 7b.
bool isLargeReceiptTested(SourceType type);
/// True for the givers a Related line may group: held to the two percent limit, and able to be
/// persons (DONOR, DAFDONOR, OFFICER, DIRECTOR, TRUSTEE, FAMILY).
bool mayBeRelated(SourceType type);
/// True for the givers tested as substantial contributors (DONOR, DAFDONOR).
bool mayBecomeSubstantial(SourceType type);
/// True for unusual grants: on no line of either Part, listed for Part VI.
bool isUnusualGrant(SourceType type);
/// True for the types whose amounts are Part II and Part III line 1 contributions.
bool isLineOneContribution(SourceType type);
/// The fields a type's amounts are booked to; none for a code without a row.
RowFields rowFieldsOf(SourceType type);

#endif

#include "ledger/source_type.hpp"

#include <array>

#include "ledger/form_year_row.hpp"

namespace {

// Indexed by the type code; the printed names the report sections show.
constexpr std::array<const char*, kSourceTypeCount> kTypeNames = {
  "DONOR",     "GOVERNMENT",    "CHARITY",      "DAF",          "DAFDONOR",
  "OFFICER",   "DIRECTOR",      "TRUSTEE",      "TAX",          "FREE_USE",
  "UNRELATED", "NOT_UNRELATED", "OLD_BUSINESS", "OTHER_INCOME", "ADMISSIONS",
  "SALES",     "FAMILY",        "REVENUE",      "INVESTMENT",
};

// The roles of each type and the Schedule A fields its amounts go to, one row per code in code
// order. Gifts of excluded givers count as gifts and again as Part III line 7a.
struct TypeRoles {
  bool twoPercentTested;
  bool officerGroup;
  bool excludedGiver;
  bool largeReceiptTested;
  RowFields rowFields;
};

constexpr RowFields kGifts = { &FormYearRow::gifts, nullptr };
constexpr RowFields kExcludedGifts = { &FormYearRow::gifts, &FormYearRow::disqualifiedGifts };
constexpr RowFields kSales = { &FormYearRow::admissionsAndSales, nullptr };

constexpr std::array<TypeRoles, kSourceTypeCount> kTypeRoles = { {
    { true, false, false, false, kGifts },                                          // DONOR
    { false, false, false, false, kGifts },                                         // GOVERNMENT
    { false, false, false, false, kGifts },                                         // CHARITY
    { true, false, false, false, kGifts },                                          // DAF
    { true, false, false, false, kGifts },                                          // DAFDONOR
    { true, true, true, false, kExcludedGifts },                                    // OFFICER
    { true, true, true, false, kExcludedGifts },                                    // DIRECTOR
    { true, true, true, false, kExcludedGifts },                                    // TRUSTEE
    { false, false, false, false, { &FormYearRow::taxRevenues, nullptr } },         // TAX
    { false, false, false, false, { &FormYearRow::governmentServices, nullptr } },  // FREE_USE
    { false, false, false, false, { &FormYearRow::unrelatedIncome, nullptr } },     // UNRELATED
    { false, false, false, true, { &FormYearRow::relatedBusiness, nullptr } },      // NOT_UNRELATED
    { false, false, false, false, { &FormYearRow::oldBusinessIncome, nullptr } },   // OLD_BUSINESS
    { false, false, false, false, { &FormYearRow::otherIncome, nullptr } },         // OTHER_INCOME
    { false, false, false, true, kSales },                                          // ADMISSIONS
    { false, false, false, true, kSales },                                          // SALES
    { true, false, true, false, kExcludedGifts },                                   // FAMILY
    { false, false, false, true, kSales },                                          // REVENUE
    { false, false, false, false, { &FormYearRow::investmentIncome, nullptr } },    // INVESTMENT
} };

constexpr bool isKnownType(SourceType type) { return type >= 0 && type < kSourceTypeCount; }

constexpr TypeRoles kNoRoles = { false, false, false, false, { nullptr, nullptr } };

constexpr const TypeRoles& rolesOf(SourceType type) {
  return isKnownType(type) ? kTypeRoles[static_cast<std::size_t>(type)] : kNoRoles;
}

}  // namespace

const char* sourceTypeName(SourceType type) {
  return isKnownType(type) ? kTypeNames[static_cast<std::size_t>(type)] : "UNKNOWN";
}

bool isTwoPercentTested(SourceType type) { return rolesOf(type).twoPercentTested; }

bool isOfficerGroup(SourceType type) { return rolesOf(type).officerGroup; }

bool isExcludedGiver(SourceType type) { return rolesOf(type).excludedGiver; }

bool isLargeReceiptTested(SourceType type) { return rolesOf(type).largeReceiptTested; }

RowFields rowFieldsOf(SourceType type) { return rolesOf(type).rowFields; }

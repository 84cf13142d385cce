#include "ledger/source_type.hpp"

#include <array>

namespace {

// Indexed by the type code; the printed names the report sections show.
constexpr std::array<const char*, kSourceTypeCount> kTypeNames = {
  "DONOR",     "GOVERNMENT",    "CHARITY",      "DAF",          "DAFDONOR",
  "OFFICER",   "DIRECTOR",      "TRUSTEE",      "TAX",          "FREE_USE",
  "UNRELATED", "NOT_UNRELATED", "OLD_BUSINESS", "OTHER_INCOME", "ADMISSIONS",
  "SALES",     "FAMILY",        "REVENUE",      "INVESTMENT",
};

// The roles of each type, one row per code in code order.
struct TypeRoles {
  bool twoPercentTested;
  bool officerGroup;
  bool excludedGiver;
  bool largeReceiptTested;
};

constexpr std::array<TypeRoles, kSourceTypeCount> kTypeRoles = { {
    { true, false, false, false },   // DONOR
    { false, false, false, false },  // GOVERNMENT
    { false, false, false, false },  // CHARITY
    { true, false, false, false },   // DAF
    { true, false, false, false },   // DAFDONOR
    { true, true, true, false },     // OFFICER
    { true, true, true, false },     // DIRECTOR
    { true, true, true, false },     // TRUSTEE
    { false, false, false, false },  // TAX
    { false, false, false, false },  // FREE_USE
    { false, false, false, false },  // UNRELATED
    { false, false, false, true },   // NOT_UNRELATED
    { false, false, false, false },  // OLD_BUSINESS
    { false, false, false, false },  // OTHER_INCOME
    { false, false, false, true },   // ADMISSIONS
    { false, false, false, true },   // SALES
    { true, false, true, false },    // FAMILY
    { false, false, false, true },   // REVENUE
    { false, false, false, false },  // INVESTMENT
} };

constexpr bool isKnownType(int type) { return type >= 0 && type < kSourceTypeCount; }

constexpr TypeRoles kNoRoles = { false, false, false, false };

constexpr const TypeRoles& rolesOf(int type) {
  return isKnownType(type) ? kTypeRoles[static_cast<std::size_t>(type)] : kNoRoles;
}

}  // namespace

const char* sourceTypeName(int type) {
  return isKnownType(type) ? kTypeNames[static_cast<std::size_t>(type)] : "UNKNOWN";
}

bool isTwoPercentTested(int type) { return rolesOf(type).twoPercentTested; }

bool isOfficerGroup(int type) { return rolesOf(type).officerGroup; }

bool isExcludedGiver(int type) { return rolesOf(type).excludedGiver; }

bool isLargeReceiptTested(int type) { return rolesOf(type).largeReceiptTested; }

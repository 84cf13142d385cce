#include "ledger/source_type.hpp"

#include <cstddef>

namespace {

constexpr bool isKnownType(SourceType type) { return type >= 0 && type < kSourceTypeCount; }

constexpr SourceTypeRow kNoRow = { nullptr, "UNKNOWN", kNoRole, { nullptr, nullptr } };

constexpr const SourceTypeRow& rowOf(SourceType type) {
  return isKnownType(type) ? kSourceTypes[static_cast<std::size_t>(type)] : kNoRow;
}

bool hasRole(SourceType type, TypeRole role) { return (rowOf(type).roles & role) != 0; }

}  // namespace

const char* sourceTypeName(SourceType type) { return rowOf(type).name; }

bool isTwoPercentTested(SourceType type) { return hasRole(type, kTwoPercentTested); }

bool isOfficerGroup(SourceType type) { return hasRole(type, kOfficerGroup); }

bool isExcludedGiver(SourceType type) { return hasRole(type, kExcludedGiver); }

bool isLargeReceiptTested(SourceType type) { return hasRole(type, kLargeReceiptTested); }

bool mayBeRelated(SourceType type) { return hasRole(type, kMayBeRelated); }

bool mayBecomeSubstantial(SourceType type) { return hasRole(type, kMayBecomeSubstantial); }

bool isUnusualGrant(SourceType type) { return hasRole(type, kUnusualGrant); }

bool isLineOneContribution(SourceType type) {
  return rowOf(type).rowFields.first == &FormYearRow::gifts;
}

RowFields rowFieldsOf(SourceType type) { return rowOf(type).rowFields; }

#ifndef QUORVA_LEDGER_DONOR_RECORDS_HPP
#define QUORVA_LEDGER_DONOR_RECORDS_HPP

#include <array>
#include <cstddef>
#include <cstdint>

#include "ledger/donor_groups.hpp"
#include "ledger/name_match.hpp"
#include "ledger/source_type.hpp"
#include "ledger/tax_year.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"

// How the donor table keeps its records, apart from what it does with them, so that the index
// beside it can be handed the records without reaching for the table.

/// Names the donor table holds unless -n= asks for more.
constexpr std::size_t kDonorTableSize = 512;
/// The most names -n= may ask for.
constexpr std::size_t kLargestDonorTable = 1000000;
/// Size of a stored name: 255 characters and the terminator.
constexpr std::size_t kDonorNameSize = 256;
/// Characters of a stored name; a longer given name is compared and kept on these.
constexpr std::size_t kStoredNameLength = kDonorNameSize - 1;

/// Characters of a name kept inside its record; a longer name is kept apart.
constexpr std::size_t kShortNameSize = 24;

/// A stored name: zero-terminated text of at most 255 characters, inside the record when it
/// fits (so that a lookup reads one record), otherwise apart. Empty: an entry not in use.
struct DonorName {
  char* longText;                  ///< the name when it does not fit below, else nullptr
  char shortText[kShortNameSize];  ///< the name when it fits, terminator included
  const char* data() const { return longText != nullptr ? longText : shortText; }
  char* data() { return longText != nullptr ? longText : shortText; }
  char operator[](std::size_t i) const { return data()[i]; }
};

/// One named funding source, two cache lines: the name and the totals, and the years. An empty
/// name marks an entry not in use.
struct alignas(128) DonorRecord {
  DonorName name;
  Amount totalAmount;      ///< every amount booked, in any year (cents)
  DonorYears yearAmounts;  ///< amounts by year (cents), only the years given in
  SourceType sourceType;   ///< DONOR until bound, then fixed
  Amount fiveYearTotal;    ///< filled by computeTotals
};

/// Records in each block of the table's storage.
constexpr std::size_t kDonorBlockRecords = 4096;
/// Bytes of each block of long names.
constexpr std::size_t kNameBlockSize = std::size_t{ 64 } * 1024;
/// Slots of the memory of converted times (see YearOfTime).
constexpr std::size_t kYearCacheSlots = 4096;

/// Names too long for a record, copied into blocks that never move so that a record can point
/// at its name.
struct LongNameBlocks {
  char** blocks = nullptr;
  std::size_t count = 0;              ///< blocks taken
  std::size_t slots = 0;              ///< room in blocks for block pointers
  std::size_t used = kNameBlockSize;  ///< bytes used in the last block; full when there is none
};

/// A local-time tax year already converted: the calendar time (32 bits) and its yearIndex plus
/// one, 0 for a free slot.
struct YearOfTime {
  std::int32_t when;
  std::int32_t yearIndexPlusOne;
};

/// The donor table's state: its records in order of first appearance, in blocks taken as names
/// are created and never moved, and what creating and booking keep beside them. The member
/// initialisers are the empty table of the default size; resetDonorTable restores them.
struct DonorTable {
  DonorRecord** blocks = nullptr;       ///< capacity / kDonorBlockRecords blocks
  std::size_t blockSlots = 0;           ///< room in blocks for block pointers
  std::size_t capacity = 0;             ///< records in the blocks; those from count on are all zero
  std::uint32_t count = 0;              ///< entries in use
  std::size_t limit = kDonorTableSize;  ///< names it may hold; entries made stay when lowered
  bool fullHinted = false;              ///< the hint on -n= given (once per run)
  /// Sum of the magnitudes of every amount booked, kept at most kLedgerMagnitudeLimit.
  Amount bookedMagnitude = 0;
  LongNameBlocks longNames;
  /// The month (1 to 12) the tax years that amounts are booked under begin in.
  int taxYearStartMonth = kCalendarYearStart;
  /// The tax years of the times booked, by day: donations carry one time per day.
  std::array<YearOfTime, kYearCacheSlots> yearCache{};
  /// The groups of related names that Related lines made.
  DonorGroups groups;
  DonorRecord& operator[](std::size_t index) const {
    return blocks[index / kDonorBlockRecords][index % kDonorBlockRecords];
  }
  /// Entries the count says are in use, but no more than there are records (a corrupted count
  /// must not walk past them): what lookups, creation and checkDonorTable go over, entries with
  /// an empty name included, so that these are reported.
  std::size_t countedEntries() const { return count < capacity ? count : capacity; }
};

/// True when entry holds name, of length characters (at most kStoredNameLength): a short name
/// lies in the record, a long one in a name block, whose slack keeps the reads of namesMatch
/// inside it even when the stored name is the shorter (its terminator then makes them differ).
[[gnu::always_inline]] inline bool entryHasName(const DonorRecord& entry, const char* name,
                                                std::size_t length) {
  const bool longName = length >= kShortNameSize;
  if ((entry.name.longText != nullptr) != longName) {
    return false;
  }
  return namesMatch(longName ? entry.name.longText : entry.name.shortText, name, length);
}

#endif

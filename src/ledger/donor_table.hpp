#ifndef QUORVA_LEDGER_DONOR_TABLE_HPP
#define QUORVA_LEDGER_DONOR_TABLE_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "ledger/source_type.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"

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

/// A local-time year already converted: the calendar time (32 bits) and its yearIndex plus one,
/// 0 for a free slot.
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
  /// The years of the times booked, by day: donations carry one time per day.
  std::array<YearOfTime, kYearCacheSlots> yearCache{};
  DonorRecord& operator[](std::size_t index) const {
    return blocks[index / kDonorBlockRecords][index % kDonorBlockRecords];
  }
};

/// The donor table, in order of first appearance.
extern DonorTable donorTable;
/// Number of entries in use: donorTable.count.
extern std::uint32_t& donorCount;

/// Entries the count says are in use, but no more than there are records (a corrupted count
/// must not walk past them): what lookups, creation and checkDonorTable go over, entries with
/// an empty name included, so that these are reported.
inline std::size_t countedDonorEntries() {
  return donorTable.count < donorTable.capacity ? donorTable.count : donorTable.capacity;
}

/// True for an entry that a walk over the table visits: walks go in table order from entry 0
/// and stop at the first entry that is not in use.
inline bool isDonorEntryInUse(std::size_t index) {
  return index < countedDonorEntries() && donorTable[index].name[0] != '\0';
}

/// Number of entries every walk over the table visits: those before the first entry not in use.
std::size_t usedDonorEntries();
/// usedDonorEntries of the given table.
std::size_t usedEntriesOf(const DonorTable& table);

/// Sets how many names the table holds, for the names created from now on; false (size
/// unchanged) unless size is kDonorTableSize to kLargestDonorTable.
bool setDonorTableSize(long size);
/// How many names the table holds.
std::size_t donorTableSize();

/// Finds the entry of name (case-insensitive) or creates it; -1 when blank or the table is full.
int findOrCreateDonor(const char* name, long line);
/// Binds the entry to type; false (and an error) when it already has another type.
bool bindSourceType(int index, long line, SourceType type);
/// Books amount for name under the local-time year of when.
void addDonation(const char* name, std::time_t when, Amount amount, long line);
/// addDonation for a caller that has counted the name's characters (those before its
/// terminator); spares counting them again on every donation line.
void addDonationOfLength(const char* name, std::size_t length, std::time_t when, Amount amount,
                         long line);
/// Reports every empty name inside the used part of the table as an internal fault.
void checkDonorTable(const char* stage);

/// Adds cents to the entry's amount of yearIndex (0 to 255) and to its total, without the
/// checks of addDonation; false when no memory was left for a new year (nothing booked).
bool addYearAmount(int index, int yearIndex, Amount cents);
/// Appends an entry without looking the name up, repeated or empty names included; for tests
/// of how the table copes with entries it did not make itself. -1 when no memory was left.
int appendDonorEntry(const char* name);
/// Empties the table and its index, frees their storage and restores the default size (for
/// tests and in-process reruns).
void resetDonorTable();

#endif

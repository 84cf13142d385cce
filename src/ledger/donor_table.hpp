#ifndef QUORVA_LEDGER_DONOR_TABLE_HPP
#define QUORVA_LEDGER_DONOR_TABLE_HPP

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "ledger/source_type.hpp"
#include "output/amount.hpp"

/// Names the donor table holds unless -n= asks for more.
constexpr std::size_t kDonorTableSize = 512;
/// The most names -n= may ask for.
constexpr std::size_t kLargestDonorTable = 1000000;
/// Number of per-year amounts: yearIndex 0 (1900) to 255 (2155).
constexpr int kYearCount = 256;
/// The calendar year of yearIndex 0.
constexpr int kBaseYear = 1900;
/// Size of a stored name: 255 characters and the terminator.
constexpr std::size_t kDonorNameSize = 256;

/// DonorYears::windowFrom of a donor with a year outside its window.
constexpr std::uint8_t kNoYearWindow = 0xff;

/// The years a donor gave in, each as yearIndex plus 256 times the year's sum in cents, in
/// increasing order of year.
extern std::int64_t* donorYearPool;

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

/// Years a donor's amounts keep inside its record before they move to donorYearPool.
constexpr std::size_t kInlineYears = 8;
/// Records in each block of the table's storage.
constexpr std::size_t kDonorBlockRecords = 4096;

/// A donor's amounts by year: count years in increasing order, each as yearIndex plus 256 times
/// the year's sum in cents, eight bytes each: inside the record up to kInlineYears, then in a
/// run from first in donorYearPool. The years also show in a window of 32 bits, so that booking
/// finds a year's place without reading the others, as long as they all lie in the window.
struct DonorYears {
  std::uint32_t first;
  std::uint16_t count;
  std::uint8_t roomLog;  ///< 0: the years are inside; else a run with room for 1 << (roomLog - 1)
  std::uint8_t
      windowFrom;        ///< 0: no year yet; kNoYearWindow: a year outside; else its yearIndex + 1
  std::uint32_t window;  ///< bit i: yearIndex windowFrom - 1 + i is among the years
  unsigned char inlinePairs[kInlineYears * sizeof(std::int64_t)];  ///< the years, while inside
  /// Where the years are.
  const unsigned char* pairs() const {
    return roomLog == 0 ? inlinePairs
                        : reinterpret_cast<const unsigned char*>(donorYearPool + first);
  }
  /// The k-th year and its sum, packed (k below count).
  std::int64_t pairAt(std::size_t k) const {
    std::int64_t packed = 0;
    std::memcpy(&packed, pairs() + k * sizeof packed, sizeof packed);
    return packed;
  }
  /// The k-th year the donor gave in, as a yearIndex (k below count).
  int yearAt(std::size_t k) const { return static_cast<int>(pairAt(k) & 0xff); }
  /// The sum booked for the k-th year (cents; k below count).
  Amount amountAt(std::size_t k) const {
    const std::int64_t packed = pairAt(k);
    return (packed - (packed & 0xff)) / 256;
  }
  /// The sum booked for yearIndex (cents); 0 for a year the donor did not give in.
  Amount operator[](std::size_t yearIndex) const {
    for (std::size_t k = 0; k < count; ++k) {
      if (static_cast<std::size_t>(yearAt(k)) == yearIndex) {
        return amountAt(k);
      }
    }
    return 0;
  }
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

/// The table's storage: blocks of kDonorBlockRecords records, taken as names are created and
/// never moved, in order of first appearance.
struct DonorTable {
  DonorRecord** blocks;  ///< capacity / kDonorBlockRecords blocks
  std::size_t capacity;  ///< records in the blocks; those from donorCount on are all zero
  DonorRecord& operator[](std::size_t index) {
    return blocks[index / kDonorBlockRecords][index % kDonorBlockRecords];
  }
};

/// The donor table, in order of first appearance.
extern DonorTable donorTable;
/// Number of entries in use.
extern std::uint32_t donorCount;

/// True for an entry that a walk over the table visits: walks go in table order from entry 0
/// and stop at the first entry that is not in use.
inline bool isDonorEntryInUse(std::size_t index) {
  return index < donorCount && index < donorTable.capacity && donorTable[index].name[0] != '\0';
}

/// Number of entries every walk over the table visits: those before the first entry not in use.
std::size_t usedDonorEntries();

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
/// Entries past which a lookup is likely to wait on memory, and the reader asks for the lookups
/// of the lines ahead (prefetchDonor); the default table never gets there.
constexpr std::uint32_t kPrefetchFromEntries = 8192;
/// True when the names of the lines ahead should be handed to prefetchDonor.
inline bool donorLookupsMayMiss() { return donorCount > kPrefetchFromEntries; }
/// Asks the processor to fetch what a lookup of name (its first length characters) will read,
/// a few calls from now; a hint only, with no effect on any result.
void prefetchDonor(const char* name, std::size_t length);
/// Reports every empty name inside the used part of the table as an internal fault.
void checkDonorTable(const char* stage);

/// Adds cents to the entry's amount of yearIndex (0 to 255) and to its total, without the
/// checks of addDonation; false when no memory was left for a new year (nothing booked).
bool addYearAmount(int index, int yearIndex, Amount cents);
/// Appends an entry without looking the name up, repeated or empty names included; for tests
/// of how the table copes with entries it did not make itself. -1 when no memory was left.
int appendDonorEntry(const char* name);
/// Empties the table, frees its storage and restores the default size (for tests and in-process
/// reruns).
void resetDonorTable();

#endif

#ifndef QUORVA_LEDGER_DONOR_INDEX_HPP
#define QUORVA_LEDGER_DONOR_INDEX_HPP

#include <array>
#include <cstddef>
#include <cstdint>

#include "ledger/donor_records.hpp"
#include "ledger/name_match.hpp"

/// Entries past which a lookup is likely to wait on memory, and the reader asks for the lookups
/// of the lines ahead (prefetchDonor); the default table never gets there.
constexpr std::uint32_t kPrefetchFromEntries = 8192;
/// True when the names of the lines ahead should be handed to prefetchDonor.
inline bool donorLookupsMayMiss(const DonorTable& table) {
  return table.count > kPrefetchFromEntries;
}
/// Asks the processor to fetch what a lookup of name (its first length characters) in table
/// will read, a few calls from now; a hint only, with no effect on any result.
void prefetchDonor(const DonorTable& table, const char* name, std::size_t length);

/// A slot of the index: (entry + 1) * 256 + the hash's top eight bits; 0 for a free slot.
using IndexSlot = std::uint32_t;
/// Names whose lookups the look-ahead keeps between asking for a slot and for its record.
constexpr std::size_t kPrefetchLag = 4;

/// The index beside the donor table: open addressing over the keys' hashes, at least half the
/// slots free. It covers entries 0 to indexedCount - 1 and is trusted only while they were all
/// found sound when indexed. The member initialisers are the empty index.
struct DonorIndex {
  IndexSlot* slots = nullptr;
  std::size_t mask = 0;  ///< the number of slots - 1; 0 while there are none
  std::size_t indexedCount = 0;
  bool trusted = true;
  /// The hashes of the last kPrefetchLag names handed to prefetchDonor, the oldest next.
  std::array<std::uint32_t, kPrefetchLag> laggingHashes{};
  /// The records (entry plus one, 0 for none) fetched for those names, the oldest next: their
  /// runs of years are fetched kPrefetchLag names later.
  std::array<std::uint32_t, kPrefetchLag> laggingRecords{};
  std::size_t nextLaggingHash = 0;
};

/// The index of the donor table.
extern DonorIndex donorIndex;

/// The eight bits of a hash that a slot keeps beside the entry.
inline IndexSlot slotTag(std::uint32_t hash) { return hash >> 24; }

/// The entry of table holding name according to the index, or -1; the index must have slots.
/// Inlined where names are looked up on every donation line.
[[gnu::always_inline]] inline int indexedEntry(const DonorTable& table, const char* name,
                                               const NameKey& key) {
  const IndexSlot tag = slotTag(key.hash);
  for (std::size_t slot = key.hash & donorIndex.mask; donorIndex.slots[slot] != 0;
       slot = (slot + 1) & donorIndex.mask) {
    const IndexSlot filed = donorIndex.slots[slot];
    if ((filed & 0xffu) == tag) {
      const std::size_t entry = (filed >> 8) - 1u;
      if (entryHasName(table[entry], name, key.length) ||
          foldedSpellingsMatch(table[entry].name.data(), name, key.length)) {
        return static_cast<int>(entry);
      }
    }
  }
  return -1;
}

/// Brings the index up to the counted part of table, which code outside the table may also have
/// filled; true when it can be trusted. An empty or repeated name makes it untrusted until it is
/// reset, and so does a lack of memory for it.
bool catchUpDonorIndex(const DonorTable& table);
/// catchUpDonorIndex, at the cost of one compare when the index is up to date.
inline bool syncDonorIndex(const DonorTable& table) {
  return donorIndex.indexedCount == table.countedEntries() ? donorIndex.trusted
                                                           : catchUpDonorIndex(table);
}

/// Frees the index; the next catchUpDonorIndex indexes the table again from entry 0.
void resetDonorIndex();
/// Takes the entries of table from count on out of the index, as if they had never been
/// indexed; an index made untrusted by one of them is trusted again.
void truncateDonorIndex(const DonorTable& table, std::size_t count);

#endif

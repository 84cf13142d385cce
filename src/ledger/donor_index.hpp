#ifndef QUORVA_LEDGER_DONOR_INDEX_HPP
#define QUORVA_LEDGER_DONOR_INDEX_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ledger/donor_table.hpp"

/// Entries past which a lookup is likely to wait on memory, and the reader asks for the lookups
/// of the lines ahead (prefetchDonor); the default table never gets there.
constexpr std::uint32_t kPrefetchFromEntries = 8192;
/// True when the names of the lines ahead should be handed to prefetchDonor.
inline bool donorLookupsMayMiss() { return donorTable.count > kPrefetchFromEntries; }
/// Asks the processor to fetch what a lookup of name (its first length characters) will read,
/// a few calls from now; a hint only, with no effect on any result.
void prefetchDonor(const char* name, std::size_t length);

/// The part of a name that a lookup compares (at most kStoredNameLength characters), and its
/// hash with ASCII letters folded to lower case.
struct NameKey {
  std::size_t length;
  std::uint32_t hash;
};

/// Eight characters as one word.
inline std::uint64_t loadWord(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

/// Each byte from 'A' to 'Z' gains the 0x20 that makes it lower case; no other byte changes.
inline std::uint64_t foldWord(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kFromA = 0x3f3f3f3f3f3f3f3fULL;  // 0x80 - 'A' in every byte
  constexpr std::uint64_t kPastZ = 0x2525252525252525ULL;  // 0x80 - ('Z' + 1)
  const std::uint64_t low = word & kLow7;
  const std::uint64_t upper = (low + kFromA) & ~(low + kPastZ) & ~word & kHigh;
  return word | (upper >> 2);
}

/// Fewer than eight characters, as loadWord would give them followed by zeros.
inline std::uint64_t loadShortWord(const char* at, std::size_t length) {
  std::array<char, sizeof(std::uint64_t)> bytes{};
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = at[i];
  }
  return loadWord(bytes.data());
}

inline std::uint64_t mixWord(std::uint64_t hash, std::uint64_t word) {
  return (hash ^ word) * 0x9e3779b97f4a7c15ULL;
}

/// The key of the first length characters of name (length at most kStoredNameLength). Eight
/// characters at a time, and inlined where names are looked up on every donation line: the
/// call would cost as much as the hash.
[[gnu::always_inline]] inline NameKey keyOfLength(const char* name, std::size_t length) {
  std::uint64_t hash = mixWord(0, length);
  if (length >= sizeof(std::uint64_t)) {
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) < length; i += sizeof(std::uint64_t)) {
      hash = mixWord(hash, foldWord(loadWord(name + i)));
    }
    // The last eight characters, overlapping the word before when the length is no multiple.
    hash = mixWord(hash, foldWord(loadWord(name + length - sizeof(std::uint64_t))));
  } else {
    hash = mixWord(hash, foldWord(loadShortWord(name, length)));
  }
  // The last character sits in the top byte of its word, where the multiplication carries a
  // difference no further: folding the high half down spreads it over the bits the slot takes,
  // so that names differing only at their end (Smith 1, Smith 2) do not share a cluster.
  hash = (hash ^ (hash >> 32)) * 0xff51afd7ed558ccdULL;
  return NameKey{ length, static_cast<std::uint32_t>(hash >> 32) };
}

/// True when stored ends after length characters that are those of name but for ASCII letter
/// case. Reads the first length + 1 characters of stored, however short the name it holds.
bool sameKeyedName(const char* stored, const char* name, std::size_t length);

/// sameKeyedName for an entry: a short name lies in the record, a long one in a name block,
/// whose slack keeps the reads of sameKeyedName inside it even when the stored name is the
/// shorter (its terminator then makes the names differ).
inline bool entryHasName(const DonorRecord& entry, const char* name, std::size_t length) {
  const bool longName = length >= kShortNameSize;
  if ((entry.name.longText != nullptr) != longName) {
    return false;
  }
  return sameKeyedName(longName ? entry.name.longText : entry.name.shortText, name, length);
}

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
  std::size_t nextLaggingHash = 0;
};

/// The index of the donor table.
extern DonorIndex donorIndex;

/// The eight bits of a hash that a slot keeps beside the entry.
inline IndexSlot slotTag(std::uint32_t hash) { return hash >> 24; }

/// The entry holding name according to the index, or -1; the index must have slots. Inlined
/// where names are looked up on every donation line.
[[gnu::always_inline]] inline int indexedEntry(const char* name, const NameKey& key) {
  const IndexSlot tag = slotTag(key.hash);
  for (std::size_t slot = key.hash & donorIndex.mask; donorIndex.slots[slot] != 0;
       slot = (slot + 1) & donorIndex.mask) {
    const IndexSlot filed = donorIndex.slots[slot];
    if ((filed & 0xffu) == tag) {
      const std::size_t entry = (filed >> 8) - 1u;
      if (entryHasName(donorTable[entry], name, key.length)) {
        return static_cast<int>(entry);
      }
    }
  }
  return -1;
}

/// Brings the index up to the counted part of the table, which code outside the table may also
/// have filled; true when it can be trusted. An empty or repeated name makes it untrusted until
/// it is reset, and so does a lack of memory for it.
bool catchUpDonorIndex();
/// catchUpDonorIndex, at the cost of one compare when the index is up to date.
inline bool syncDonorIndex() {
  return donorIndex.indexedCount == countedDonorEntries() ? donorIndex.trusted
                                                          : catchUpDonorIndex();
}

/// Frees the index; the next catchUpDonorIndex indexes the table again from entry 0.
void resetDonorIndex();

#endif

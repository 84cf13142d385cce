#include "ledger/donor_index.hpp"

#include <cstdlib>
#include <cstring>

// An index beside the table finds a name without comparing it with each entry: each used slot
// holds the entry's index plus one and eight more bits of the hash, so that nearly every slot
// that is not the name's is passed over without reading its record. Four bytes a slot, so that
// much of the index stays in the processor's caches with a hundred thousand names. It keeps at
// least four times as many slots as entries, so that nearly every lookup takes one probe: with
// half the slots free, many lookups took two or more, in no order the processor could
// foresee.
// The table stays the record (order, first spelling); every hit is checked against the entry
// itself. An untrusted index leaves every lookup to the table's scan, which reports the damage.
DonorIndex donorIndex;

static_assert(kLargestDonorTable < (1u << 24) - 1, "an entry number must fit in a slot");

namespace {

constexpr std::size_t kFirstIndexSlots = 4 * kDonorTableSize;

NameKey nameKey(const char* name) { return filingKeyOf(name, strnlen(name, kStoredNameLength)); }

void fileInIndex(const NameKey& key, std::size_t entry) {
  std::size_t slot = key.hash & donorIndex.mask;
  while (donorIndex.slots[slot] != 0) {
    slot = (slot + 1) & donorIndex.mask;
  }
  donorIndex.slots[slot] = static_cast<IndexSlot>((entry + 1) * 256) + slotTag(key.hash);
}

// The slot entry is filed in under the key of its name, or nullptr when its name has changed
// since.
IndexSlot* filedSlot(const DonorTable& table, std::size_t entry) {
  const NameKey key = nameKey(table[entry].name.data());
  const IndexSlot filed = static_cast<IndexSlot>((entry + 1) * 256) + slotTag(key.hash);
  for (std::size_t slot = key.hash & donorIndex.mask; donorIndex.slots[slot] != 0;
       slot = (slot + 1) & donorIndex.mask) {
    if (donorIndex.slots[slot] == filed) {
      return donorIndex.slots + slot;
    }
  }
  return nullptr;
}

// Room in the index for one more entry, keeping three quarters of its slots free: a larger index,
// the entries already indexed filed again. False when no memory was left.
bool reserveIndexSlot(const DonorTable& table) {
  const std::size_t slots = donorIndex.mask + 1;
  if (donorIndex.slots != nullptr && 4 * (donorIndex.indexedCount + 1) <= slots) {
    return true;
  }
  const std::size_t grownSlots = donorIndex.slots == nullptr ? kFirstIndexSlots : 2 * slots;
  void* grown = std::calloc(grownSlots, sizeof(IndexSlot));
  if (grown == nullptr) {
    return false;
  }
  std::free(donorIndex.slots);
  donorIndex.slots = static_cast<IndexSlot*>(grown);
  donorIndex.mask = grownSlots - 1;
  for (std::size_t entry = 0; entry < donorIndex.indexedCount; ++entry) {
    fileInIndex(nameKey(table[entry].name.data()), entry);
  }
  return true;
}

// --- lookups asked for ahead ------------------------------------------------------------------
// With a hundred thousand names, a lookup waits twice on memory: for the index slot, then for
// the record it names. The reader hands over the names of the next lines, so that these waits
// overlap across lines: the slot of a name is fetched at once, and its record kPrefetchLag
// names later, when the slot has arrived. Only hints to the processor: nothing is read or
// written that a lookup depends on.

[[gnu::always_inline]] inline void prefetchIndexSlot(std::uint32_t hash) {
  __builtin_prefetch(donorIndex.slots + (hash & donorIndex.mask));
}

// Fetches both cache lines of the record the index gives for hash, if any; looks at no more
// than the first few slots of its cluster. Returns the record's entry plus one, 0 for none.
// Inlined: the compiler takes a function that only prefetches for one without effect, and
// drops its calls.
[[gnu::always_inline]] inline std::uint32_t prefetchIndexedRecord(const DonorTable& table,
                                                                  std::uint32_t hash) {
  constexpr int kProbes = 4;
  const IndexSlot tag = slotTag(hash);
  std::size_t slot = hash & donorIndex.mask;
  for (int probe = 0; probe < kProbes && donorIndex.slots[slot] != 0; ++probe) {
    const IndexSlot filed = donorIndex.slots[slot];
    const std::size_t entry = (filed >> 8) - 1u;
    if ((filed & 0xffu) == tag && entry < table.capacity) {
      const char* record = reinterpret_cast<const char*>(&table[entry]);
      __builtin_prefetch(record);
      __builtin_prefetch(record + sizeof(DonorRecord) / 2);
      return static_cast<std::uint32_t>(entry + 1);
    }
    slot = (slot + 1) & donorIndex.mask;
  }
  return 0;
}

// A donor of more than kInlineYears years keeps them in a run of the pool, which its record
// names: once the record has arrived, the run is fetched too (its first two cache lines, the
// room of 16 years).
[[gnu::always_inline]] inline void prefetchYearRun(const DonorTable& table,
                                                   std::uint32_t entryPlusOne) {
  if (entryPlusOne == 0 || entryPlusOne > table.capacity) {
    return;
  }
  const DonorYears& years = table[entryPlusOne - 1].yearAmounts;
  if (years.roomLog != 0) {
    const char* run = reinterpret_cast<const char*>(yearPool.pairs + years.first);
    __builtin_prefetch(run);
    __builtin_prefetch(run + 64);
  }
}

}  // namespace

bool catchUpDonorIndex(const DonorTable& table) {
  const std::size_t counted = table.countedEntries();
  if (donorIndex.indexedCount > counted) {
    resetDonorIndex();
  }
  while (donorIndex.trusted && donorIndex.indexedCount < counted) {
    if (!reserveIndexSlot(table)) {
      donorIndex.trusted = false;
      break;
    }
    const char* name = table[donorIndex.indexedCount].name.data();
    const NameKey key = nameKey(name);
    if (name[0] == '\0' || indexedEntry(table, name, key) >= 0) {
      donorIndex.trusted = false;
      break;
    }
    fileInIndex(key, donorIndex.indexedCount);
    ++donorIndex.indexedCount;
  }
  return donorIndex.trusted;
}

void prefetchDonor(const DonorTable& table, const char* name, std::size_t length) {
  if (donorIndex.slots == nullptr || !donorIndex.trusted) {
    return;
  }
  const std::uint32_t hash =
      keyOfLength(name, length < kStoredNameLength ? length : kStoredNameLength).hash;
  prefetchIndexSlot(hash);
  const std::uint32_t earlier = donorIndex.laggingHashes[donorIndex.nextLaggingHash];
  donorIndex.laggingHashes[donorIndex.nextLaggingHash] = hash;
  const std::uint32_t record = prefetchIndexedRecord(table, earlier);
  const std::uint32_t earlierRecord = donorIndex.laggingRecords[donorIndex.nextLaggingHash];
  donorIndex.laggingRecords[donorIndex.nextLaggingHash] = record;
  donorIndex.nextLaggingHash = (donorIndex.nextLaggingHash + 1) % kPrefetchLag;
  prefetchYearRun(table, earlierRecord);
}

// Entries are filed in table order, so those from count on were filed after all the others: no
// other entry's probe passes over their slots, which can simply be freed. A few are found by
// their names; many, or one whose name has changed since it was filed, by a walk over every
// slot. The entry an untrusted index stopped at is the one at indexedCount.
void truncateDonorIndex(const DonorTable& table, std::size_t count) {
  constexpr std::size_t kProbedEntries = 16;
  if (count > donorIndex.indexedCount) {
    return;
  }
  bool probed = donorIndex.indexedCount - count <= kProbedEntries;
  for (std::size_t entry = donorIndex.indexedCount; probed && entry > count; --entry) {
    IndexSlot* const slot = filedSlot(table, entry - 1);
    probed = slot != nullptr;
    if (probed) {
      *slot = 0;
    }
  }
  const std::size_t slots = donorIndex.slots != nullptr ? donorIndex.mask + 1 : 0;
  for (std::size_t slot = 0; !probed && slot < slots; ++slot) {
    if ((donorIndex.slots[slot] >> 8) > count) {
      donorIndex.slots[slot] = 0;
    }
  }
  donorIndex.indexedCount = count;
  donorIndex.trusted = true;
}

void resetDonorIndex() {
  std::free(donorIndex.slots);
  donorIndex = DonorIndex{};
}

#include "ledger/donor_table.hpp"

#include <array>
#include <cstdlib>
#include <cstring>

#include "ledger/magnitude_limit.hpp"
#include "ledger/source_type.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

static_assert(sizeof(DonorRecord) == 128, "a record is two cache lines");

DonorTable donorTable{ nullptr, 0 };
std::uint32_t donorCount = 0;
std::int64_t* donorYearPool = nullptr;

namespace {

// Sum of the magnitudes of every amount booked. Refusing what would raise it above
// kLedgerMagnitudeLimit keeps every total, and every total times 1000, inside 64 bits.
Amount bookedMagnitude = 0;

constexpr std::size_t kStoredNameLength = kDonorNameSize - 1;

// The names the table may hold; entries already made stay when it is lowered.
std::size_t tableLimit = kDonorTableSize;
// The hint on -n= is given once per run, at the first name that finds the table full.
bool tableFullHinted = false;

bool isNameEmpty(const char* name) { return name == nullptr || name[0] == '\0'; }

// ASCII only, so the match does not depend on the locale. A given name longer than a stored
// name can hold is compared on the part that would be stored, so it finds its own entry.
bool sameName(const char* stored, const char* name) {
  for (std::size_t i = 0; i < kStoredNameLength; ++i) {
    // Most lines spell a name as it was first written; folding is needed only where they differ.
    if (stored[i] != name[i] && asciiLower(stored[i]) != asciiLower(name[i])) {
      return false;
    }
    if (stored[i] == '\0') {
      return true;
    }
  }
  return true;
}

// Entries that may be in use; a corrupted count must not walk past the records there are.
std::size_t usedEntries() {
  return donorCount < donorTable.capacity ? donorCount : donorTable.capacity;
}

Amount magnitudeOf(Amount amount) { return amount < 0 ? -amount : amount; }

// --- storage ---------------------------------------------------------------------------------
// Taken as names are created and kept until the table is reset, so that memory follows the
// names a run has, not the size the table may reach. Nothing is taken per line read.

// Room for one more record: blocks of records that never move, each zeroed so that unused
// entries read as empty, and aligned so that a record is two whole cache lines.
DonorRecord** recordBlocks = nullptr;
std::size_t recordBlockSlots = 0;

bool reserveRecord(std::size_t used) {
  if (used < donorTable.capacity) {
    return true;
  }
  const std::size_t blockCount = donorTable.capacity / kDonorBlockRecords;
  if (blockCount == recordBlockSlots) {
    const std::size_t slots = recordBlockSlots == 0 ? 16 : 2 * recordBlockSlots;
    void* grown = std::realloc(static_cast<void*>(recordBlocks), slots * sizeof(DonorRecord*));
    if (grown == nullptr) {
      return false;
    }
    recordBlocks = static_cast<DonorRecord**>(grown);
    recordBlockSlots = slots;
  }
  void* block = std::aligned_alloc(alignof(DonorRecord), kDonorBlockRecords * sizeof(DonorRecord));
  if (block == nullptr) {
    return false;
  }
  std::memset(block, 0, kDonorBlockRecords * sizeof(DonorRecord));
  recordBlocks[blockCount] = static_cast<DonorRecord*>(block);
  donorTable.blocks = recordBlocks;
  donorTable.capacity += kDonorBlockRecords;
  return true;
}

// Names too long for a record are copied into blocks that never move, so that a record can
// point at its name.
constexpr std::size_t kNameBlockSize = 64 * 1024;
char** nameBlocks = nullptr;
std::size_t nameBlockCount = 0;
std::size_t nameBlockSlots = 0;
std::size_t nameBlockUsed = kNameBlockSize;  // in the last block; full when there is none

// A copy of the first length characters of name with a terminator, or nullptr.
char* storeLongName(const char* name, std::size_t length) {
  if (kNameBlockSize - nameBlockUsed < length + 1) {
    if (nameBlockCount == nameBlockSlots) {
      const std::size_t slots = nameBlockSlots == 0 ? 16 : 2 * nameBlockSlots;
      void* grown = std::realloc(static_cast<void*>(nameBlocks), slots * sizeof(char*));
      if (grown == nullptr) {
        return nullptr;
      }
      nameBlocks = static_cast<char**>(grown);
      nameBlockSlots = slots;
    }
    // Zeroed, with room past its end for the longest name, so that a compare of a stored name
    // with a longer one reads only memory of the block (see entryHasName).
    char* block = static_cast<char*>(std::calloc(kNameBlockSize + kDonorNameSize, 1));
    if (block == nullptr) {
      return nullptr;
    }
    nameBlocks[nameBlockCount++] = block;
    nameBlockUsed = 0;
  }
  char* stored = nameBlocks[nameBlockCount - 1] + nameBlockUsed;
  std::memcpy(stored, name, length);
  stored[length] = '\0';
  nameBlockUsed += length + 1;
  return stored;
}

// Makes entry a new record holding name (cut to its first 255 characters); false when no
// memory was left for it.
bool storeName(DonorRecord& entry, const char* name) {
  const std::size_t length = strnlen(name, kStoredNameLength);
  char* longText = nullptr;
  if (length >= kShortNameSize) {
    longText = storeLongName(name, length);
    if (longText == nullptr) {
      return false;
    }
  }
  entry = DonorRecord{};
  entry.name.longText = longText;
  if (longText == nullptr) {
    std::memcpy(entry.name.shortText, name, length);
  }
  return true;
}

// A donor's years are kept in increasing order of year, inside its record up to kInlineYears
// (most names give in a few years, and a lookup reads the record anyway), then as a run of
// pairs in donorYearPool. A run that is full moves to one of twice its room; the room it leaves
// goes to a free list by size (linked through its first pair, each link the next run's start
// plus one, 0 ending the list), for the next run of that size. Runs hold 16 to 256 years.
constexpr std::uint32_t kNoRun = 0xffffffffu;
constexpr std::size_t kRunSizes = 9;  // by room: 1, 2, 4, ... 256 years (16 up are used)
std::array<std::uint32_t, kRunSizes> freeRuns{};
std::size_t yearPoolUsed = 0;
std::size_t yearPoolCapacity = 0;

std::size_t runSizeClass(std::size_t room) {
  std::size_t sizeClass = 0;
  while ((std::size_t{ 1 } << sizeClass) < room) {
    ++sizeClass;
  }
  return sizeClass;
}

void clearYearPool() {
  std::free(donorYearPool);
  donorYearPool = nullptr;
  yearPoolUsed = 0;
  yearPoolCapacity = 0;
  freeRuns.fill(0);
}

// The start of a free run with room for room years, or kNoRun when no memory is left.
std::uint32_t takeRun(std::size_t room) {
  std::uint32_t& freeRun = freeRuns[runSizeClass(room)];
  if (freeRun != 0) {
    const std::uint32_t run = freeRun - 1;
    freeRun = static_cast<std::uint32_t>(donorYearPool[run]);
    return run;
  }
  if (yearPoolCapacity - yearPoolUsed < room) {
    const std::size_t capacity = yearPoolCapacity == 0 ? 4096 : 2 * yearPoolCapacity;
    if (capacity >= kNoRun - 1) {
      return kNoRun;
    }
    void* grown = std::realloc(static_cast<void*>(donorYearPool), capacity * sizeof(std::int64_t));
    if (grown == nullptr) {
      return kNoRun;
    }
    donorYearPool = static_cast<std::int64_t*>(grown);
    yearPoolCapacity = capacity;
  }
  const std::uint32_t run = static_cast<std::uint32_t>(yearPoolUsed);
  yearPoolUsed += room;
  return run;
}

void giveBackRun(std::uint32_t run, std::size_t room) {
  std::uint32_t& freeRun = freeRuns[runSizeClass(room)];
  donorYearPool[run] = freeRun;
  freeRun = run + 1;
}

// A donor's window of years: 32 of them, opened 16 years before the first year it gives in.
constexpr int kWindowYears = 32;
constexpr int kWindowLead = 16;

// The entry's years, where they are now.
unsigned char* pairsOf(DonorYears& years) {
  return years.roomLog == 0 ? years.inlinePairs
                            : reinterpret_cast<unsigned char*>(donorYearPool + years.first);
}

std::int64_t loadPair(const unsigned char* at) {
  std::int64_t packed = 0;
  std::memcpy(&packed, at, sizeof packed);
  return packed;
}

void storePair(unsigned char* at, std::int64_t packed) { std::memcpy(at, &packed, sizeof packed); }

// Adds yearIndex at zero to the entry's years, at position k; where its pair is, or nullptr
// when no memory was left for it. Years beyond those the record holds move to a run of the
// pool, and a full run to one of twice the room.
[[gnu::noinline]] unsigned char* addYear(DonorRecord& entry, int yearIndex, std::size_t k) {
  DonorYears& years = entry.yearAmounts;
  const std::size_t room =
      years.roomLog == 0 ? kInlineYears : std::size_t{ 1 } << (years.roomLog - 1);
  if (years.count == room) {
    const std::uint32_t run = takeRun(2 * room);
    if (run == kNoRun) {
      return nullptr;
    }
    std::memcpy(donorYearPool + run, pairsOf(years), years.count * sizeof(std::int64_t));
    if (years.roomLog != 0) {
      giveBackRun(years.first, room);
    }
    years.first = run;
    years.roomLog = static_cast<std::uint8_t>(runSizeClass(2 * room) + 1);
  }
  unsigned char* pairs = pairsOf(years);
  constexpr std::size_t kPair = sizeof(std::int64_t);
  std::memmove(pairs + (k + 1) * kPair, pairs + k * kPair, (years.count - k) * kPair);
  storePair(pairs + k * kPair, yearIndex);
  ++years.count;

  if (years.windowFrom == 0) {
    int from = yearIndex - kWindowLead;
    from = from < 0 ? 0 : (from > kYearCount - kWindowYears ? kYearCount - kWindowYears : from);
    years.windowFrom = static_cast<std::uint8_t>(from + 1);
  }
  if (years.windowFrom != kNoYearWindow) {
    const int offset = yearIndex - (years.windowFrom - 1);
    if (offset >= 0 && offset < kWindowYears) {
      years.window |= std::uint32_t{ 1 } << offset;
    } else {
      years.windowFrom = kNoYearWindow;
    }
  }
  return pairs + k * kPair;
}

// The bits set in bits: in a few instructions here, where the builtin would be a library call
// on a processor not known to count them itself.
std::size_t bitsSet(std::uint32_t bits) {
  bits = bits - ((bits >> 1) & 0x55555555u);
  bits = (bits & 0x33333333u) + ((bits >> 2) & 0x33333333u);
  return (((bits + (bits >> 4)) & 0x0f0f0f0fu) * 0x01010101u) >> 24;
}

// Where the entry's pair of yearIndex is, the year added at zero when the entry has none yet;
// nullptr when no memory was left for it. The years of a list come in no order, so the place
// is found without a branch on each year: from the window, or by counting the years before
// yearIndex over all of them.
[[gnu::always_inline]] inline unsigned char* yearSlot(DonorRecord& entry, int yearIndex) {
  DonorYears& years = entry.yearAmounts;
  const auto offset = static_cast<unsigned>(yearIndex - (years.windowFrom - 1));
  if (years.windowFrom != 0 && years.windowFrom != kNoYearWindow && offset < kWindowYears) {
    const std::size_t k = bitsSet(years.window & ((1u << offset) - 1u));
    if (((years.window >> offset) & 1u) != 0) {
      return pairsOf(years) + k * sizeof(std::int64_t);
    }
    return addYear(entry, yearIndex, k);
  }
  const unsigned char* pairs = pairsOf(years);
  std::size_t k = 0;
  for (std::size_t i = 0; i < years.count; ++i) {
    k += static_cast<std::size_t>((loadPair(pairs + i * sizeof(std::int64_t)) & 0xff) < yearIndex);
  }
  if (k < years.count && (loadPair(pairs + k * sizeof(std::int64_t)) & 0xff) == yearIndex) {
    return pairsOf(years) + k * sizeof(std::int64_t);
  }
  return addYear(entry, yearIndex, k);
}

// --- name index ------------------------------------------------------------------------------
// An index beside the table finds a name without comparing it with each entry: open
// addressing over a hash of the case-folded name, each used slot holding the entry's index
// plus one and eight more bits of the hash, so that nearly every slot that is not the name's
// is passed over without reading its record. Four bytes a slot, so that much of the index stays
// in the processor's caches with a hundred thousand names. It keeps at least twice as many
// slots as entries, so a lookup stays one or two probes as the table grows. The table stays the
// record (order, first spelling); every hit is checked against the entry itself. The index
// covers entries 0 to indexedCount - 1 and is trusted only while they were all found sound when
// indexed; otherwise every lookup takes the table scan, which reports the damage as before.
constexpr std::size_t kFirstIndexSlots = 2 * kDonorTableSize;
using IndexSlot = std::uint32_t;  // (entry + 1) * 256 + the hash's top eight bits; 0: slot free
static_assert(kLargestDonorTable < (1u << 24) - 1, "an entry number must fit in a slot");
IndexSlot* nameIndex = nullptr;
std::size_t indexMask = 0;  // slots - 1; 0 while there are none
std::size_t indexedCount = 0;
bool indexTrusted = true;

// The part of a name that sameName compares, and its hash with ASCII letters folded to lower
// case. Eight characters at a time: names are hashed on every donation line.
struct NameKey {
  std::size_t length;
  std::uint32_t hash;
};

std::uint64_t loadWord(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// Each byte from 'A' to 'Z' gains the 0x20 that makes it lower case; no other byte changes.
std::uint64_t foldWord(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kFromA = 0x3f3f3f3f3f3f3f3fULL;  // 0x80 - 'A' in every byte
  constexpr std::uint64_t kPastZ = 0x2525252525252525ULL;  // 0x80 - ('Z' + 1)
  const std::uint64_t low = word & kLow7;
  const std::uint64_t upper = (low + kFromA) & ~(low + kPastZ) & ~word & kHigh;
  return word | (upper >> 2);
}

// Fewer than eight characters, as loadWord would give them followed by zeros.
std::uint64_t loadShortWord(const char* at, std::size_t length) {
  std::array<char, sizeof(std::uint64_t)> bytes{};
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = at[i];
  }
  return loadWord(bytes.data());
}

std::uint64_t mixWord(std::uint64_t hash, std::uint64_t word) {
  return (hash ^ word) * 0x9e3779b97f4a7c15ULL;
}

// Inlined where names are looked up on every donation line; the call would cost as much as
// the hash.
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

NameKey nameKey(const char* name) { return keyOfLength(name, strnlen(name, kStoredNameLength)); }

// sameName for a name of the given length: the stored name ends there and its characters are
// the same but for letter case. Compared eight at a time, folded, as the key was made.
bool sameKeyedName(const char* stored, const char* name, std::size_t length) {
  if (stored[length] != '\0') {
    return false;
  }
  if (length < sizeof(std::uint64_t)) {
    return foldWord(loadShortWord(stored, length)) == foldWord(loadShortWord(name, length));
  }
  for (std::size_t i = 0; i + sizeof(std::uint64_t) < length; i += sizeof(std::uint64_t)) {
    if (foldWord(loadWord(stored + i)) != foldWord(loadWord(name + i))) {
      return false;
    }
  }
  const std::size_t last = length - sizeof(std::uint64_t);
  return foldWord(loadWord(stored + last)) == foldWord(loadWord(name + last));
}

// sameKeyedName for an entry: a short name lies in the record, a long one in a name block,
// whose slack keeps the reads of sameKeyedName inside it even when the stored name is the
// shorter (its terminator then makes the names differ).
bool entryHasName(const DonorRecord& entry, const char* name, std::size_t length) {
  const bool longName = length >= kShortNameSize;
  if ((entry.name.longText != nullptr) != longName) {
    return false;
  }
  return sameKeyedName(longName ? entry.name.longText : entry.name.shortText, name, length);
}

IndexSlot slotTag(std::uint32_t hash) { return hash >> 24; }

// The entry holding name according to the index, or -1.
[[gnu::always_inline]] inline int indexedEntry(const char* name, const NameKey& key) {
  const IndexSlot tag = slotTag(key.hash);
  for (std::size_t slot = key.hash & indexMask; nameIndex[slot] != 0;
       slot = (slot + 1) & indexMask) {
    const IndexSlot filed = nameIndex[slot];
    if ((filed & 0xffu) == tag) {
      const std::size_t entry = (filed >> 8) - 1u;
      if (entryHasName(donorTable[entry], name, key.length)) {
        return static_cast<int>(entry);
      }
    }
  }
  return -1;
}

// --- lookups asked for ahead ------------------------------------------------------------------
// With a hundred thousand names, a lookup waits twice on memory: for the index slot, then for
// the record it names. The reader hands over the names of the next lines, so that these waits
// overlap across lines: the slot of a name is fetched at once, and its record kPrefetchLag
// names later, when the slot has arrived. Only hints to the processor: nothing is read or
// written that a lookup depends on.
constexpr std::size_t kPrefetchLag = 4;
std::array<std::uint32_t, kPrefetchLag> laggingHashes{};
std::size_t nextLaggingHash = 0;

[[gnu::always_inline]] inline void prefetchIndexSlot(std::uint32_t hash) {
  __builtin_prefetch(nameIndex + (hash & indexMask));
}

// Fetches both cache lines of the record the index gives for hash, if any; looks at no more
// than the first few slots of its cluster. Inlined: the compiler takes a function that only
// prefetches for one without effect, and drops its calls.
[[gnu::always_inline]] inline void prefetchIndexedRecord(std::uint32_t hash) {
  constexpr int kProbes = 4;
  const IndexSlot tag = slotTag(hash);
  std::size_t slot = hash & indexMask;
  for (int probe = 0; probe < kProbes && nameIndex[slot] != 0; ++probe) {
    const IndexSlot filed = nameIndex[slot];
    const std::size_t entry = (filed >> 8) - 1u;
    if ((filed & 0xffu) == tag && entry < donorTable.capacity) {
      const char* record = reinterpret_cast<const char*>(&donorTable[entry]);
      __builtin_prefetch(record);
      __builtin_prefetch(record + sizeof(DonorRecord) / 2);
      return;
    }
    slot = (slot + 1) & indexMask;
  }
}

void fileInIndex(const NameKey& key, std::size_t entry) {
  std::size_t slot = key.hash & indexMask;
  while (nameIndex[slot] != 0) {
    slot = (slot + 1) & indexMask;
  }
  nameIndex[slot] = static_cast<IndexSlot>((entry + 1) * 256) + slotTag(key.hash);
}

void clearIndex() {
  std::free(nameIndex);
  nameIndex = nullptr;
  indexMask = 0;
  indexedCount = 0;
  indexTrusted = true;
}

// Room in the index for one more entry, keeping at least half its slots free: a larger index,
// the entries already indexed filed again. False when no memory was left.
bool reserveIndexSlot() {
  const std::size_t slots = indexMask + 1;
  if (nameIndex != nullptr && 2 * (indexedCount + 1) <= slots) {
    return true;
  }
  const std::size_t grownSlots = nameIndex == nullptr ? kFirstIndexSlots : 2 * slots;
  void* grown = std::calloc(grownSlots, sizeof(IndexSlot));
  if (grown == nullptr) {
    return false;
  }
  std::free(nameIndex);
  nameIndex = static_cast<IndexSlot*>(grown);
  indexMask = grownSlots - 1;
  for (std::size_t entry = 0; entry < indexedCount; ++entry) {
    fileInIndex(nameKey(donorTable[entry].name.data()), entry);
  }
  return true;
}

// Brings the index up to the used part of the table, which code outside this file may also
// have filled. An empty or repeated name makes the index untrusted until the table is reset,
// and so does a lack of memory for it.
bool catchUpIndex();

bool syncIndex() { return indexedCount == usedEntries() ? indexTrusted : catchUpIndex(); }

bool catchUpIndex() {
  const std::size_t used = usedEntries();
  if (indexedCount > used) {
    clearIndex();
  }
  while (indexTrusted && indexedCount < used) {
    if (!reserveIndexSlot()) {
      indexTrusted = false;
      break;
    }
    const char* name = donorTable[indexedCount].name.data();
    const NameKey key = nameKey(name);
    if (name[0] == '\0' || indexedEntry(name, key) >= 0) {
      indexTrusted = false;
      break;
    }
    fileInIndex(key, indexedCount);
    ++indexedCount;
  }
  return indexTrusted;
}

// Local-time years of calendar times already converted. Donations carry one calendar time per
// day (00:00:01 local), so a few thousand slots keyed by the day hold a list's dates; a slot
// keeps the full time, so a shared slot only costs a conversion. Eight bytes a slot, so that
// the slots of a list's ten years stay in the processor's nearest caches: the time as 32 bits
// (every date parsed fits; other times are converted every time) and the year index plus one,
// 0 for a free slot. Failed conversions are not kept.
constexpr std::size_t kYearCacheSlots = 4096;
constexpr std::uint64_t kSecondsPerDay = 86400;
struct YearCacheSlot {
  std::int32_t when;
  std::int32_t yearIndexPlusOne;
};
std::array<YearCacheSlot, kYearCacheSlots> yearCache{};

// The local-time year minus 1900 of when, or -1 when the platform cannot convert it.
int localYearIndex(std::time_t when) {
  const bool fits = when >= INT32_MIN && when <= INT32_MAX;
  const std::uint64_t day = static_cast<std::uint64_t>(when) / kSecondsPerDay;
  YearCacheSlot& slot = yearCache[day % kYearCacheSlots];
  if (fits && slot.yearIndexPlusOne != 0 && slot.when == when) {
    return slot.yearIndexPlusOne - 1;
  }
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) {
    return -1;
  }
  if (fits && local.tm_year >= 0 && local.tm_year < INT32_MAX) {
    slot = YearCacheSlot{ static_cast<std::int32_t>(when), local.tm_year + 1 };
  }
  return local.tm_year;
}

// The entry of name found by a scan of the table from entry 0, or -1. A trusted index holds
// every entry in use, each sound when it was indexed, so a name it does not hold is new. Up to
// the default size the scan still runs, as it costs little and reports an entry damaged since;
// past it, it is passed over, as it would cost a compare with every entry for every new name.
// An untrusted index leaves every lookup to the scan. Kept apart from the lookup through the
// index, which runs for nearly every line.
int scanForDonor(const char* name, long line, bool indexHoldsAll) {
  const std::size_t used = usedEntries();
  const bool scan = !indexHoldsAll || used <= kDonorTableSize;
  for (std::size_t i = 0; scan && i < used; ++i) {
    const DonorRecord& entry = donorTable[i];
    if (entry.name[0] == '\0') {
      message(MessageKind::bug, line, "Entry %d in the donor table has an empty donor name",
              static_cast<int>(i));
      continue;
    }
    if (sameName(entry.name.data(), name)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Makes the record after the used part hold name; false when no memory was left for it.
bool makeEntry(std::size_t used, const char* name, long line) {
  if (!reserveRecord(used)) {
    return false;
  }
  DonorRecord& entry = donorTable[used];
  if (entry.name[0] != '\0') {
    message(MessageKind::bug, line,
            "Poluted donor table, should be all 0s after donor count at index %d",
            static_cast<int>(used));
  }
  return storeName(entry, name);
}

// Creates the entry of a name the table does not hold, or says why there is none: a full table,
// or no memory left, which is said as for a full table.
int createDonor(const char* name, long line) {
  const std::size_t used = usedEntries();
  const bool full = used >= tableLimit;
  if (full || !makeEntry(used, name, line)) {
    message(MessageKind::error, line, "No room to create donor %s", name);
    if (full && !tableFullHinted) {
      tableFullHinted = true;
      message(MessageKind::info, line,
              "The donor table holds %d names; run again with -n=NUMBER to hold more",
              static_cast<int>(tableLimit));
    }
    return -1;
  }
  if (verbosityLevel >= 4) {
    message(MessageKind::plain, 0, "  Create donor[%d] '%s'", static_cast<int>(used),
            donorTable[used].name.data());
  }
  donorCount = static_cast<std::uint32_t>(used + 1);
  syncIndex();
  return static_cast<int>(used);
}

// findOrCreateDonor for a name of a known length (at most kStoredNameLength).
int findOrCreateOfLength(const char* name, std::size_t length, long line) {
  if (isNameEmpty(name)) {
    message(MessageKind::bug, line, "Donor name must not be blank in findOrCreateDonor");
    return -1;
  }
  const bool indexHoldsAll = syncIndex() && nameIndex != nullptr;
  int found = indexHoldsAll ? indexedEntry(name, keyOfLength(name, length)) : -1;
  if (found < 0) {
    found = scanForDonor(name, line, indexHoldsAll);
  }
  if (found < 0) {
    return createDonor(name, line);
  }
  if (verbosityLevel >= 4) {
    message(MessageKind::plain, 0, "   FOUND donor[%d] '%s'", found,
            donorTable[static_cast<std::size_t>(found)].name.data());
  }
  return found;
}

// Books amount in entry under yearIndex (a year outside the table books it in the total only),
// or refuses it with an error.
void bookDonation(DonorRecord& entry, int yearIndex, Amount amount, const char* name, long line) {
  const Amount magnitude = magnitudeOf(amount);
  if (amount < -kLedgerMagnitudeLimit || amount > kLedgerMagnitudeLimit ||
      bookedMagnitude > kLedgerMagnitudeLimit - magnitude) {
    message(MessageKind::error, line, "Amount %s for donor %s exceeds what the ledger can hold",
            formatMoney(amount, 0).text, name);
    return;
  }
  const bool inTable = yearIndex >= 0 && yearIndex < kYearCount;
  unsigned char* slot = nullptr;
  if (inTable) {
    slot = yearSlot(entry, yearIndex);
    // Booked in full or not at all: without room for the year, the total is left as it was.
    if (slot == nullptr) {
      message(MessageKind::error, line, "No memory left to book %s for donor %s",
              formatMoney(amount, 0).text, name);
      return;
    }
  }
  bookedMagnitude += magnitude;
  entry.totalAmount += amount;
  if (inTable) {
    // The magnitude bound keeps 256 times any year's sum inside 64 bits.
    storePair(slot, loadPair(slot) + amount * 256);
  } else {
    message(MessageKind::error, line, "Invalid year %d for donor %s", yearIndex, name);
  }
}

std::size_t lengthOf(const char* name) {
  return isNameEmpty(name) ? 0 : strnlen(name, kStoredNameLength);
}

}  // namespace

void prefetchDonor(const char* name, std::size_t length) {
  if (nameIndex == nullptr || !indexTrusted) {
    return;
  }
  const std::uint32_t hash =
      keyOfLength(name, length < kStoredNameLength ? length : kStoredNameLength).hash;
  prefetchIndexSlot(hash);
  const std::uint32_t earlier = laggingHashes[nextLaggingHash];
  laggingHashes[nextLaggingHash] = hash;
  nextLaggingHash = (nextLaggingHash + 1) % kPrefetchLag;
  prefetchIndexedRecord(earlier);
}

// Walks stop at the first unused entry: the table guarantees nothing after it is in use.
std::size_t usedDonorEntries() {
  std::size_t count = 0;
  while (isDonorEntryInUse(count)) {
    ++count;
  }
  return count;
}

bool setDonorTableSize(long size) {
  if (size < static_cast<long>(kDonorTableSize) || size > static_cast<long>(kLargestDonorTable)) {
    return false;
  }
  tableLimit = static_cast<std::size_t>(size);
  return true;
}

std::size_t donorTableSize() { return tableLimit; }

int findOrCreateDonor(const char* name, long line) {
  return findOrCreateOfLength(name, lengthOf(name), line);
}

bool bindSourceType(int index, long line, SourceType type) {
  if (index < 0 || static_cast<std::size_t>(index) >= usedEntries()) {
    return false;
  }
  DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  if (entry.sourceType == type) {
    return true;
  }
  if (entry.sourceType != DONOR) {
    message(MessageKind::error, line,
            "Changing the source of funding for a name is not allowed on line %ld", line);
    return false;
  }
  entry.sourceType = type;
  return true;
}

void addDonation(const char* name, std::time_t when, Amount amount, long line) {
  addDonationOfLength(name, lengthOf(name), when, amount, line);
}

void addDonationOfLength(const char* name, std::size_t length, std::time_t when, Amount amount,
                         long line) {
  // A time the platform cannot convert has no year; its amount is then kept out of every year.
  const int yearIndex = localYearIndex(when);
  // A new name is created on a miss of the index, so the length must be the name's own: checked
  // here at the cost of one character.
  std::size_t keyLength = length < kStoredNameLength ? length : kStoredNameLength;
  if (!isNameEmpty(name) && keyLength < kStoredNameLength && name[keyLength] != '\0') {
    keyLength = lengthOf(name);
  }
  const int index = findOrCreateOfLength(name, keyLength, line);
  if (index >= 0) {
    bookDonation(donorTable[static_cast<std::size_t>(index)], yearIndex, amount, name, line);
  } else if (!isNameEmpty(name)) {
    // A blank name has already been reported as such; only a full table needs this error.
    message(MessageKind::error, line, "Can not create donor %s table full", name);
  }
}

void checkDonorTable(const char* stage) {
  const std::size_t used = usedEntries();
  for (std::size_t i = 0; i < used; ++i) {
    if (donorTable[i].name[0] != '\0') {
      continue;
    }
    message(MessageKind::bug, 0, "    Called from %s", stage != nullptr ? stage : "");
    messageMore("    entry %d in the donor table has an empty donor name", static_cast<int>(i));
  }
}

bool addYearAmount(int index, int yearIndex, Amount cents) {
  if (index < 0 || static_cast<std::size_t>(index) >= usedEntries() || yearIndex < 0 ||
      yearIndex >= kYearCount) {
    return false;
  }
  DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  unsigned char* slot = yearSlot(entry, yearIndex);
  if (slot == nullptr) {
    return false;
  }
  entry.totalAmount += cents;
  storePair(slot, loadPair(slot) + cents * 256);
  return true;
}

int appendDonorEntry(const char* name) {
  const std::size_t used = usedEntries();
  if (!reserveRecord(used)) {
    return -1;
  }
  if (!storeName(donorTable[used], name != nullptr ? name : "")) {
    return -1;
  }
  donorCount = static_cast<std::uint32_t>(used + 1);
  return static_cast<int>(used);
}

void resetDonorTable() {
  for (std::size_t i = 0; i < donorTable.capacity / kDonorBlockRecords; ++i) {
    std::free(recordBlocks[i]);
  }
  std::free(static_cast<void*>(recordBlocks));
  recordBlocks = nullptr;
  recordBlockSlots = 0;
  donorTable = DonorTable{ nullptr, 0 };
  donorCount = 0;
  for (std::size_t i = 0; i < nameBlockCount; ++i) {
    std::free(nameBlocks[i]);
  }
  std::free(static_cast<void*>(nameBlocks));
  nameBlocks = nullptr;
  nameBlockCount = 0;
  nameBlockSlots = 0;
  nameBlockUsed = kNameBlockSize;
  clearYearPool();
  bookedMagnitude = 0;
  tableLimit = kDonorTableSize;
  tableFullHinted = false;
  clearIndex();
  yearCache = {};
}

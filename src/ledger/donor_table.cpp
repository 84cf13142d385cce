#include "ledger/donor_table.hpp"

#include <cstring>

#include "ledger/magnitude_limit.hpp"
#include "ledger/source_type.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

std::array<DonorRecord, kDonorTableSize> donorTable{};
std::uint32_t donorCount = 0;

namespace {

// Sum of the magnitudes of every amount booked. Refusing what would raise it above
// kLedgerMagnitudeLimit keeps every total, and every total times 1000, inside 64 bits.
Amount bookedMagnitude = 0;

constexpr std::size_t kStoredNameLength = kDonorNameSize - 1;

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

// Entries that may be in use; donorCount never exceeds the table, but a corrupted count must
// not walk past it.
std::size_t usedEntries() { return donorCount < kDonorTableSize ? donorCount : kDonorTableSize; }

Amount magnitudeOf(Amount amount) { return amount < 0 ? -amount : amount; }

// An index beside the table finds a name among 512 without comparing it with each entry:
// open addressing over a hash of the case-folded name, each used slot holding the hash, the
// name's length and the entry's index plus one. The table stays the record (order, first
// spelling); every hit is checked against the entry itself. The index covers entries 0 to
// indexedCount - 1 and is trusted only while they were all found sound when indexed; otherwise
// every lookup takes the table scan, which reports the damage as before.
constexpr std::size_t kIndexSlots = 2 * kDonorTableSize;
constexpr std::size_t kIndexMask = kIndexSlots - 1;
static_assert((kIndexSlots & kIndexMask) == 0, "the slot count must be a power of two");
struct IndexSlot {
  std::uint32_t hash;
  std::uint16_t entryPlusOne;  // 0: slot free
  std::uint16_t length;
};
std::array<IndexSlot, kIndexSlots> nameIndex{};
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

// The entry holding name according to the index, or -1.
[[gnu::always_inline]] inline int indexedEntry(const char* name, const NameKey& key) {
  for (std::size_t slot = key.hash & kIndexMask; nameIndex[slot].entryPlusOne != 0;
       slot = (slot + 1) & kIndexMask) {
    const IndexSlot& filed = nameIndex[slot];
    const std::size_t entry = filed.entryPlusOne - 1u;
    if (filed.hash == key.hash && filed.length == key.length &&
        sameKeyedName(donorTable[entry].name.data(), name, key.length)) {
      return static_cast<int>(entry);
    }
  }
  return -1;
}

void clearIndex() {
  nameIndex.fill(IndexSlot{ 0, 0, 0 });
  indexedCount = 0;
  indexTrusted = true;
}

// Brings the index up to the used part of the table, which code outside this file may also
// have filled. An empty or repeated name makes the index untrusted until the table is reset.
bool catchUpIndex();

bool syncIndex() { return indexedCount == usedEntries() ? indexTrusted : catchUpIndex(); }

bool catchUpIndex() {
  const std::size_t used = usedEntries();
  if (indexedCount > used) {
    clearIndex();
  }
  while (indexTrusted && indexedCount < used) {
    const char* name = donorTable[indexedCount].name.data();
    const NameKey key = nameKey(name);
    if (name[0] == '\0' || indexedEntry(name, key) >= 0) {
      indexTrusted = false;
      break;
    }
    std::size_t slot = key.hash & kIndexMask;
    while (nameIndex[slot].entryPlusOne != 0) {
      slot = (slot + 1) & kIndexMask;
    }
    nameIndex[slot] = IndexSlot{ key.hash, static_cast<std::uint16_t>(indexedCount + 1),
                                 static_cast<std::uint16_t>(key.length) };
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

void reportFound(std::size_t index) {
  if (verbosityLevel >= 4) {
    beginPlain();
    emitText(composeLine("   FOUND donor[%d] '%s'", static_cast<int>(index),
                         donorTable[index].name.data()));
    endLine();
  }
}

}  // namespace

namespace {

// Finds name by scanning the table from entry 0, or creates its entry: for a name the index
// does not hold, and whenever the index cannot be trusted. Kept apart from the lookup through
// the index, which runs for nearly every donation line.
int scanOrCreateDonor(const char* name, long line) {
  const std::size_t used = usedEntries();
  for (std::size_t i = 0; i < used; ++i) {
    const DonorRecord& entry = donorTable[i];
    if (entry.name[0] == '\0') {
      beginBug(line);
      emitText(
          composeLine("Entry %d in the donor table has an empty donor name", static_cast<int>(i)));
      endLine();
      continue;
    }
    if (sameName(entry.name.data(), name)) {
      reportFound(i);
      return static_cast<int>(i);
    }
  }

  if (used >= kDonorTableSize) {
    beginError(line);
    emitText(composeLine("No room to create donor %s", name));
    endLine();
    return -1;
  }

  DonorRecord& entry = donorTable[used];
  if (entry.name[0] != '\0') {
    beginBug(line);
    emitText(composeLine("Poluted donor table, should be all 0s after donor count at index %d",
                         static_cast<int>(used)));
    endLine();
  }
  std::strncpy(entry.name.data(), name, kDonorNameSize);
  entry.name[kStoredNameLength] = '\0';

  if (verbosityLevel >= 4) {
    beginPlain();
    emitText(composeLine("  Create donor[%d] '%s'", static_cast<int>(used), entry.name.data()));
    endLine();
  }
  donorCount = static_cast<std::uint32_t>(used + 1);
  syncIndex();
  return static_cast<int>(used);
}

}  // namespace

namespace {

// findOrCreateDonor for a name of a known length (at most kStoredNameLength).
int findOrCreateOfLength(const char* name, std::size_t length, long line) {
  if (isNameEmpty(name)) {
    beginBug(line);
    emitText(composeLine("Donor name must not be blank in findOrCreateDonor"));
    endLine();
    return -1;
  }
  if (syncIndex()) {
    const int found = indexedEntry(name, keyOfLength(name, length));
    if (found >= 0) {
      reportFound(static_cast<std::size_t>(found));
      return found;
    }
  }
  return scanOrCreateDonor(name, line);
}

std::size_t lengthOf(const char* name) {
  return isNameEmpty(name) ? 0 : strnlen(name, kStoredNameLength);
}

}  // namespace

int findOrCreateDonor(const char* name, long line) {
  return findOrCreateOfLength(name, lengthOf(name), line);
}

bool bindSourceType(int index, long line, int type) {
  if (index < 0 || static_cast<std::size_t>(index) >= usedEntries()) {
    return false;
  }
  DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  if (entry.sourceType == type) {
    return true;
  }
  if (entry.sourceType != DONOR) {
    beginError(line);
    emitText(
        composeLine("Changing the source of funding for a name is not allowed on line %ld", line));
    endLine();
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

  const int index =
      findOrCreateOfLength(name, length < kStoredNameLength ? length : kStoredNameLength, line);
  if (index < 0) {
    // A blank name has already been reported as such; only a full table needs this error.
    if (!isNameEmpty(name)) {
      beginError(line);
      emitText(composeLine("Can not create donor %s table full", name));
      endLine();
    }
    return;
  }

  const Amount magnitude = magnitudeOf(amount);
  if (amount < -kLedgerMagnitudeLimit || amount > kLedgerMagnitudeLimit ||
      bookedMagnitude > kLedgerMagnitudeLimit - magnitude) {
    beginError(line);
    emitText(composeLine("Amount %s for donor %s exceeds what the ledger can hold",
                         formatMoney(amount, 0).text, name));
    endLine();
    return;
  }
  bookedMagnitude += magnitude;

  DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  entry.totalAmount += amount;
  if (yearIndex >= 0 && yearIndex < kYearCount) {
    entry.yearAmounts[static_cast<std::size_t>(yearIndex)] += amount;
  } else {
    beginError(line);
    emitText(composeLine("Invalid year %d for donor %s", yearIndex, name));
    endLine();
  }
}

void checkDonorTable(const char* stage) {
  const std::size_t used = usedEntries();
  for (std::size_t i = 0; i < used; ++i) {
    if (donorTable[i].name[0] != '\0') {
      continue;
    }
    beginBug(0);
    emitText(composeLine("    Called from %s", stage != nullptr ? stage : ""));
    endLine();
    beginBug(0);
    emitText(composeLine("    entry %d in the donor table has an empty donor name",
                         static_cast<int>(i)));
    endLine();
  }
}

void resetDonorTable() {
  donorTable = {};
  donorCount = 0;
  bookedMagnitude = 0;
  clearIndex();
  yearCache = {};
}

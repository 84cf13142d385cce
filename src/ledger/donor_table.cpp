#include "ledger/donor_table.hpp"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "ledger/donor_index.hpp"
#include "ledger/magnitude_limit.hpp"
#include "ledger/tax_year.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

static_assert(sizeof(DonorRecord) == 128, "a record is two cache lines");

DonorTable donorTable;

namespace {

bool isNameEmpty(const char* name) { return name == nullptr || name[0] == '\0'; }

std::size_t lengthOf(const char* name) {
  return isNameEmpty(name) ? 0 : strnlen(name, kStoredNameLength);
}

Amount magnitudeOf(Amount amount) { return amount < 0 ? -amount : amount; }

// --- storage ---------------------------------------------------------------------------------
// Taken as names are created and kept until the table is reset, so that memory follows the
// names a run has, not the size the table may reach. Nothing is taken per line read.

// Room for one more pointer in an array of them that doubles when full; false when no memory
// was left.
template <typename Pointer>
bool reservePointer(Pointer*& array, std::size_t count, std::size_t& slots) {
  static_assert(std::is_pointer_v<Pointer>,
                "an array of object pointers, each of the size of void*");
  if (count < slots) {
    return true;
  }
  const std::size_t grownSlots = slots == 0 ? 16 : 2 * slots;
  void* grown = std::realloc(static_cast<void*>(array), grownSlots * sizeof(void*));
  if (grown == nullptr) {
    return false;
  }
  array = static_cast<Pointer*>(grown);
  slots = grownSlots;
  return true;
}

// A zeroed block of records aligned so that a record is two whole cache lines. calloc, not
// aligned_alloc and memset: the block comes fresh from the system, and a page of it is only
// made resident when a record on it is first used, so a list of a few hundred names keeps 64
// KiB of the block instead of all 512. The pointer to free sits just before the records.
DonorRecord* newRecordBlock() {
  void* const taken = std::calloc(kDonorBlockRecords + 1, sizeof(DonorRecord));
  if (taken == nullptr) {
    return nullptr;
  }
  // Moved along from the block's own pointer, so that the compiler still knows where it points.
  char* const after = static_cast<char*>(taken) + sizeof(void*);
  const std::size_t past = reinterpret_cast<std::uintptr_t>(after) % alignof(DonorRecord);
  char* const start = after + (past == 0 ? 0 : alignof(DonorRecord) - past);
  reinterpret_cast<void**>(start)[-1] = taken;
  return reinterpret_cast<DonorRecord*>(start);
}

void freeRecordBlock(DonorRecord* block) {
  std::free(reinterpret_cast<void**>(block)[-1]);
}

// Room for the record at used: blocks of records that never move, zeroed so that unused
// entries read as empty.
bool reserveRecord(std::size_t used) {
  if (used < donorTable.capacity) {
    return true;
  }
  const std::size_t blockCount = donorTable.capacity / kDonorBlockRecords;
  if (!reservePointer(donorTable.blocks, blockCount, donorTable.blockSlots)) {
    return false;
  }
  DonorRecord* const block = newRecordBlock();
  if (block == nullptr) {
    return false;
  }
  donorTable.blocks[blockCount] = block;
  donorTable.capacity += kDonorBlockRecords;
  return true;
}

// A copy of the first length characters of name with a terminator, or nullptr.
char* storeLongName(const char* name, std::size_t length) {
  LongNameBlocks& names = donorTable.longNames;
  if (kNameBlockSize - names.used < length + 1) {
    if (!reservePointer(names.blocks, names.count, names.slots)) {
      return nullptr;
    }
    // Zeroed, with room past its end for the longest name, so that a compare of a stored name
    // with a longer one reads only memory of the block (see entryHasName).
    char* block = static_cast<char*>(std::calloc(kNameBlockSize + kDonorNameSize, 1));
    if (block == nullptr) {
      return nullptr;
    }
    names.blocks[names.count++] = block;
    names.used = 0;
  }
  char* stored = names.blocks[names.count - 1] + names.used;
  std::memcpy(stored, name, length);
  stored[length] = '\0';
  names.used += length + 1;
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

// --- lookup and creation -----------------------------------------------------------------------

// The entry of name found by a scan of the table from entry 0, or -1. A trusted index holds
// every entry in use, each sound when it was indexed, so a name it does not hold is new. Up to
// the default size the scan still runs, as it costs little and reports an entry damaged since;
// past it, it is passed over, as it would cost a compare with every entry for every new name.
// An untrusted index leaves every lookup to the scan. Kept apart from the lookup through the
// index, which runs for nearly every line.
[[gnu::noinline]] int scanForDonor(const char* name, std::size_t length, long line,
                                   bool indexHoldsAll) {
  // A name outside ASCII spelt otherwise than it was filed is found under its folded form.
  if (indexHoldsAll) {
    const int found = indexedEntry(donorTable, name, filingKeyOf(name, length));
    if (found >= 0) {
      return found;
    }
  }
  const std::size_t used = countedDonorEntries();
  const bool scan = !indexHoldsAll || used <= kDonorTableSize;
  for (std::size_t i = 0; scan && i < used; ++i) {
    const DonorRecord& entry = donorTable[i];
    if (entry.name[0] == '\0') {
      message(MessageKind::bug, line, "Entry %d in the donor table has an empty donor name",
              static_cast<int>(i));
      continue;
    }
    if (firstCharactersMayMatch(entry.name.data(), name) && entryHasName(entry, name, length)) {
      return static_cast<int>(i);
    }
  }
  // Without the index, the scan is the lookup, and must find a name spelt another way too.
  for (std::size_t i = 0; !indexHoldsAll && i < used; ++i) {
    if (foldedSpellingsMatch(donorTable[i].name.data(), name, length)) {
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
[[gnu::noinline]] int createDonor(const char* name, long line) {
  const std::size_t used = countedDonorEntries();
  const bool full = used >= donorTable.limit;
  if (full || !makeEntry(used, name, line)) {
    message(MessageKind::error, line, "No room to create donor %s", name);
    if (full && !donorTable.fullHinted) {
      donorTable.fullHinted = true;
      message(MessageKind::info, line,
              "The donor table holds %d names; run again with -n=NUMBER to hold more",
              static_cast<int>(donorTable.limit));
    }
    return -1;
  }
  if (verbosityLevel >= 4) {
    message(MessageKind::plain, 0, "  Create donor[%d] '%s'", static_cast<int>(used),
            donorTable[used].name.data());
  }
  donorTable.count = static_cast<std::uint32_t>(used + 1);
  syncDonorIndex(donorTable);
  return static_cast<int>(used);
}

[[gnu::noinline]] void reportFound(int found) {
  message(MessageKind::plain, 0, "   FOUND donor[%d] '%s'", found,
          donorTable[static_cast<std::size_t>(found)].name.data());
}

[[gnu::noinline]] int reportBlankName(long line) {
  message(MessageKind::bug, line, "Donor name must not be blank in findOrCreateDonor");
  return -1;
}

// findOrCreateDonor for a name of a known length (at most kStoredNameLength). Inlined where
// donations are booked: nearly every line finds its name through the index, and the call would
// cost a good part of the lookup. The scan, the creation and the messages stay out of line.
[[gnu::always_inline]] inline int findOrCreateOfLength(const char* name, std::size_t length,
                                                       long line) {
  if (isNameEmpty(name)) {
    return reportBlankName(line);
  }
  const bool indexHoldsAll = syncDonorIndex(donorTable) && donorIndex.slots != nullptr;
  int found = indexHoldsAll ? indexedEntry(donorTable, name, keyOfLength(name, length)) : -1;
  if (found < 0) {
    found = scanForDonor(name, length, line, indexHoldsAll);
    if (found < 0) {
      return createDonor(name, line);
    }
  }
  if (verbosityLevel >= 4) {
    reportFound(found);
  }
  return found;
}

// --- booking ---------------------------------------------------------------------------------

// Local-time tax years of calendar times already converted. Donations carry one calendar time
// per day (00:00:01 local), so a few thousand slots keyed by the day hold a list's dates; a slot
// keeps the full time, so a shared slot only costs a conversion. Eight bytes a slot, so that
// the slots of a list's ten years stay in the processor's nearest caches: the time as 32 bits
// (every date parsed fits; other times are converted every time). Failed conversions are not
// kept.
constexpr std::uint64_t kSecondsPerDay = 86400;

// The conversion of a time the slots do not hold, kept in its slot when it fits. Out of line:
// nearly every donation finds its day in the slots.
[[gnu::noinline]] int convertYearIndex(std::time_t when, bool fits, YearOfTime& slot) {
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) {
    return -1;
  }
  const int yearIndex = taxYearOf(local.tm_year, local.tm_mon + 1, donorTable.taxYearStartMonth);
  if (fits && yearIndex >= 0 && yearIndex < INT32_MAX) {
    slot = YearOfTime{ static_cast<std::int32_t>(when), yearIndex + 1 };
  }
  return yearIndex;
}

// The local-time tax year minus 1900 of when, or -1 when the platform cannot convert it.
int localYearIndex(std::time_t when) {
  const bool fits = when >= INT32_MIN && when <= INT32_MAX;
  const std::uint64_t day = static_cast<std::uint64_t>(when) / kSecondsPerDay;
  YearOfTime& slot = donorTable.yearCache[day % kYearCacheSlots];
  if (fits && slot.yearIndexPlusOne != 0 && slot.when == when) {
    return slot.yearIndexPlusOne - 1;
  }
  return convertYearIndex(when, fits, slot);
}

// Books amount in entry under yearIndex (a year outside the table books it in the total only),
// or refuses it with an error.
void bookDonation(DonorRecord& entry, int yearIndex, Amount amount, const char* name, long line) {
  // The magnitude is taken only of an amount inside the bound: the most negative one has none.
  if (amount < -kLedgerMagnitudeLimit || amount > kLedgerMagnitudeLimit ||
      donorTable.bookedMagnitude > kLedgerMagnitudeLimit - magnitudeOf(amount)) {
    message(MessageKind::error, line, "Amount %s for donor %s exceeds what the ledger can hold",
            formatMoney(amount, 0).text, name);
    return;
  }
  const bool inTable = yearIndex >= 0 && yearIndex < kYearCount;
  unsigned char* slot = nullptr;
  if (inTable) {
    slot = yearSlot(entry.yearAmounts, yearIndex);
    // Booked in full or not at all: without room for the year, the total is left as it was.
    if (slot == nullptr) {
      message(MessageKind::error, line, "No memory left to book %s for donor %s",
              formatMoney(amount, 0).text, name);
      return;
    }
  }
  donorTable.bookedMagnitude += magnitudeOf(amount);
  entry.totalAmount += amount;
  if (inTable) {
    addToYear(slot, amount);
  } else {
    message(MessageKind::error, line, "Invalid year %d for donor %s", yearIndex, name);
  }
}

}  // namespace

std::size_t usedDonorEntries() { return usedEntriesOf(donorTable); }

// Walks stop at the first unused entry: the table guarantees nothing after it is in use.
std::size_t usedEntriesOf(const DonorTable& table) {
  const std::size_t counted = table.count < table.capacity ? table.count : table.capacity;
  std::size_t count = 0;
  while (count < counted && table[count].name[0] != '\0') {
    ++count;
  }
  return count;
}

bool setDonorTableSize(long size) {
  if (size < static_cast<long>(kDonorTableSize) || size > static_cast<long>(kLargestDonorTable)) {
    return false;
  }
  donorTable.limit = static_cast<std::size_t>(size);
  return true;
}

std::size_t donorTableSize() { return donorTable.limit; }

bool setTaxYearStartMonth(long startMonth) {
  if (startMonth < 1 || startMonth > kMonthsInYear) {
    return false;
  }
  donorTable.taxYearStartMonth = static_cast<int>(startMonth);
  // The remembered years were taken with the earlier month.
  donorTable.yearCache.fill(YearOfTime{ 0, 0 });
  return true;
}

int findOrCreateDonor(const char* name, long line) {
  return findOrCreateOfLength(name, lengthOf(name), line);
}

bool bindSourceType(int index, long line, SourceType type) {
  if (index < 0 || static_cast<std::size_t>(index) >= countedDonorEntries()) {
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
  if (!mayBeRelated(type) && leaveDonorGroup(donorTable.groups, static_cast<std::size_t>(index))) {
    message(MessageKind::info, line, "%s is no longer grouped with related names",
            entry.name.data());
  }
  return true;
}

bool relateDonors(int first, int second, long line) {
  const std::size_t used = countedDonorEntries();
  if (first < 0 || second < 0 || static_cast<std::size_t>(first) >= used ||
      static_cast<std::size_t>(second) >= used) {
    return false;
  }
  if (!joinDonorGroups(donorTable.groups, static_cast<std::size_t>(first),
                       static_cast<std::size_t>(second))) {
    message(MessageKind::error, line, "No memory left to group %s with %s",
            donorTable[static_cast<std::size_t>(first)].name.data(),
            donorTable[static_cast<std::size_t>(second)].name.data());
    return false;
  }
  return true;
}

void addDonation(const char* name, std::time_t when, Amount amount, long line) {
  addDonationOfLength(name, lengthOf(name), when, amount, line);
}

void addDonationOfLength(const char* name, std::size_t length, std::time_t when, Amount amount,
                         long line) {
  addDonationInMonth(name, length, when, LocalMonth{ 0, 0 }, amount, line);
}

void addDonationInMonth(const char* name, std::size_t length, std::time_t when, LocalMonth local,
                        Amount amount, long line) {
  // A time the platform cannot convert has no year; its amount is then kept out of every year.
  const int yearIndex = local.month != 0
                            ? taxYearOf(local.year, local.month, donorTable.taxYearStartMonth)
                            : localYearIndex(when);
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
  const std::size_t used = countedDonorEntries();
  for (std::size_t i = 0; i < used; ++i) {
    if (donorTable[i].name[0] != '\0') {
      continue;
    }
    message(MessageKind::bug, 0, "    Called from %s", stage != nullptr ? stage : "");
    messageMore("    entry %d in the donor table has an empty donor name", static_cast<int>(i));
  }
}

bool addYearAmount(int index, int yearIndex, Amount cents) {
  if (index < 0 || static_cast<std::size_t>(index) >= countedDonorEntries() || yearIndex < 0 ||
      yearIndex >= kYearCount) {
    return false;
  }
  DonorRecord& entry = donorTable[static_cast<std::size_t>(index)];
  unsigned char* slot = yearSlot(entry.yearAmounts, yearIndex);
  if (slot == nullptr) {
    return false;
  }
  entry.totalAmount += cents;
  addToYear(slot, cents);
  return true;
}

int appendDonorEntry(const char* name) {
  const std::size_t used = countedDonorEntries();
  if (!reserveRecord(used)) {
    return -1;
  }
  if (!storeName(donorTable[used], name != nullptr ? name : "")) {
    return -1;
  }
  donorTable.count = static_cast<std::uint32_t>(used + 1);
  return static_cast<int>(used);
}

void resetDonorTable() {
  for (std::size_t i = 0; i < donorTable.capacity / kDonorBlockRecords; ++i) {
    freeRecordBlock(donorTable.blocks[i]);
  }
  std::free(static_cast<void*>(donorTable.blocks));
  donorTable.blocks = nullptr;
  donorTable.blockSlots = 0;
  donorTable.capacity = 0;
  clearDonorTable();
}

// Zeroing only the entries in use spares the 512 KiB of a block for a table of a few names.
// Every byte, as a new block is zeroed.
void clearDonorTable() {
  const std::size_t used = countedDonorEntries();
  for (std::size_t i = 0; i < used; i += kDonorBlockRecords) {
    const std::size_t records = used - i < kDonorBlockRecords ? used - i : kDonorBlockRecords;
    std::memset(static_cast<void*>(&donorTable[i]), 0, records * sizeof(DonorRecord));
  }
  for (std::size_t i = 0; i < donorTable.longNames.count; ++i) {
    std::free(donorTable.longNames.blocks[i]);
  }
  std::free(static_cast<void*>(donorTable.longNames.blocks));
  releaseDonorGroups(donorTable.groups);
  DonorRecord** const blocks = donorTable.blocks;
  const std::size_t blockSlots = donorTable.blockSlots;
  const std::size_t capacity = donorTable.capacity;
  donorTable = DonorTable{};
  donorTable.blocks = blocks;
  donorTable.blockSlots = blockSlots;
  donorTable.capacity = capacity;
  resetYearPool();
  resetDonorIndex();
}

DonorTableMark markDonorTable() {
  return DonorTableMark{ donorTable.count,           donorTable.limit,
                         donorTable.fullHinted,      donorTable.bookedMagnitude,
                         donorTable.longNames.count, donorTable.longNames.used,
                         donorTable.groups.nodeCount != 0 };
}

void rollBackDonorTable(const DonorTableMark& mark) {
  const std::size_t used = countedDonorEntries();
  truncateDonorIndex(donorTable, mark.count);
  for (std::size_t i = mark.count; i < used; ++i) {
    releaseYears(donorTable[i].yearAmounts);
    std::memset(static_cast<void*>(&donorTable[i]), 0, sizeof(DonorRecord));
  }
  // The long names of the entries dropped lie after those of the others, in the order made.
  LongNameBlocks& names = donorTable.longNames;
  const bool blocksDropped = names.count > mark.nameBlocks;
  while (names.count > mark.nameBlocks) {
    std::free(names.blocks[--names.count]);
  }
  if (names.count != 0 && (blocksDropped || names.used > mark.nameBlockUsed)) {
    const std::size_t end = blocksDropped ? kNameBlockSize : names.used;
    std::memset(names.blocks[names.count - 1] + mark.nameBlockUsed, 0, end - mark.nameBlockUsed);
  }
  names.used = mark.nameBlockUsed;
  donorTable.count = mark.count;
  donorTable.limit = mark.limit;
  donorTable.fullHinted = mark.fullHinted;
  donorTable.bookedMagnitude = mark.bookedMagnitude;
  // Groups joined since a mark without any are all new: dropped whole.
  if (!mark.grouped) {
    releaseDonorGroups(donorTable.groups);
  }
}

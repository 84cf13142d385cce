#include "ledger/donor_table.hpp"

#include <cstring>

#include "ledger/source_type.hpp"
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

char asciiLower(char ch) {
  return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// ASCII only, so the match does not depend on the locale. A given name longer than a stored
// name can hold is compared on the part that would be stored, so it finds its own entry.
bool sameName(const char* stored, const char* name) {
  for (std::size_t i = 0; i < kStoredNameLength; ++i) {
    if (asciiLower(stored[i]) != asciiLower(name[i])) {
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

}  // namespace

int findOrCreateDonor(const char* name, long line) {
  if (isNameEmpty(name)) {
    beginBug(line);
    emitText(composeLine("Donor name must not be blank in findOrCreateDonor"));
    endLine();
    return -1;
  }

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
      if (verbosityLevel >= 4) {
        beginPlain();
        emitText(composeLine("   FOUND donor[%d] '%s'", static_cast<int>(i), entry.name.data()));
        endLine();
      }
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
  return static_cast<int>(used);
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
  std::tm local{};
  // A time the platform cannot convert has no year; its amount is then kept out of every year.
  const int yearIndex = (localtime_r(&when, &local) != nullptr) ? local.tm_year : -1;

  const int index = findOrCreateDonor(name, line);
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
                         formatMoney(amount, 0), name));
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
}

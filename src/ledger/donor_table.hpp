#ifndef QUORVA_LEDGER_DONOR_TABLE_HPP
#define QUORVA_LEDGER_DONOR_TABLE_HPP

#include <cstddef>
#include <cstdint>
#include <ctime>

#include "ledger/donor_records.hpp"
#include "ledger/source_type.hpp"
#include "ledger/tax_year.hpp"
#include "output/amount.hpp"

/// The donor table, in order of first appearance.
extern DonorTable donorTable;

/// donorTable.countedEntries().
inline std::size_t countedDonorEntries() { return donorTable.countedEntries(); }

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

/// Books every amount from now on under its tax year, the one beginning in startMonth (1 to
/// 12); false (setting unchanged) for another month. Set before anything is booked.
bool setTaxYearStartMonth(long startMonth);
/// The month (1 to 12) the tax years amounts are booked under begin in; 1 unless set.
inline int taxYearStartMonth() { return donorTable.taxYearStartMonth; }

/// Finds the entry of name (case-insensitive) or creates it; -1 when blank or the table is full.
int findOrCreateDonor(const char* name, long line);
/// Binds the entry to type; false (and an error) when it already has another type. A grouped
/// name bound to a type that Related lines cannot group leaves its group, with a message.
bool bindSourceType(int index, long line, SourceType type);
/// Makes the entries first and second (in use) one group of related names with their groups;
/// false (and an error) when no memory was left to group them.
bool relateDonors(int first, int second, long line);
/// Books amount for name under the tax year of when in local time.
void addDonation(const char* name, std::time_t when, Amount amount, long line);
/// addDonation for a caller that has counted the name's characters (those before its
/// terminator); spares counting them again on every donation line.
void addDonationOfLength(const char* name, std::size_t length, std::time_t when, Amount amount,
                         long line);
/// addDonationOfLength for a time whose local month is known (local.month 0: not known), which
/// spares converting it again.
void addDonationInMonth(const char* name, std::size_t length, std::time_t when, LocalMonth local,
                        Amount amount, long line);
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
/// resetDonorTable that keeps the blocks of records for the names to come and clears only the
/// entries in use (those past the count are zero unless written there): for callers that fill
/// the table afresh thousands of times, as a fuzz target does for every input.
void clearDonorTable();

/// Where the table stood at one moment, for rollBackDonorTable.
struct DonorTableMark {
  std::uint32_t count;        ///< entries in use
  std::size_t limit;          ///< names the table may hold
  bool fullHinted;            ///< the hint on -n= given
  Amount bookedMagnitude;     ///< the bound's sum
  std::size_t nameBlocks;     ///< blocks of long names taken
  std::size_t nameBlockUsed;  ///< bytes used in the last of them
  bool grouped;               ///< some names were grouped (Related)
};
/// Where the table stands now.
DonorTableMark markDonorTable();
/// Returns the table to mark, taken since it was last reset or cleared: the entries created
/// since are dropped (records cleared, names and years given back, out of the index), and the
/// size, the hint and the bound's sum are as they were; groups made since a mark taken without
/// any are dropped. What was booked since into the entries
/// before the mark stays, and so do the years of times already converted (they only spare
/// conversions). For callers that fill a table once and restore it thousands of times, as a
/// fuzz target does for every input.
void rollBackDonorTable(const DonorTableMark& mark);

#endif

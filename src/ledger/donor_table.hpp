#ifndef QUORVA_LEDGER_DONOR_TABLE_HPP
#define QUORVA_LEDGER_DONOR_TABLE_HPP

#include <array>
#include <cstdint>
#include <ctime>

#include "output/amount.hpp"

/// Number of entries in the donor table.
constexpr std::size_t kDonorTableSize = 512;
/// Number of per-year amounts: yearIndex 0 (1900) to 255 (2155).
constexpr int kYearCount = 256;
/// The calendar year of yearIndex 0.
constexpr int kBaseYear = 1900;
/// Size of a stored name: 255 characters and the terminator.
constexpr std::size_t kDonorNameSize = 256;

/// One named funding source. An empty name marks an entry not in use.
struct DonorRecord {
  std::array<char, kDonorNameSize> name;
  Amount totalAmount;                          ///< every amount booked, in any year (cents)
  std::array<Amount, kYearCount> yearAmounts;  ///< amounts by yearIndex (cents)
  int sourceType;                              ///< SourceType code; 0 until bound, then fixed
  Amount fiveYearTotal;                        ///< filled by computeTotals
};

/// The fixed table, in order of first appearance; entries from donorCount on are all zero.
extern std::array<DonorRecord, kDonorTableSize> donorTable;
/// Number of entries in use.
extern std::uint32_t donorCount;

/// Finds the entry of name (case-insensitive) or creates it; -1 when blank or the table is full.
int findOrCreateDonor(const char* name, long line);
/// Binds the entry to type; false (and an error) when it already has another type.
bool bindSourceType(int index, long line, int type);
/// Books amount for name under the local-time year of when.
void addDonation(const char* name, std::time_t when, Amount amount, long line);
/// addDonation for a caller that has counted the name's characters (those before its
/// terminator); spares counting them again on every donation line.
void addDonationOfLength(const char* name, std::size_t length, std::time_t when, Amount amount,
                         long line);
/// Reports every empty name inside the used part of the table as an internal fault.
void checkDonorTable(const char* stage);

/// Empties the table (for tests and in-process reruns).
void resetDonorTable();

#endif

#ifndef QUORVA_LEDGER_YEAR_AMOUNTS_HPP
#define QUORVA_LEDGER_YEAR_AMOUNTS_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "output/amount.hpp"

/// Number of per-year amounts: yearIndex 0 (1900) to 255 (2155).
constexpr int kYearCount = 256;
/// The calendar year of yearIndex 0.
constexpr int kBaseYear = 1900;

/// DonorYears::windowFrom of a donor with a year outside its window.
constexpr std::uint8_t kNoYearWindow = 0xff;
/// Years a donor's amounts keep inside its record before they move to the pool.
constexpr std::size_t kInlineYears = 8;
/// Size classes of the pool's runs, by room: 1, 2, 4, ... 256 years (16 up are used).
constexpr std::size_t kRunSizes = 9;

/// The pool of the years that do not fit in their record: runs of pairs (8 bytes each), a free
/// list of runs by size class. The member initialisers are the empty pool.
struct YearPool {
  std::int64_t* pairs = nullptr;  ///< capacity pairs, used of them handed out in runs
  std::size_t used = 0;
  std::size_t capacity = 0;
  /// By size class: the start of the first free run plus one, 0 when there is none.
  std::array<std::uint32_t, kRunSizes> freeRuns{};
};

/// The pool of every donor's years beyond kInlineYears.
extern YearPool yearPool;

/// A year and its sum packed as eight bytes at at: yearIndex plus 256 times the sum in cents.
inline std::int64_t loadPair(const unsigned char* at) {
  std::int64_t packed = 0;
  std::memcpy(&packed, at, sizeof packed);
  return packed;
}
inline void storePair(unsigned char* at, std::int64_t packed) {
  std::memcpy(at, &packed, sizeof packed);
}

/// A donor's amounts by year: count years in increasing order, each as yearIndex plus 256 times
/// the year's sum in cents, eight bytes each: inside the record up to kInlineYears, then in a
/// run from first in the pool. The years also show in a window of 32 bits, so that booking
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
                        : reinterpret_cast<const unsigned char*>(yearPool.pairs + first);
  }
  unsigned char* pairs() {
    return roomLog == 0 ? inlinePairs : reinterpret_cast<unsigned char*>(yearPool.pairs + first);
  }
  /// The k-th year and its sum, packed (k below count).
  std::int64_t pairAt(std::size_t k) const { return loadPair(pairs() + k * sizeof(std::int64_t)); }
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

/// A donor's window of years: 32 of them, opened 16 years before the first year it gives in.
constexpr int kWindowYears = 32;
constexpr int kWindowLead = 16;

/// Adds yearIndex at zero to the years, at position k (the years before it); where its pair is,
/// or nullptr when no memory was left for it.
unsigned char* addYear(DonorYears& years, int yearIndex, std::size_t k);

/// The bits set in bits: in a few instructions here, where the builtin would be a library call
/// on a processor not known to count them itself.
inline std::size_t bitsSet(std::uint32_t bits) {
  bits = bits - ((bits >> 1) & 0x55555555u);
  bits = (bits & 0x33333333u) + ((bits >> 2) & 0x33333333u);
  return (((bits + (bits >> 4)) & 0x0f0f0f0fu) * 0x01010101u) >> 24;
}

/// Where the pair of yearIndex (0 to 255) is, the year added at zero when the donor has none
/// yet; nullptr when no memory was left for it. Inlined where donations are booked: the years
/// of a list come in no order, so the place is found without a branch on each year, from the
/// window or by counting the years before yearIndex over all of them.
[[gnu::always_inline]] inline unsigned char* yearSlot(DonorYears& years, int yearIndex) {
  // Most donors give in every year from their first one on: a year they have is then as many
  // places after the first as it lies after it, found without counting the years before it.
  // Years are never repeated, so a pair holding yearIndex is its pair wherever it is found.
  if (years.count != 0) {
    unsigned char* pairs = years.pairs();
    const auto guess = static_cast<std::size_t>(yearIndex - (loadPair(pairs) & 0xff));
    if (guess < years.count &&
        (loadPair(pairs + guess * sizeof(std::int64_t)) & 0xff) == yearIndex) {
      return pairs + guess * sizeof(std::int64_t);
    }
  }
  const auto offset = static_cast<unsigned>(yearIndex - (years.windowFrom - 1));
  if (years.windowFrom != 0 && years.windowFrom != kNoYearWindow && offset < kWindowYears) {
    const std::size_t k = bitsSet(years.window & ((1u << offset) - 1u));
    if (((years.window >> offset) & 1u) != 0) {
      return years.pairs() + k * sizeof(std::int64_t);
    }
    return addYear(years, yearIndex, k);
  }
  const unsigned char* pairs = years.pairs();
  std::size_t k = 0;
  for (std::size_t i = 0; i < years.count; ++i) {
    k += static_cast<std::size_t>((loadPair(pairs + i * sizeof(std::int64_t)) & 0xff) < yearIndex);
  }
  if (k < years.count && (loadPair(pairs + k * sizeof(std::int64_t)) & 0xff) == yearIndex) {
    return years.pairs() + k * sizeof(std::int64_t);
  }
  return addYear(years, yearIndex, k);
}

/// Adds cents to the sum of the pair at slot (from yearSlot).
inline void addToYear(unsigned char* slot, Amount cents) {
  // The ledger's magnitude bound keeps 256 times any year's sum inside 64 bits.
  storePair(slot, loadPair(slot) + cents * 256);
}

/// Frees the pool: every donor's years must be dropped with it.
void resetYearPool();
/// Drops a donor's years, giving their run back to the pool if they have one.
void releaseYears(DonorYears& years);

#endif

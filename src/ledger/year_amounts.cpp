#include "ledger/year_amounts.hpp"

#include <cstdlib>

YearPool yearPool;

namespace {

// A donor's years are kept in increasing order of year, inside its record up to kInlineYears
// (most names give in a few years, and a lookup reads the record anyway), then as a run of
// pairs in the pool. A run that is full moves to one of twice its room; the room it leaves goes
// to a free list by size (linked through its first pair, each link the next run's start plus
// one, 0 ending the list), for the next run of that size. Runs hold 16 to 256 years.
constexpr std::uint32_t kNoRun = 0xffffffffu;

std::size_t runSizeClass(std::size_t room) {
  std::size_t sizeClass = 0;
  while ((std::size_t{ 1 } << sizeClass) < room) {
    ++sizeClass;
  }
  return sizeClass;
}

// The start of a free run with room for room years, or kNoRun when no memory is left.
std::uint32_t takeRun(std::size_t room) {
  std::uint32_t& freeRun = yearPool.freeRuns[runSizeClass(room)];
  if (freeRun != 0) {
    const std::uint32_t run = freeRun - 1;
    freeRun = static_cast<std::uint32_t>(yearPool.pairs[run]);
    return run;
  }
  if (yearPool.capacity - yearPool.used < room) {
    const std::size_t capacity = yearPool.capacity == 0 ? 4096 : 2 * yearPool.capacity;
    if (capacity >= kNoRun - 1) {
      return kNoRun;
    }
    void* grown = std::realloc(static_cast<void*>(yearPool.pairs), capacity * sizeof(std::int64_t));
    if (grown == nullptr) {
      return kNoRun;
    }
    yearPool.pairs = static_cast<std::int64_t*>(grown);
    yearPool.capacity = capacity;
  }
  const std::uint32_t run = static_cast<std::uint32_t>(yearPool.used);
  yearPool.used += room;
  return run;
}

void giveBackRun(std::uint32_t run, std::size_t room) {
  std::uint32_t& freeRun = yearPool.freeRuns[runSizeClass(room)];
  yearPool.pairs[run] = freeRun;
  freeRun = run + 1;
}

// Makes room for one more year: a full record moves its years to a run of the pool, a full run
// to one of twice the room. False when no memory was left.
bool makeRoomForYear(DonorYears& years) {
  const std::size_t room =
      years.roomLog == 0 ? kInlineYears : std::size_t{ 1 } << (years.roomLog - 1);
  if (years.count < room) {
    return true;
  }
  const std::uint32_t run = takeRun(2 * room);
  if (run == kNoRun) {
    return false;
  }
  std::memcpy(yearPool.pairs + run, years.pairs(), years.count * sizeof(std::int64_t));
  if (years.roomLog != 0) {
    giveBackRun(years.first, room);
  }
  years.first = run;
  years.roomLog = static_cast<std::uint8_t>(runSizeClass(2 * room) + 1);
  return true;
}

// Opens the window at the first year, and closes it for good at a year outside it.
void markInWindow(DonorYears& years, int yearIndex) {
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
}

}  // namespace

unsigned char* addYear(DonorYears& years, int yearIndex, std::size_t k) {
  if (!makeRoomForYear(years)) {
    return nullptr;
  }
  unsigned char* pairs = years.pairs();
  constexpr std::size_t kPair = sizeof(std::int64_t);
  std::memmove(pairs + (k + 1) * kPair, pairs + k * kPair, (years.count - k) * kPair);
  storePair(pairs + k * kPair, yearIndex);
  ++years.count;
  markInWindow(years, yearIndex);
  return pairs + k * kPair;
}

void releaseYears(DonorYears& years) {
  if (years.roomLog != 0) {
    giveBackRun(years.first, std::size_t{ 1 } << (years.roomLog - 1));
  }
  years = DonorYears{};
}

void resetYearPool() {
  std::free(yearPool.pairs);
  yearPool = YearPool{};
}

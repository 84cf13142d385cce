// Memory that runs out, at each place the program asks for it: every allocation of an operation
// is made to fail in turn, and each time the operation must say so and lose nothing silently.
// The allocator is replaced for this program alone (it is not built with the sanitizers, which
// replace it themselves).

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <ctime>
#include <string>

#include "console_capture.hpp"
#include "input/line_messages.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "run/file_identity.hpp"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

// -1: every allocation succeeds; n >= 0: n more succeed, then one fails and the count stops.
int allocationsBeforeFailure = -1;
bool failed = false;

bool failsNow() {
  if (allocationsBeforeFailure < 0) {
    return false;
  }
  if (allocationsBeforeFailure-- == 0) {
    failed = true;
    return true;
  }
  return false;
}

}  // namespace

extern "C" {
void* malloc(std::size_t size) { return failsNow() ? nullptr : __libc_malloc(size); }
void* calloc(std::size_t count, std::size_t size) {
  return failsNow() ? nullptr : __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
  return failsNow() ? nullptr : __libc_realloc(pointer, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  return failsNow() ? nullptr : __libc_memalign(alignment, size);
}
}

namespace {

constexpr std::time_t kJanuary2020 = 1579064401;  // 15 January 2020 00:00:01 in New York

// Runs operation with its n-th allocation failing, for n = 0, 1, ... until one run needs no more
// allocations than succeeded; check sees what each failing run printed. Returns the runs.
template <typename Operation, typename Check>
int failEachAllocation(Operation operation, Check check) {
  for (int n = 0; n < 64; ++n) {
    resetMessageChannel();
    resetDonorTable();
    resetTotals();
    ConsoleCapture console;
    // What the test itself needs is taken first: the capture's buffer, the time zone.
    writeConsole("warm");
    console.take();
    const std::time_t now = kJanuary2020;
    std::tm local{};
    localtime_r(&now, &local);
    failed = false;
    allocationsBeforeFailure = n;
    operation();
    allocationsBeforeFailure = -1;
    const std::string printed = console.take();
    if (!failed) {
      return n;
    }
    SCOPED_TRACE(n);
    check(printed);
  }
  ADD_FAILURE() << "the operation never ran to its end";
  return 0;
}

// The amount booked for the entry of name, or -1 when the table has no such entry.
Amount bookedFor(const char* name) {
  for (std::size_t i = 0; i < usedDonorEntries(); ++i) {
    if (std::string(donorTable[i].name.data()) == name) {
      return donorTable[i].totalAmount;
    }
  }
  return -1;
}

// Each gift is booked whole, or the run says that it is not.
void expectBookedOrSaid(const std::string& printed, const char* name, Amount amount) {
  const Amount booked = bookedFor(name);
  if (booked == amount) {
    return;
  }
  EXPECT_TRUE(printed.find(std::string("No room to create donor ") + name) != std::string::npos ||
              printed.find(std::string("for donor ") + name) != std::string::npos)
      << name << " has " << booked << ":\n" << printed;
}

TEST(OutOfMemory, ANewNameIsBookedOrRefusedAloudWhateverItsStorageLacks) {
  const std::string longName(60, 'L');
  const int runs = failEachAllocation(
      [&] {
        addDonation("Ann", kJanuary2020, 100, 1);
        addDonation(longName.c_str(), kJanuary2020, 200, 2);
        addDonation("ann", kJanuary2020, 300, 3);
      },
      [&](const std::string& printed) {
        expectBookedOrSaid(printed, longName.c_str(), 200);
        if (bookedFor("Ann") != 400 && bookedFor("Ann") != -1) {
          ADD_FAILURE() << "Ann has " << bookedFor("Ann") << ":\n" << printed;
        }
      });
  EXPECT_GT(runs, 2);  // the record blocks, the long-name block and the index all came to fail
}

TEST(OutOfMemory, AYearWithoutRoomIsNotBookedAndSaysSo) {
  // Nine years move a donor's amounts from its record into the shared pool.
  const int runs = failEachAllocation(
      [] {
        for (int year = 110; year < 119; ++year) {
          std::tm broken{};
          broken.tm_year = year;
          broken.tm_mon = 5;
          broken.tm_mday = 15;
          broken.tm_isdst = -1;
          addDonation("Ann", std::mktime(&broken), 100, year);
        }
      },
      [](const std::string& printed) {
        const Amount booked = bookedFor("Ann");
        const bool said = printed.find("No memory left to book $1.00 for donor Ann") !=
                              std::string::npos ||
                          printed.find("No room to create donor Ann") != std::string::npos;
        EXPECT_TRUE(booked == 900 || said) << printed;
      });
  EXPECT_GT(runs, 1);
}

TEST(OutOfMemory, AMessageWithoutRoomIsNotDroppedUnseen) {
  LineMessages messages;
  const int runs = failEachAllocation(
      [&] {
        releaseLineMessages(messages);
        noteMessage(messages, MessageKind::warning, 7, "first %d", 1);
        emitLineMessages(messages);
      },
      [](const std::string& printed) {
        EXPECT_NE(printed.find("Not every message of this line could be kept"), std::string::npos)
            << printed;
      });
  releaseLineMessages(messages);
  EXPECT_GT(runs, 0);
}

TEST(OutOfMemory, TheDetailListsSayWhenTheyAreCut) {
  for (int n = 0; n < 8; ++n) {
    resetDonorTable();
    resetTotals();
    for (const char* name : { "Ann", "Bob", "Cy" }) {
      addDonation(name, kJanuary2020, 100000, 1);
      bindSourceType(findOrCreateDonor(name, 1), 1, OFFICER);
    }
    ledgerTotals.latestFormYear = 2020;
    {
      ConsoleCapture console;
      computeTotals();
    }
    failed = false;
    allocationsBeforeFailure = n;
    ScheduleAFigures figures = scheduleAFigures(ledgerTotals, donorTable);
    allocationsBeforeFailure = -1;
    EXPECT_EQ(figures.listsCut, failed);
    EXPECT_EQ(figures.columnF.disqualifiedGifts, 300000);  // the figures stay whole
    releaseScheduleAFigures(figures);
  }
}

TEST(OutOfMemory, AFileSetWithoutRoomHoldsNothingNew) {
  IdentitySet set;
  failed = false;
  allocationsBeforeFailure = 0;
  EXPECT_FALSE(addIdentity(set, FileIdentity{ 1, 2 }));
  allocationsBeforeFailure = -1;
  EXPECT_FALSE(holdsIdentity(set, FileIdentity{ 1, 2 }));
  EXPECT_TRUE(addIdentity(set, FileIdentity{ 1, 2 }));
  resetIdentitySet(set);
}

}  // namespace

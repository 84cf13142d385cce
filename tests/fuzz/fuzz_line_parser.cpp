// Fuzz target: arbitrary bytes handed to the line parser as one line of a list.
//
// The first byte picks the line number (line 1 takes a bad date for a header, later lines
// report it); the rest is the line. Before every input the ledger holds a donor with an amount
// and a source bound to SALES, so that keyword lines can meet both an entry with amounts and a
// refused change of type.

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.hpp"
#include "input/line_parser.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "output/message_channel.hpp"

namespace {

constexpr long kLineChoices = 8;
constexpr std::time_t kJanuary2020 = 1579064401;  // 15 January 2020 00:00:01 in New York

void prepareLedger() {
  resetMessageChannel();
  resetDonorTable();
  verbosityLevel = 4;
  addDonation("Smith", kJanuary2020, 10000, 1);
  const int acme = findOrCreateDonor("Acme Shop", 1);
  if (acme < 0 || !bindSourceType(acme, 1, SALES)) {
    invariantFailed("the ledger could not be prepared");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  prepareFuzzProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const long line = 1 + static_cast<long>(data[0]) % kLineChoices;
  const auto text = terminatedCopy(data + 1, size - 1);
  prepareLedger();

  const Amount before = donorTable[0].totalAmount;
  const std::uint32_t countBefore = donorCount;
  const auto result = static_cast<int>(parseDonationLine(text.data(), line));

  if (result < static_cast<int>(LineResult::blankLine) ||
      result > static_cast<int>(LineResult::lineRejected)) {
    invariantFailed("the result is no LineResult");
  }
  // Only a booked donation may change what the ledger holds.
  Amount after = 0;
  for (std::size_t i = 0; i < kDonorTableSize; ++i) {
    after += donorTable[i].totalAmount;
  }
  if (result != static_cast<int>(LineResult::donationBooked) && after != before) {
    invariantFailed("an amount was booked by a line that did not book one");
  }
  if (donorCount > countBefore + 1) {
    invariantFailed("one line created more than one entry");
  }
  return 0;
}

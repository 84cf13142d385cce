// Fuzz target: arbitrary bytes as the date field of a donation line.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "fuzz/fuzz_support.hpp"
#include "input/date_parser.hpp"
#include "output/message_channel.hpp"

namespace {

// The rebuilt text is three pieces of at most 15 characters and two blanks.
constexpr std::size_t kLongestRewrite = 3 * 15 + 2;
constexpr int kFirstBookedYear = 1901;
constexpr int kLastBookedYear = 2038;

// Reused for every input.
LineMessages messages;

void checkRewrite(const char* text, char separator) {
  const char* rebuilt = rewriteDateSeparators(text, separator);
  if (rebuilt != nullptr && std::strlen(rebuilt) > kLongestRewrite) {
    invariantFailed("the rewritten date is longer than its buffer allows");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  prepareFuzzProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = terminatedCopy(data, size);
  resetMessageChannel();
  checkRewrite(text.data(), ' ');
  checkRewrite(text.data(), '-');

  messages.clear();
  const std::time_t when = parseDate(text.data(), 2, kCalendarYearReading, messages);
  emitLineMessages(messages);
  if (when == 0) {
    return 0;
  }
  // A date is a signed 32-bit count whose local year the ledger can book.
  if (when < INT_MIN || when > INT_MAX) {
    invariantFailed("a date outside the signed 32-bit range was accepted");
  }
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) {
    invariantFailed("an accepted date has no local time");
  }
  const int year = local.tm_year + 1900;
  if (year < kFirstBookedYear || year > kLastBookedYear) {
    invariantFailed("an accepted date lies outside the years a 32-bit count can hold");
  }
  return 0;
}

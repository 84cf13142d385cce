#include "fuzz/fuzz_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <ctime>

void prepareFuzzProcess() {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) {
    invariantFailed("cannot send the console to /dev/null");
  }
  setenv("TZ", "America/New_York", 1);
  tzset();
}

std::vector<char> terminatedCopy(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(size + 1, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    text[i] = static_cast<char>(data[i]);
  }
  return text;
}

void invariantFailed(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

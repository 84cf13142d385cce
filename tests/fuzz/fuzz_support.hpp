#ifndef QUORVA_TESTS_FUZZ_FUZZ_SUPPORT_HPP
#define QUORVA_TESTS_FUZZ_FUZZ_SUPPORT_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

/// Sends the console to /dev/null (the program writes a great deal there) and fixes the time
/// zone the tests use, so that every input behaves the same on every run.
void prepareFuzzProcess();

/// The bytes as a NUL-terminated text in a buffer of exactly that size, so that a read past
/// the terminator is caught by AddressSanitizer.
std::vector<char> terminatedCopy(const std::uint8_t* data, std::size_t size);

/// Stops the process with a message on standard error: a broken invariant is a finding.
[[noreturn]] void invariantFailed(const char* what);

#endif

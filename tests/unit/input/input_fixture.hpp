#ifndef QUORVA_TESTS_UNIT_INPUT_INPUT_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_INPUT_INPUT_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"

/// An empty ledger and channel, with the list name "gifts.txt" in message prefixes.
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMessageChannel();
    resetDonorTable();
    setInputFileName("gifts.txt");
  }
  void TearDown() override {
    resetMessageChannel();
    resetDonorTable();
  }
  /// Reads a list with the given content and returns what the reading printed.
  static std::string read(const std::string& content) {
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    testing::internal::CaptureStdout();
    readDonationList(file);
    std::fclose(file);
    return testing::internal::GetCapturedStdout();
  }
  /// Every amount the ledger holds, in cents.
  static Amount bookedCents() {
    Amount sum = 0;
    for (std::size_t i = 0; i < donorCount; ++i) {
      sum += donorTable[i].totalAmount;
    }
    return sum;
  }
};

#endif

#ifndef QUORVA_TESTS_UNIT_INPUT_INPUT_FIXTURE_HPP
#define QUORVA_TESTS_UNIT_INPUT_INPUT_FIXTURE_HPP

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "console_capture.hpp"
#include "input/date_parser.hpp"
#include "input/line_booking.hpp"
#include "input/line_parser.hpp"
#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"

/// An empty ledger, channel and date memory, the list name "gifts.txt" in message prefixes, and
/// the console written to a scratch file that printed() reads.
class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { resetInput(); }
  void TearDown() override {
    resetMessageChannel();
    resetDonorTable();
    resetDateCache();
    releaseLineMessages(parsed.messages);
  }
  /// Starts the next case of a test afresh: empty ledger, channel and date memory, the list
  /// named listName. What was printed before is left for printed().
  static void resetInput(const char* listName = "gifts.txt") {
    resetMessageChannel();
    resetDonorTable();
    resetDateCache();
    setInputFileName(listName);
  }
  /// What the console received since the last call; the scratch file is emptied for the next.
  std::string printed() { return console.take(); }
  /// Reads a list with the given content and returns what the reading printed.
  std::string read(const std::string& content) {
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    printed();
    readDonationList(file, options);
    std::fclose(file);
    return printed();
  }
  /// Reads one line as the reader does: parses it, then books it and emits its messages.
  LineResult readLine(const char* text, long line) {
    parseDonationLine(text, line, options, parsed);
    return bookParsedLine(parsed);
  }
  /// Reads a date as the grammar does, then emits its messages as the reader would.
  std::time_t readDate(const char* text, long line) {
    parsed.messages.clear();
    const std::time_t when = parseDate(text, line, options, parsed.messages);
    emitLineMessages(parsed.messages);
    return when;
  }
  /// Every amount the ledger holds, in cents.
  static Amount bookedCents() {
    Amount sum = 0;
    for (std::size_t i = 0; i < donorTable.count; ++i) {
      sum += donorTable[i].totalAmount;
    }
    return sum;
  }
  ConsoleCapture console;
  ParsedLine parsed;
  /// What the command line would hand the reader: calendar years unless a test says otherwise.
  ReadingOptions options = kCalendarYearReading;
};

#endif

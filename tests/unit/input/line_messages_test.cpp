#include "input/line_messages.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "console_capture.hpp"
#include "output/message_channel.hpp"

namespace {

TEST(LineMessagesTest, KeptInOrderWithTheirRoomAndEmittedAsTheChannelWritesThem) {
  resetMessageChannel();
  setInputFileName("gifts.txt");
  LineMessages messages;
  const std::string longText(600, 'x');
  for (int round = 0; round < 2; ++round) {
    messages.clear();
    noteMessage(messages, MessageKind::warning, 4, "first %d", round);
    noteMessage(messages, MessageKind::error, 4, "%s", longText.c_str());
    noteMessage(messages, MessageKind::plain, 0, "last");
  }
  EXPECT_EQ(messages.count, 3u);
  ConsoleCapture console;
  emitLineMessages(messages);
  EXPECT_EQ(console.take(), "gifts.txt:4 % WARNING: first 1\ngifts.txt:4 ? ERROR: " +
                                std::string(511, 'x') + "\n! last\n");
  EXPECT_EQ(warningCount, 1);
  EXPECT_EQ(errorCount, 1);
  releaseLineMessages(messages);
  resetMessageChannel();
}

// The longest head there is (the longest list name, the longest line number, the longest
// prefix) before the longest text: the kept line is written as the channel writes it, to the
// console and, with the place for the prefix, to the report file.
TEST(LineMessagesTest, TheLongestMessageLineIsWrittenAsTheChannelWritesIt) {
  resetMessageChannel();
  setInputFileName(std::string(300, 'n').c_str());
  std::FILE* report = std::tmpfile();
  reportFile = report;
  LineMessages messages;
  const std::string longText(600, 'x');
  noteMessage(messages, MessageKind::calculationError, LONG_MIN, "%s", longText.c_str());
  EXPECT_EQ(std::string(messages.text(0)), std::string(511, 'x'));
  ConsoleCapture console;
  emitLineMessages(messages);
  const std::string fromKept = console.take();
  const std::string reportFromKept = takeWritten(report);
  writeMessage(MessageKind::calculationError, LONG_MIN, longText.c_str());
  EXPECT_EQ(fromKept, console.take());
  EXPECT_EQ(reportFromKept, takeWritten(report));
  EXPECT_EQ(reportFromKept, std::string(255, 'n') + ":" + std::to_string(LONG_MIN) + " " +
                                std::string(511, 'x') + "\n");
  reportFile = nullptr;
  std::fclose(report);
  releaseLineMessages(messages);
  resetMessageChannel();
}

TEST(LineMessagesTest, AMessageWithoutRoomIsReportedRatherThanLost) {
  resetMessageChannel();
  setInputFileName("gifts.txt");
  LineMessages messages;
  noteMessage(messages, MessageKind::warning, 5, "kept");
  messages.used = SIZE_MAX / 2;  // as if the texts had taken more room than there is
  noteMessage(messages, MessageKind::warning, 5, "lost");
  messages.used = 0;
  const std::size_t kept = messages.count;
  messages.count = SIZE_MAX / 2;  // as if the entries had taken more room than there is
  noteMessage(messages, MessageKind::warning, 6, "lost too");
  messages.count = kept;
  EXPECT_EQ(messages.count, 1u);
  EXPECT_EQ(messages.raised, 3u);
  ConsoleCapture console;
  emitLineMessages(messages);
  EXPECT_EQ(console.take(),
            "gifts.txt:5 % WARNING: kept\n"
            "gifts.txt:6 ? ERROR: Not every message of this line could be kept: no memory was "
            "left\n");
  EXPECT_EQ(errorCount, 1);
  releaseLineMessages(messages);
  resetMessageChannel();
}

}  // namespace

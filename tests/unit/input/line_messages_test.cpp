#include "input/line_messages.hpp"

#include <gtest/gtest.h>

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

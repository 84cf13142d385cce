#include "output/message_channel.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs every case on a clean channel with a scratch report file that the test may attach.
class MessageChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetMessageChannel();
    reportFile = nullptr;
    scratch = std::tmpfile();
    ASSERT_NE(scratch, nullptr);
  }
  void TearDown() override {
    reportFile = nullptr;
    std::fclose(scratch);
    resetMessageChannel();
  }
  std::string scratchText() {
    std::fflush(scratch);
    std::rewind(scratch);
    std::string text;
    for (int ch = std::fgetc(scratch); ch != EOF; ch = std::fgetc(scratch)) {
      text.push_back(static_cast<char>(ch));
    }
    return text;
  }
  void message(void (*begin)(long), long line, const char* text) {
    begin(line);
    composeLine("%s", text);
    emitText(messageLine.data());
    endLine();
  }
  std::FILE* scratch = nullptr;
};

TEST_F(MessageChannelTest, CodesOutsideTheKindsHaveNoPrefix) {
  EXPECT_STREQ(messageKindName(static_cast<MessageKind>(7)), "");
  EXPECT_STREQ(messageKindName(static_cast<MessageKind>(-1)), "");
}

TEST_F(MessageChannelTest, BeginOperationsWriteTheirPrefixAndCountOnlyTalliedKinds) {
  struct Case {
    void (*begin)();
    const char* console;
    int infos, warnings, errors;
  };
  const Case cases[] = {
    { beginPlain, "! ", 0, 0, 0 },
    { beginArgumentIssue, "! Argument-Issue: ", 0, 0, 0 },
    { [] { beginInfo(0); }, "! INFO: ", 1, 0, 0 },
    { [] { beginWarning(0); }, "% WARNING: ", 0, 1, 0 },
    { [] { beginError(0); }, "? ERROR: ", 0, 0, 1 },
    { beginCalculationError, "? ERROR in calculations: ", 0, 0, 1 },
    { [] { beginBug(0); }, "? BUG: ", 0, 0, 0 },
  };
  for (const Case& c : cases) {
    resetMessageChannel();
    testing::internal::CaptureStdout();
    c.begin();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.console);
    EXPECT_EQ(infoCount, c.infos) << c.console;
    EXPECT_EQ(warningCount, c.warnings) << c.console;
    EXPECT_EQ(errorCount, c.errors) << c.console;
  }
}

TEST_F(MessageChannelTest, LineNumberedMessageHasPlaceAndPrefixOnConsoleButOnlyPlaceInFile) {
  reportFile = scratch;
  setInputFileName("gifts.txt");
  testing::internal::CaptureStdout();
  message(beginError, 12, "bad");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "gifts.txt:12 ? ERROR: bad\n");
  EXPECT_EQ(scratchText(), "gifts.txt:12 bad\n");
  EXPECT_EQ(errorCount, 1);
}

TEST_F(MessageChannelTest, MessageWithoutLineNumberIsTheSameOnBothOutputs) {
  reportFile = scratch;
  setInputFileName("gifts.txt");
  testing::internal::CaptureStdout();
  message(beginWarning, 0, "careful");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "% WARNING: careful\n");
  EXPECT_EQ(scratchText(), "% WARNING: careful\n");
}

TEST_F(MessageChannelTest, ContinuationLinesRepeatTheKindPrefixButNotThePlace) {
  reportFile = scratch;
  setInputFileName("a.txt");
  testing::internal::CaptureStdout();
  message(beginError, 3, "first");
  emitKindText("second");
  endLine();
  emitKindText("");
  endLine();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "a.txt:3 ? ERROR: first\n? ERROR: second\n? ERROR: \n");
  EXPECT_EQ(scratchText(), "a.txt:3 first\n? ERROR: second\n? ERROR: \n");
}

TEST_F(MessageChannelTest, KindTextBeforeAnyMessageUsesThePlainPrefix) {
  testing::internal::CaptureStdout();
  emitKindText("x");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "! x");
}

TEST_F(MessageChannelTest, TextWithItsOwnNewlineFollowedByEndLineLeavesAnEmptyLine) {
  testing::internal::CaptureStdout();
  beginArgumentIssue();
  composeLine("? Missing equal sign in argument %s\n", "-d5");
  emitText(messageLine.data());
  endLine();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "! Argument-Issue: ? Missing equal sign in argument -d5\n\n");
}

TEST_F(MessageChannelTest, ReportTextGoesToTheFileAloneWhileMessagesGoToBoth) {
  testing::internal::CaptureStdout();
  writeReport("! body\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "! body\n");

  reportFile = scratch;
  testing::internal::CaptureStdout();
  writeReport("! body\n");
  message(beginInfo, 0, "both");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "! INFO: both\n");
  EXPECT_EQ(scratchText(), "! body\n! INFO: both\n");
}

TEST_F(MessageChannelTest, MissingTextsWriteNothing) {
  reportFile = scratch;
  testing::internal::CaptureStdout();
  emitText(nullptr);
  emitKindText(nullptr);
  writeReport(nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(scratchText(), "");
}

TEST_F(MessageChannelTest, LongFileNameIsCutTo255CharactersAndNoneEmptiesIt) {
  const std::string name(300, 'n');
  setInputFileName(name.c_str());
  testing::internal::CaptureStdout();
  beginWarning(4);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(255, 'n') + ":4 % WARNING: ");

  setInputFileName(nullptr);
  testing::internal::CaptureStdout();
  beginWarning(4);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), ":4 % WARNING: ");
}

TEST_F(MessageChannelTest, ComposedTextIsCutTo511Characters) {
  const std::string longText(600, 'x');
  const char* result = composeLine("%s%s", "ab", longText.c_str());
  EXPECT_EQ(result, messageLine.data());
  const std::string composed(messageLine.data());
  ASSERT_EQ(composed.size(), 511u);
  EXPECT_EQ(composed.substr(0, 3), "abx");

  composeLine("%s", std::string(511, 'y').c_str());
  EXPECT_EQ(std::string(messageLine.data()), std::string(511, 'y'));
}

}  // namespace

#include "output/message_channel.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "console_capture.hpp"

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
  std::string scratchText() { return takeWritten(scratch); }
  std::string consoleText() { return console.take(); }
  std::FILE* scratch = nullptr;
  ConsoleCapture console;
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
    c.begin();
    EXPECT_EQ(consoleText(), c.console);
    EXPECT_EQ(infoCount, c.infos) << c.console;
    EXPECT_EQ(warningCount, c.warnings) << c.console;
    EXPECT_EQ(errorCount, c.errors) << c.console;
  }
}

TEST_F(MessageChannelTest, LineNumberedMessageHasPlaceAndPrefixOnConsoleButOnlyPlaceInFile) {
  reportFile = scratch;
  setInputFileName("gifts.txt");
  message(MessageKind::error, 12, "bad");
  EXPECT_EQ(consoleText(), "gifts.txt:12 ? ERROR: bad\n");
  EXPECT_EQ(scratchText(), "gifts.txt:12 bad\n");
  EXPECT_EQ(errorCount, 1);
}

TEST_F(MessageChannelTest, MessageWithoutLineNumberIsTheSameOnBothOutputs) {
  reportFile = scratch;
  setInputFileName("gifts.txt");
  message(MessageKind::warning, 0, "careful");
  EXPECT_EQ(consoleText(), "% WARNING: careful\n");
  EXPECT_EQ(scratchText(), "% WARNING: careful\n");
}

TEST_F(MessageChannelTest, ContinuationLinesRepeatTheKindPrefixButNotThePlace) {
  reportFile = scratch;
  setInputFileName("a.txt");
  message(MessageKind::error, 3, "first");
  messageMore("%s", "second");
  messageMore("%s", "");
  EXPECT_EQ(consoleText(), "a.txt:3 ? ERROR: first\n? ERROR: second\n? ERROR: \n");
  EXPECT_EQ(scratchText(), "a.txt:3 first\n? ERROR: second\n? ERROR: \n");
}

TEST_F(MessageChannelTest, KindTextBeforeAnyMessageUsesThePlainPrefix) {
  emitKindText("x");
  EXPECT_EQ(consoleText(), "! x");
}

TEST_F(MessageChannelTest, TextWithItsOwnNewlineFollowedByEndLineLeavesAnEmptyLine) {
  beginArgumentIssue();
  composeLine("? Missing equal sign in argument %s\n", "-d5");
  emitText(messageLine.data());
  endLine();
  EXPECT_EQ(consoleText(), "! Argument-Issue: ? Missing equal sign in argument -d5\n\n");
}

TEST_F(MessageChannelTest, ReportTextGoesToTheFileAloneWhileMessagesGoToBoth) {
  writeReport("! body\n");
  EXPECT_EQ(consoleText(), "! body\n");

  reportFile = scratch;
  reportText("! %s %ld\n", "body", 7L);
  message(MessageKind::info, 0, "both");
  EXPECT_EQ(consoleText(), "! INFO: both\n");
  EXPECT_EQ(scratchText(), "! body 7\n! INFO: both\n");
}

TEST_F(MessageChannelTest, MissingTextsWriteNothing) {
  reportFile = scratch;
  emitText(nullptr);
  emitKindText(nullptr);
  writeReport(nullptr);
  EXPECT_EQ(consoleText(), "");
  EXPECT_EQ(scratchText(), "");
}

TEST_F(MessageChannelTest, LongFileNameIsCutTo255CharactersAndNoneEmptiesIt) {
  const std::string name(300, 'n');
  setInputFileName(name.c_str());
  beginWarning(4);
  EXPECT_EQ(consoleText(), std::string(255, 'n') + ":4 % WARNING: ");

  setInputFileName(nullptr);
  beginWarning(4);
  EXPECT_EQ(consoleText(), ":4 % WARNING: ");

  // The place is written without printf; its digits must be those printf would give.
  setInputFileName("a.txt");
  message(MessageKind::warning, -1207, "x");
  message(MessageKind::warning, 9007199254740993L, "y");
  EXPECT_EQ(consoleText(), "a.txt:-1207 % WARNING: x\na.txt:9007199254740993 % WARNING: y\n");
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

  // A whole message is cut the same way but still ends its line.
  message(MessageKind::plain, 0, "%s", longText.c_str());
  EXPECT_EQ(consoleText(), "! " + std::string(511, 'x') + "\n");
}

}  // namespace

// Texts of plain %s and %% are joined without printf: they must come out as printf writes them.
TEST_F(MessageChannelTest, TextsJoinedWithoutPrintfAreWhatPrintfWrites) {
  const std::string longName(600, 'n');
  struct Case {
    const char* format;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
    { "No errors.", nullptr, nullptr },
    { "100%% of %s", "gifts", nullptr },
    { "Name '%s' and '%s'", "Baker, Susan", "" },
    { "%s", nullptr, nullptr },  // a null string, as glibc writes it
    { "cut: %s, then %s", longName.c_str(), "never seen" },
    { "%s%%", "", nullptr },
  };
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  for (const Case& c : cases) {
    std::array<char, kMessageLineSize> expected{};
    std::snprintf(expected.data(), expected.size(), c.format, c.first, c.second);
    EXPECT_STREQ(composeLine(c.format, c.first, c.second), expected.data()) << c.format;
  }
#pragma GCC diagnostic pop
}

// A format split where it is compiled gives the text of the format, cut and neutralized alike.
TEST_F(MessageChannelTest, SplitFormatsGiveTheTextsOfTheirFormats) {
  static constexpr const char* kQuotedText = "Ignoring quotation marks around the name field: '%s'";
  static constexpr SplitFormat kQuoted(kQuotedText);
  static constexpr SplitFormat kBare("%s");
  static_assert(kQuoted.valid() && kBare.valid(), "one %s between plain pieces");
  static_assert(!SplitFormat("none").valid() && !SplitFormat("%s and %d").valid() &&
                    !SplitFormat("100%% %s").valid() && !SplitFormat("TAB\t%s").valid(),
                "no %s, another conversion, or a piece that composing would change");
  const std::string longName(600, 'n');
  const std::string controlPastTheCut = std::string(520, 'n') + "\x1b";
  const char* const strings[] = { "Okafor, Elizabeth", "", nullptr, longName.c_str(),
                                  controlPastTheCut.c_str(), "\x1b]0;x\x07", "ab \xc2\x85",
                                  "Okafor, Elizabeth Ann \xc2\x85", "Brown\r with\rmore\r\nnext",
                                  "del\x7f", "\xc2", "\x1bOkafor, Elizabeth" };
  const std::pair<const SplitFormat*, const char*> formats[] = { { &kQuoted, kQuotedText },
                                                                 { &kBare, "%s" } };
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  for (const auto& [split, format] : formats) {
    for (const char* string : strings) {
      std::array<char, kMessageLineSize> joined{};
      const std::size_t length = composeSplitText(joined.data(), joined.size(), *split, string);
      EXPECT_STREQ(joined.data(), composeLine(format, string))
          << format << " " << (string != nullptr ? string : "null");
      EXPECT_EQ(length, std::strlen(joined.data()));
    }
  }
#pragma GCC diagnostic pop
}

TEST_F(MessageChannelTest, ControlCharactersFromListsReachNoOutputAsTheyStand) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
    { "plain\tTAB kept", "plain\tTAB kept" },
    { "\x1b]0;owned\x07\x1b[2J", "?]0;owned??[2J" },
    { "del\x7f", "del?" },
    { "c1 \xc2\x9b"
      "2J and \xc2\x80, not \xc2\xa0 or \xc3\xa9",
      "c1 ?2J and ?, not \xc2\xa0 or \xc3\xa9" },
    { "Smith\r", "Smith\r" },  // the CR of a CR LF line, quoted at the end
    { "Brown\r with\rmore\r\nnext", "Brown? with?more\r\nnext" },
    { "two lines\nof a message", "two lines\nof a message" },
    // Texts shorter than sixteen bytes, and controls past the first sixteen and in the last
    // sixteen: each part of the scan.
    { "ab \xc2\x85", "ab ?" },
    { "Okafor, Elizabeth\x1b[2J", "Okafor, Elizabeth?[2J" },
    { "Okafor, Elizabeth\x7f", "Okafor, Elizabeth?" },
    { "Okafor, Elizabeth Ann \xc2\x85", "Okafor, Elizabeth Ann ?" },
    { "Martinez, Jos\xc3\xa9 \xe2\x82\xac 12", "Martinez, Jos\xc3\xa9 \xe2\x82\xac 12" },
  };
  for (const Case& c : cases) {
    message(MessageKind::plain, 0, "%s", c.text);
    EXPECT_EQ(consoleText(), std::string("! ") + c.shown + "\n") << c.text;
  }
  message(MessageKind::plain, 0, "%d: %s", 7, "\x1b[2J");  // through printf as well
  EXPECT_EQ(consoleText(), "! 7: ?[2J\n");
  setInputFileName("list\x1b[2J.txt\r");
  message(MessageKind::error, 3, "x");
  EXPECT_EQ(consoleText(), "list?[2J.txt?:3 ? ERROR: x\n");
}

// Lists far larger than the reader's block: lines that straddle the block ends, lines of exactly
// the longest length read and longer, and a last line without a line feed must each be read once,
// numbered by the line feeds before them.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "input/list_blocks.hpp"
#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

constexpr std::size_t kLongest = kLineLength - 1;

const std::string kLongLine =
    " % WARNING: Line is longer than 511 characters; the rest of it is not read\n";

class ListBlocksTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    resetInput("big.txt");
  }
};

TEST_F(ListBlocksTest, EveryPieceOfALongListIsReadOnce) {
  // Donation lines between runs of blanks of every length up to three times the longest line
  // read: blanks book nothing, and print nothing but the warning for a line too long, so only
  // the counts, the warnings and the amounts tell what was read. With 10,000 names the reader
  // also looks ahead at the names of the lines to come, which must change nothing.
  for (const long names : { 300L, 10000L }) {
    resetDonorTable();
    ASSERT_TRUE(setDonorTableSize(names > 512 ? 20000 : 512));
    std::string content;
    std::string warnings;
    long lines = 0;
    long donations = 0;
    Amount cents = 0;
    for (; donations < names; ++donations) {
      content += "Donor " + std::to_string(donations) + "\t1/15/2020\t1\n";
      ++lines;
      cents += 100;
    }
    std::uint32_t seed = 7;
    for (const std::size_t end = content.size() + 300000; content.size() < end;) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t blanks = (seed >> 8) % (3 * kLongest + 2);
      content += std::string(blanks, ' ') + "\n";
      ++lines;
      if (blanks > kLongest) {
        warnings += "big.txt:" + std::to_string(lines) + kLongLine;
      }
      ++lines;
      const long amount = static_cast<long>(seed >> 20) % 1000 + 1;
      // Other letter case, blanks after the name, quotation marks around it: the same donor.
      const std::string trimmed =
          (donations % 3 == 0 ? "donor " : "Donor ") + std::to_string(donations % names);
      const std::string name = trimmed + (donations % 5 == 0 ? "  " : "");
      if (donations % 7 == 0) {
        content += "\"" + name + "\"\t1/15/2020\t" + std::to_string(amount) + "\n";
        warnings += "big.txt:" + std::to_string(lines) +
                    " % WARNING: Ignoring quotation marks around the name field: '" + trimmed +
                    "'\n";
      } else {
        content += name + "\t1/15/2020\t" + std::to_string(amount) + "\n";
      }
      if (donations % 11 == 0) {
        content += "\t\t\n";  // a blank line of TABs: no name to look ahead at
        ++lines;
      }
      ++donations;
      cents += amount * 100;
    }
    content += "Last\t15 Jan 2020\t$1,000.25";  // no line feed at the end
    ++lines;
    ++donations;
    cents += 100025;
    const std::string printed = read(content);
    EXPECT_EQ(printed, warnings + "!        " + std::to_string(donations) +
                           " funding amounts seen\n" + "!        " + std::to_string(lines) +
                           " lines read\n")
        << names;
    EXPECT_EQ(bookedCents(), cents) << names;
    EXPECT_EQ(donorTable.count, static_cast<std::uint32_t>(names + 1)) << names;
  }
}

TEST_F(ListBlocksTest, LinesOfTheLongestLengthAtABlockEnd) {
  // A line of 511 characters with its line feed, or its CR LF, is one line read whole; one
  // character more is not read. Let each of these lines end at the first block's end, or one or
  // two characters past it.
  const std::string full(kLongest, ' ');
  const std::string tail =
      full + "\nSmith\t1/1/2020\t5\n" + full + "\r\n" + full + "x\n" + full + "\r\n";
  std::vector<std::size_t> lineEnds;  // one past each line feed of the long lines in tail
  for (std::size_t at = tail.find('\n'); at != std::string::npos; at = tail.find('\n', at + 1)) {
    if (at > 100) {
      lineEnds.push_back(at + 1);
    }
  }
  for (std::size_t shift = 0; shift < 3 * lineEnds.size(); ++shift) {
    resetInput("big.txt");
    const std::size_t before = 65536 - lineEnds[shift / 3] + shift % 3;
    std::string content(before, '\n');
    content += tail;
    const std::string longNumber = std::to_string(before + 4);
    EXPECT_EQ(read(content), "big.txt:" + longNumber + kLongLine +
                                 "!        1 funding amounts seen\n" + "!        " +
                                 std::to_string(before + 5) + " lines read\n")
        << shift;
    EXPECT_EQ(bookedCents(), 500) << shift;
  }
}

// The sixteen-bytes-at-a-time scan against the byte-at-a-time one, on lines of the characters
// that decide: stops, TABs and quotation marks before and after the third TAB, in any of the
// sixteen-byte parts of the line.
TEST(PlainLineEndTest, AgreesWithTheScanOfOneByteAtATime) {
  constexpr char kAlphabet[] = { 'a', 'a', 'a', '\t', '\t', '"', '\r', '\n', ',', '\0' };
  std::mt19937 random(20);
  for (int round = 0; round < 20000; ++round) {
    const std::size_t window = random() % 200;
    std::vector<char> piece(window + 1 + kScanSlack, 'a');
    if (round % 4 == 1 && window > 1) {
      // Three TABs and one quotation mark anywhere in a line of up to 200 bytes before its line
      // feed: whether the mark stands after the third TAB is all that decides, in any part.
      for (const char ch : { '\t', '\t', '\t', '"' }) {
        piece[random() % (window - 1)] = ch;
      }
      piece[window - 1] = '\n';
    } else {
      for (std::size_t i = 0; i < window; ++i) {
        // NUL and CR rarely, so that most lines get as far as their line feed.
        const std::size_t pick = random() % (round % 3 == 0 ? 10 : 8);
        piece[i] = kAlphabet[pick];
      }
    }
    piece[window] = '\0';
    for (const PlainRules rules : { kTabListRules, kCommaListRules }) {
      EXPECT_EQ(plainLineEnd(piece.data(), window, rules),
                plainLineEndByBytes(piece.data(), window, rules))
          << std::string(piece.data(), window);
    }
  }
}

// What makes a line plain, by the list's rules: the position of its line feed, or the window.
TEST(PlainLineEndTest, ALineIsPlainByItsListsRules) {
  struct Case {
    const char* line;
    std::size_t tabList;
    std::size_t commaList;
  };
  const Case cases[] = {
    { "Ann\t1/2/2024\t5\n", 14, 15 },                    // a TAB is no plain character of a CSV
    { "Ann\t1/2/2024\t5\r\n", 15, 16 },                 // the CR of CR LF is kept
    { "Ann\t1/2\r2024\t5\n", 15, 15 },                  // a CR of its own
    { "\"Lee, Ann\"\t1/2/2024\t\"$1,250.00\"\n", 31, 32 },  // quoted cells before the third TAB
    { "Ann\t1/2/2024\t5\t\"memo\n", 21, 21 },             // a notes cell may open
    { "Ann\t1/2/2024\t5\tmemo\t\t\t\t\t\t\t\"x\"\n", 30, 30 },
    { "Ann,1/2/2024,5\n", 14, 14 },
    { "\"Lee, Ann\",1/2/2024,\"$1,250.00\"\n", 31, 31 },
    { "Ann,1/2/2024,5\tx\n", 16, 17 },
    { "Ann\t1/2/2024\t5", 14, 14 },                         // no line feed in the window
  };
  for (const Case& c : cases) {
    const std::size_t window = std::strlen(c.line);
    std::vector<char> piece(c.line, c.line + window);
    piece.resize(window + 1 + kScanSlack, '\0');
    EXPECT_EQ(plainLineEnd(piece.data(), window, kTabListRules), c.tabList) << c.line;
    EXPECT_EQ(plainLineEnd(piece.data(), window, kCommaListRules), c.commaList) << c.line;
  }
}

}  // namespace

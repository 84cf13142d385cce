// Lists far larger than the reader's block: lines that straddle the block ends, lines of exactly
// the piece length and longer, and a last line without a line feed must be cut into the same
// pieces fgets gave (up to and including a line feed, at most 511 characters).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

constexpr std::size_t kPiece = kLineLength - 1;

// The number of pieces fgets gives for text.
long countPieces(const std::string& text) {
  long pieces = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t lineFeed = text.find('\n', at);
    const std::size_t lineEnd = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
    at = (lineEnd - at > kPiece) ? at + kPiece : lineEnd;
    ++pieces;
  }
  return pieces;
}

class ListBlocksTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    setInputFileName("big.txt");
  }
};

TEST_F(ListBlocksTest, EveryPieceOfALongListIsReadOnce) {
  // Donation lines between runs of blanks of every length up to three pieces: blank pieces book
  // nothing and print nothing, so only the counts and the amounts tell what was read.
  std::string content;
  long donations = 0;
  Amount cents = 0;
  std::uint32_t seed = 7;
  while (content.size() < 300000) {
    seed = seed * 1103515245u + 12345u;
    const std::size_t blanks = (seed >> 8) % (3 * kPiece + 2);
    content += std::string(blanks, ' ') + "\n";
    const long amount = static_cast<long>(seed >> 20) % 1000 + 1;
    content += "Donor " + std::to_string(donations % 300) + "\t1/15/2020\t" +
               std::to_string(amount) + "\n";
    ++donations;
    cents += amount * 100;
  }
  content += "Last\t15 Jan 2020\t$1,000.25";  // no line feed at the end
  ++donations;
  cents += 100025;
  const std::string printed = read(content);
  EXPECT_EQ(printed, "!        " + std::to_string(donations) + " funding amounts seen\n" +
                         "!        " + std::to_string(countPieces(content)) + " lines read\n");
  EXPECT_EQ(bookedCents(), cents);
}

TEST_F(ListBlocksTest, PiecesOfExactlyTheLimitAtABlockEnd) {
  // A line of 511 characters and its line feed make two pieces, the second empty; put one
  // across every position of the first block's end.
  const std::string full(kPiece, ' ');
  for (std::size_t shift = 0; shift < 3; ++shift) {
    resetDonorTable();
    std::string content(65536 - kPiece - shift, '\n');
    content += full + "\nSmith\t1/1/2020\t5\n" + full + "x\n";
    const std::string printed = read(content);
    const std::string lastNumber = std::to_string(countPieces(content));
    EXPECT_EQ(printed,
              "big.txt:" + lastNumber + " ? ERROR: Name field x with no other fields on line: x\n" +
                  "!        1 funding amounts seen\n" + "!        " + lastNumber + " lines read\n")
        << shift;
    EXPECT_EQ(bookedCents(), 500) << shift;
  }
}

}  // namespace

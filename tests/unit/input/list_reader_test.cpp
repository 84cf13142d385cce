#include "input/list_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

using ListReaderTest = InputTest;

TEST_F(ListReaderTest, EmptyListReadsNoLine) { EXPECT_EQ(read(""), "!        0 lines read\n"); }

TEST_F(ListReaderTest, CountsWhatTheLinesCameTo) {
  EXPECT_EQ(read("Name\tDate\tAmount\nSmith\t1/1/2020\t5\nJones\t1/2/2020\t6\n"
                 "\n! note\nBrown\t1/3/2020\t7"),
            "gifts.txt:1 ! INFO: Ignoring line which looks like names for the columns: "
            "Name\tDate\tAmount\n"
            "!        3 funding amounts seen\n"
            "!        1 line with unexpected format\n"
            "!        6 lines read\n");
  EXPECT_EQ(donorCount, 3u);  // the last line needs no line feed
}

TEST_F(ListReaderTest, KeywordListsAndRejectedLines) {
  EXPECT_EQ(read("City\tGovernment\nShop\tSALES\nOdd\t\t5\n\t1/1/2020\t5\nSmith\t1/1/2020\tx\n"),
            "gifts.txt:3 ? ERROR: The date (second) field is blank: Odd\t\t5\n"
            "gifts.txt:5 ? ERROR: Character x (0x78) in value '' is not a number on line: "
            "Smith\t1/1/2020\tx\n"
            "gifts.txt:5 ? ERROR: Amount 'x' contains or is followed by a non-numeric character\n"
            "!        2 funding source names associated with a keyword (type of source)\n"
            "!        2 lines with unexpected format\n"
            "!        5 lines read\n");
}

TEST_F(ListReaderTest, LongLinesAreReadInPiecesWithTheirOwnNumbers) {
  // 600 characters and a line feed: a piece of 511 that books, the rest of 89 characters as
  // line 2, and the next line is number 3.
  const std::string longLine = "Smith\t1/1/2020\t5\t" + std::string(600 - 17, 'x');
  const std::string rest(89, 'x');
  EXPECT_EQ(read(longLine + "\nJones\t1/1/2020\t7\n"),
            "gifts.txt:2 ? ERROR: Name field " + rest + " with no other fields on line: " + rest +
                "\n!        2 funding amounts seen\n!        3 lines read\n");
}

TEST_F(ListReaderTest, ADirectoryIsAReadErrorNotAnEmptyList) {
  std::FILE* directory = std::fopen("/", "r");
  ASSERT_NE(directory, nullptr);
  testing::internal::CaptureStdout();
  readDonationList(directory);
  std::fclose(directory);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "gifts.txt:1 ? ERROR: The list could not be read from this line on: Is a directory\n"
            "!        0 lines read\n");
  EXPECT_EQ(errorCount, 1);
}

}  // namespace

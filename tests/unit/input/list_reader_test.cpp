#include "input/list_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
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
  EXPECT_EQ(donorTable.count, 3u);  // the last line needs no line feed
}

TEST_F(ListReaderTest, KeywordListsAndRejectedLines) {
  EXPECT_EQ(read("City\tGovernment\nShop\tSALES\nOdd\t\t5\n\t1/1/2020\t5\nSmith\t1/1/2020\tx\n"),
            "gifts.txt:3 ? ERROR: The date (second) field is blank: Odd\t\t5\n"
            "gifts.txt:4 % WARNING: Line with an empty name field is not read: \t1/1/2020\t5\n"
            "gifts.txt:5 ? ERROR: Character x (0x78) in value '' is not a number on line: "
            "Smith\t1/1/2020\tx\n"
            "gifts.txt:5 ? ERROR: Amount 'x' contains or is followed by a non-numeric character\n"
            "!        2 funding source names associated with a keyword (type of source)\n"
            "!        2 lines with unexpected format\n"
            "!        5 lines read\n");
}

TEST_F(ListReaderTest, OnlyTheFirst511CharactersOfALineAreRead) {
  const std::string warning =
      " % WARNING: Line is longer than 511 characters; the rest of it is not read\n";
  // A gift with a long note after more cells, and a comment whose tail looks like a gift: the
  // rest of a line is never read as a line of its own.
  const std::string gift = "Smith\t1/1/2020\t5\t" + std::string(600 - 17, 'x') + "\tB\t1/1/2020\t9";
  const std::string comment = "!" + std::string(599, 'c') + "A\t1/1/2023\t5";
  EXPECT_EQ(read(gift + "\n" + comment + "\nJones\t1/1/2020\t7\n"),
            "gifts.txt:1" + warning + "gifts.txt:2" + warning +
                "!        2 funding amounts seen\n!        3 lines read\n");
  EXPECT_EQ(bookedCents(), 1200);
}

TEST_F(ListReaderTest, LinesAreNumberedByTheirLineFeedsWhateverTheirLength) {
  const std::string full(511, ' ');
  // 511 characters and a line feed, or a CR LF, make one line with nothing left unread; one
  // character more is reported, on its own line, after that line's own messages.
  EXPECT_EQ(
      read(full + "\n" + full + "\r\n" + std::string(511, 'x') + "yz\nJones\t1/1/2020\t7\n" + full +
           "5"),
      "gifts.txt:3 ? ERROR: Expected fields not found in the first 150 characters of the "
      "input line.\n"
      "gifts.txt:3 % WARNING: Line is longer than 511 characters; the rest of it is not read\n"
      "gifts.txt:5 % WARNING: Line is longer than 511 characters; the rest of it is not read\n"
      "!        1 funding amounts seen\n!        5 lines read\n");
}

TEST_F(ListReaderTest, AByteOrderMarkIsNoPartOfTheFirstName) {
  EXPECT_EQ(read("\xEF\xBB\xBF"
                 "County of Riverside\tGovernment\t\nCounty of Riverside\t2/3/2024\t$20,000.00\n"),
            "!        1 funding source names associated with a keyword (type of source)\n"
            "!        1 funding amounts seen\n!        2 lines read\n");
  ASSERT_EQ(donorTable.count, 1u);
  EXPECT_EQ(donorTable[0].sourceType, GOVERNMENT);
  EXPECT_EQ(read("\xEF\xBB\xBF"), "!        0 lines read\n");
}

TEST_F(ListReaderTest, AListSavedAsUtf16IsRefusedWhole) {
  const std::string refused =
      "? ERROR: List gifts.txt is UTF-16 text; save it as UTF-8 or tab-separated text and read it "
      "again\n!        0 lines read\n";
  EXPECT_EQ(read(std::string("\xFF\xFES\0m\0\t\0"
                             "5\0\n\0",
                             12)),
            refused);
  EXPECT_EQ(read(std::string("\xFE\xFF\0S\0m", 6)), refused);
  EXPECT_EQ(errorCount, 2);
  EXPECT_EQ(donorTable.count, 0u);
}

TEST_F(ListReaderTest, ADirectoryIsAReadErrorNotAnEmptyList) {
  std::FILE* directory = std::fopen("/", "r");
  ASSERT_NE(directory, nullptr);
  readDonationList(directory, kCalendarYearReading);
  std::fclose(directory);
  EXPECT_EQ(printed(),
            "gifts.txt:1 ? ERROR: The list could not be read from this line on: Is a directory\n"
            "!        0 lines read\n");
  EXPECT_EQ(errorCount, 1);
}

}  // namespace

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

TEST_F(ListReaderTest, AByteOrderMarkStartingAnyLineIsPassedOver) {
  // Two lists joined with cat: the second one's mark starts line 2; a blank line of marks too.
  EXPECT_EQ(read("\xEF\xBB\xBFSmith\t2/3/2024\t$20\n\xEF\xBB\xBFSMITH\t2/4/2024\t$5\n"
                 "\xEF\xBB\xBF\xEF\xBB\xBF\n"),
            "!        2 funding amounts seen\n!        3 lines read\n");
  ASSERT_EQ(donorTable.count, 1u);
  EXPECT_EQ(donorTable[0].totalAmount, 2500);
}

TEST_F(ListReaderTest, NoBreakSpacesAtTheEndsOfANameAreDropped) {
  struct Case {
    const char* list;
    const char* stored;  // nullptr: the line books nothing
  };
  const Case cases[] = {
    { "Smith\xC2\xA0\t2/3/2024\t$20\n", "Smith" },
    { "\xC2\xA0 Smith \xC2\xA0\xC2\xA0 \t2/3/2024\t$20\n", "Smith" },
    { "\"Smith\xC2\xA0\"\t2/3/2024\t$20\n", "Smith" },
    { "Ren\xC3\xA0\t2/3/2024\t$20\n", "Ren\xC3\xA0" },  // à ends in the same byte
    { "Jo\xC2\xA0Smith\t2/3/2024\t$20\n", "Jo\xC2\xA0Smith" },  // inside the name it stays
    { "\xC2\xA0\t2/3/2024\t$20\n", nullptr },            // a blank name, refused
    { "Mary\tRelated\tSmith\xC2\xA0\nSmith\t2/3/2024\t$20\n", "Mary" },
  };
  for (const Case& c : cases) {
    resetInput();
    read(c.list);
    if (c.stored == nullptr) {
      EXPECT_EQ(donorTable.count, 0u) << c.list;
      continue;
    }
    ASSERT_GE(donorTable.count, 1u) << c.list;
    EXPECT_STREQ(donorTable[0].name.data(), c.stored);
    EXPECT_LE(donorTable.count, 2u) << c.list;  // the related name is found again
  }
}

TEST_F(ListReaderTest, ALineThatIsNotUtf8IsReadAsWindows1252) {
  struct Case {
    const char* list;
    const char* stored;  // the first name as the table keeps it
    const char* said;    // what the reading says before its statistics
  };
  const std::string kSaid = "gifts.txt:2 ! INFO: List gifts.txt is not UTF-8 text; it is read as Windows-1252\n";
  const Case cases[] = {
    { "Smith\t2/3/2024\t$20\nJos\xE9\t2/3/2024\t$20\nJOS\xC9\t2/4/2024\t$5\n", "Smith", "" },
    { "Caf\xE9\t2/3/2024\t$20\n", "Caf\xC3\xA9", "" },
    { "\x80\x81\x8D\x8F\x90\x9D\x9F\xA0x\xFF\t2/3/2024\t$20\n",
      "\xE2\x82\xAC\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xC5\xB8\xC2\xA0x\xC3\xBF", "" },
    { "Smith\xA0\t2/3/2024\t$20\n", "Smith", "" },  // its no-break space, once converted
    { "\xA0\t2/3/2024\t$20\n", "\xC2\xA0", "" },    // a name of nothing else keeps it
    { "Ren\xE9\tRelated\tMarie\xA0\nMarie\t2/3/2024\t$20\n", "Ren\xC3\xA9", "" },
    { "\xEFvan\t2/3/2024\t$20\n", "\xC3\xAFvan", "" },  // a byte order mark begins so
    { "\xEF\xBBx\t2/3/2024\t$20\n", "\xC3\xAF\xC2\xBBx", "" },
  };
  for (const Case& c : cases) {
    resetInput();
    const std::string said = read(c.list);
    ASSERT_GE(donorTable.count, 1u) << c.list;
    EXPECT_STREQ(donorTable[0].name.data(), c.stored);
    EXPECT_NE(said.find("is read as Windows-1252"), std::string::npos) << c.list;
    EXPECT_EQ(said.find("is read as Windows-1252"), said.rfind("is read as Windows-1252"));
  }
  // Once per list, with the line first converted; JOSÉ is José once both are UTF-8.
  resetInput();
  EXPECT_EQ(read(cases[0].list), kSaid + "!        3 funding amounts seen\n!        3 lines read\n");
  EXPECT_EQ(donorTable.count, 2u);
  EXPECT_EQ(donorTable[1].totalAmount, 2500);
}

TEST_F(ListReaderTest, AWindows1252LineKeepsItsLimitsAndItsMessagesAreUtf8) {
  // 127 characters in the file, 254 bytes once converted: still one name, and its fields end
  // within the first 150 characters of the line.
  std::string converted;
  for (int i = 0; i < 127; ++i) {
    converted += "\xC3\xA9";
  }
  read(std::string(127, '\xE9') + "\t2/3/2024\t$20\n");
  ASSERT_EQ(donorTable.count, 1u);
  EXPECT_EQ(std::string(donorTable[0].name.data()), converted);
  resetInput();
  // The fields found within the first 150 characters of the file, as in any other line.
  const std::string said = read("R\xE9" + std::string(145, 'e') + "\t2/3/2024\t$20\n");
  EXPECT_NE(said.find("Field longer than 127 characters on line: R\xC3\xA9" "eee"), std::string::npos);
  resetInput();
  const std::string cut = read("Jos\xE9\t2/3/2024\tabc\n");
  EXPECT_NE(cut.find("Amount 'abc' contains"), std::string::npos);
  EXPECT_NE(cut.find("on line: Jos\xC3\xA9\t2/3/2024\tabc\n"), std::string::npos);
  resetInput();
  // A UTF-8 line cut at the line limit inside a character is still UTF-8.
  const std::string longLine = "Smith\t2/3/2024\t$20\t" + std::string(491, 'x') + "\xC3\xA9";
  EXPECT_EQ(longLine.size(), 512u);
  EXPECT_EQ(read(longLine + "\n").find("Windows-1252"), std::string::npos);
  resetInput();
  EXPECT_NE(read("Smith\t2/3/2024\t$20\t\xE9" + std::string(500, 'x') + "\n").find("Windows-1252"),
            std::string::npos);
  resetInput();
  // A message of a converted line is cut, as every message is, before a whole character.
  const std::string cutMessage = read("Jo\t \t" + std::string(400, '\xE9') + "\n");
  const std::string blank = "field is blank: Jo\t \t";
  const std::size_t start = cutMessage.find(blank);
  ASSERT_NE(start, std::string::npos);
  const std::string quoted = cutMessage.substr(start + blank.size(),
                                               cutMessage.find('\n', start) - start - blank.size());
  EXPECT_EQ(quoted.size() % 2, 0u);  // whole two-byte characters only
  EXPECT_LT(quoted.size(), 800u);
  EXPECT_EQ(quoted.substr(quoted.size() - 2), "\xC3\xA9");
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

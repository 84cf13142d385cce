#include "input/list_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "input/list_records.hpp"
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
    // Records too: comma-separated, and tab-separated with columns named by a header.
    { "\"\xC2\xA0Smith\",2/3/2024,$20\n", "Smith" },
    { "\"Smith \xC2\xA0\",2/3/2024,$20\n", "Smith" },
    { "Date\tAmount\tName\n2/3/2024\t$20\t\xC2\xA0Smith\xC2\xA0\n", "Smith" },
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

// Comma-separated lists, columns named by a header and cells with line breaks: what each list
// prints and books. "gifts.txt" names the list in every message.
struct RecordCase {
  const char* about;
  std::string list;
  std::string printed;
  Amount cents;
};

const std::string kCsv = "! INFO: List gifts.txt is read as comma-separated values\n";
std::string stats(int amounts, int unexpected, int lines) {
  std::string text;
  if (amounts != 0) {
    text += "!        " + std::to_string(amounts) + " funding amounts seen\n";
  }
  if (unexpected != 0) {
    text += "!        " + std::to_string(unexpected) + " line" + (unexpected == 1 ? "" : "s") +
            " with unexpected format\n";
  }
  return text + "!        " + std::to_string(lines) + " lines read\n";
}
std::string at(int line, const std::string& text) {
  return "gifts.txt:" + std::to_string(line) + " " + text + "\n";
}
std::string tenLines(const std::string& line) {
  std::string text;
  for (int i = 0; i < 10; ++i) {
    text += line;
  }
  return text;
}

std::string extraCells(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "\tExtra " + std::to_string(i);
  }
  return text;
}

const RecordCase kRecordCases[] = {
  { "quotation marks a plain comma-separated line has not: in the date cell, inside the amount "
    "cell, after the third cell, and around an amount never closed",
    "Ann,1/2/2024,12\"3\nBob,\"1/2/2024\",5\nDee,1/2/2024,\"7,000\",x\"y\nCy,1/2/2024,\"7\n",
    kCsv + at(4, "? ERROR: Quotation mark opened on line 4 is not closed") + stats(4, 0, 4),
    713500 },
  { "a title line with a comma stays tab-separated", "Donations, 2024\nSmith\t1/1/2024\t5\n",
    at(1, "? ERROR: Name field Donations, 2024 with no other fields on line: Donations, 2024") +
        stats(1, 0, 2),
    500 },
  { "commas inside quotation marks only, and blank and comment lines, tell nothing",
    "\n! a, b\n\"Smith, Ann\"\n",
    at(3, "? ERROR: Name field Smith, Ann\" with no other fields on line: \"Smith, Ann\"") +
        stats(0, 0, 3),
    0 },
  { "the first ten lines decide: a TAB on the eleventh does not",
    tenLines("Smith,1/1/2024,1\n") + "Lee\t1/1/2024\t5\n",
    kCsv +
        at(11,
           "? ERROR: Name field Lee 1/1/2024 5 with no other fields on line: Lee\t1/1/2024\t5") +
        stats(10, 0, 11),
    1000 },
  { "comments, blank records, an empty name, one and two cells",
    "Smith,1/1/2024,5\n ! Total,,9\n\" ! Total\",9\n,,,\n\"\",\"\"\n,1/1/2024,7\nLee\nLee,Officer\nKim,1/2/2024\n",
    kCsv + at(6, "% WARNING: Line with an empty name field is not read: ,1/1/2024,7") +
        at(7, "? ERROR: Name field Lee with no other fields on line: Lee") +
        at(9, "? ERROR: Value field is empty") +
        "!        1 funding source names associated with a keyword (type of source)\n" +
        stats(1, 1, 9),
    500 },
  { "CR LF line ends, CR alone, a NUL",
    "Smith,1/1/2024,5\r\nLee,1/1/2024,6\rKim,1/1/2024,7\r\nRoe,1/1/2024,8,\"a" +
        std::string(1, '\0') + "b\"\nRay,\"1/1/2024\",\"9\"\n",
    kCsv +
        at(2,
           "? ERROR: Text after a carriage return inside the line is not read; the list may have CR line ends") +
        at(3,
           "? ERROR: Line contains a NUL character and is not read; the list may not be plain text") +
        stats(3, 0, 4),
    2000 },
  { "cells cut at a thousands comma, and cells that are not",
    "A,1/1/2024,$1,250.00\nB,1/1/2024,0,500\nC,1/1/2024,\"1\",250\nD,1/1/2024,1,25\nE,1/1/2024,1,250.\n"
    "F,1/1/2024,1,250.5x\nG,1/1/2024,1,2a0\nH,Officer,1,250\nI,1/1/2024,$1,250\r\n"
    "J,1/1/2024,\"$1,250.00\"\r\n",
    kCsv +
        at(1,
           "? ERROR: Amount '$1' is followed by a cell of three digits; it looks cut at a thousands comma: A,1/1/2024,$1,250.00") +
        at(2, "% WARNING: An amount of exactly zero is unexpected for a source of revenue.") +
        at(2,
           "? ERROR: Amount '0' is followed by a cell of three digits; it looks cut at a thousands comma: B,1/1/2024,0,500") +
        at(3,
           "? ERROR: Amount '\"1\"' is followed by a cell of three digits; it looks cut at a thousands comma: C,1/1/2024,\"1\",250") +
        at(8, "% WARNING: Amount on a keyword line is not booked: H,Officer,1,250") +
        at(9,
           "? ERROR: Amount '$1' is followed by a cell of three digits; it looks cut at a thousands comma: I,1/1/2024,$1,250\r") +
        "!        1 funding source names associated with a keyword (type of source)\n" +
        stats(5, 0, 10),
    125400 },
  { "quoted names read the short way or in full, each given back as written",
    "\"Baker, Susan\",1/1/2024,5\n\"Baker, Susan\",1/2/2024,\"$1,000.00\"\r\n"
    "\"Lee, Ann\",1/1/2024,$1,250.00\n\" Kim\",1/1/2024,7\n\"O\"\"Neil, Pat\",1/1/2024,8\n",
    kCsv +
        at(3,
           "? ERROR: Amount '$1' is followed by a cell of three digits; it looks cut at a thousands comma: \"Lee, Ann\",1/1/2024,$1,250.00") +
        stats(4, 0, 5),
    102000 },
  { "a quoted name too long, a quoted cell running past 4,095 characters",
    "\"" + std::string(128, 'n') + "\",1/1/2024,5\nLee,\"" + std::string(2100, ' ') + "\n" +
        std::string(2100, ' ') + "\",5\nKim,1/1/2024,3\n",
    kCsv +
        at(1, "? ERROR: Field longer than 127 characters on line: \"" + std::string(128, 'n') +
                  "\",1/1/2024,5") +
        at(2, ("? ERROR: Field longer than 127 characters on line: Lee,\"" + std::string(600, ' '))
                  .substr(0, 9 + 511)) +
        stats(1, 0, 4),
    300 },
  { "a header maps a tab-separated list's columns: every later line is read from them",
    "Date\tCheck #\tDonor\tAmount\n1/1/2024\t1\t\"Smith\"\t5\n1/1/2024\t2\t" +
        std::string(150, 'x') +
        "\t5\n\"! Total\"\t\t\t9\n! note\nOfficer\t\tLee\nRelated\t\tLee\tKim\n"
        "1/2/2024\t3\tKim\t$1,000.00\t\"note\nmore\"\n1/3/2024\t4\tRoe\nDate\tCheck\tName\tAmount\n",
    at(1, "! INFO: Date field on first line 'Check #' is probably a header") +
        at(1,
           "! INFO: Columns of gifts.txt: name in column 3, date or keyword in column 1, amount in column 4") +
        at(2, "% WARNING: Ignoring quotation marks around the name field: 'Smith'") +
        at(3, "? ERROR: Field longer than 127 characters on line: 1/1/2024\t2\t" +
                  std::string(150, 'x') + "\t5") +
        at(10, "? ERROR: Value field is empty") +
        at(11,
           "! INFO: Ignoring line which looks like names for the columns: Date\tCheck\tName\tAmount") +
        "!        2 funding source names associated with a keyword (type of source)\n" +
        stats(2, 2, 11),
    100500 },
  { "a first-name column alone is no name column: the columns stay 1, 2 and 3",
    "Amount,Date,First Name\n5,1/1/2024,Ann\n",
    kCsv +
        at(1,
           "! INFO: Ignoring line which looks like names for the columns: Amount,Date,First Name") +
        at(2, "? ERROR: Character A (0x41) in value '' is not a number on line: 5,1/1/2024,Ann") +
        at(2, "? ERROR: Character n (0x6e) in value 'A' is not a number on line: 5,1/1/2024,Ann") +
        at(2, "? ERROR: Character n (0x6e) in value 'An' is not a number on line: 5,1/1/2024,Ann") +
        at(2, "? ERROR: Amount 'Ann' contains or is followed by a non-numeric character") +
        stats(0, 1, 2),
    0 },
  { "the amount first, the earliest name of a role's list, the leftmost of equal names",
    "Type,Donor,First,Last,\" Date \",Amount,amount\nGift,Ann Lee,Ann,Lee,1/1/2024,5,7\n",
    kCsv + at(1, "! INFO: Date field on first line 'Donor' is probably a header") +
        at(1,
           "! INFO: Columns of gifts.txt: name in column 2, date or keyword in column 5, amount in column 6") +
        stats(1, 1, 2),
    500 },
  { "a header after the first gift names no columns", "Smith\t1/1/2024\t5\nAmount\tDate\tDonor\n",
    at(2, "! INFO: Ignoring line which looks like names for the columns: Amount\tDate\tDonor") +
        stats(1, 1, 2),
    500 },
  { "lines that leave the short way: quotation marks elsewhere than around the amount",
    "\"Smith\",1/1/2024,5\nLee,\"1/1/2024\",6\nKim,1/1/2024,\"7\"\"\",x\nRoe,1/1/2024,8,\"n\"\nRay,1/1/2024,9\n"
    "Fay,1/1/2024,\"10\"x\n",
    kCsv +
        at(6,
           "? ERROR: Character x (0x78) in value '10' is not a number on line: Fay,1/1/2024,\"10\"x") +
        at(6, "? ERROR: Amount '10x' contains or is followed by a non-numeric character") +
        stats(5, 0, 6),
    3500 },
  { "a header longer than a tab-separated line is read: its names count as far as 4,095",
    "Amount\tDate" + extraCells(100) + "\tName\t" + std::string(4000, 'x') + "\n5\t1/1/2024" +
        std::string(101, '\t') + "Lee\n",
    at(1, ("! INFO: Ignoring line which looks like names for the columns: Amount\tDate" +
           extraCells(100))
              .substr(0, 8 + 511)) +
        at(1,
           "! INFO: Columns of gifts.txt: name in column 103, date or keyword in column 2, amount in column 1") +
        at(1, "% WARNING: Line is longer than 511 characters; the rest of it is not read") +
        stats(1, 1, 2),
    500 },
  { "a continuation line too long, or the list's end, leaves a quotation mark not closed",
    "A,1/1/2024,5,\"open\n" + std::string(5000, 'x') + "\"\nB,1/1/2024,6,\"open\nmore",
    kCsv + at(1, "? ERROR: Quotation mark opened on line 1 is not closed") +
        at(2, ("? ERROR: Field longer than 127 characters on line: " + std::string(4095, 'x'))
                  .substr(0, 9 + 511)) +
        at(2, "% WARNING: Line is longer than 4095 characters; the rest of it is not read") +
        at(3, "? ERROR: Quotation mark opened on line 3 is not closed") +
        at(4, "? ERROR: Name field more with no other fields on line: more") + stats(2, 0, 4),
    1100 },
  { "a tab-separated line with a quotation mark: a CR inside it, quoted column names",
    "\"Name\"\t\"Date\"\t\"Amount\"\n\"Smith\"\t1/1/2024\t5\rLee\t1/1/2024\t6\n",
    at(1,
       "! INFO: Ignoring line which looks like names for the columns: \"Name\"\t\"Date\"\t\"Amount\"") +
        at(2, "% WARNING: Ignoring quotation marks around the name field: 'Smith'") +
        at(2,
           "? ERROR: Text after a carriage return inside the line is not read; the list may have CR line ends") +
        stats(1, 1, 2),
    500 },
  { "first and last names of a tab-separated list: quotation marks around either stand around both",
    "First Name\tLast Name\tDate\tAmount\n\"Ann\"\t\"Lee\"\t1/1/2024\t5\nBob\tRoe\t1/1/2024\t6\nAnn Lee\tOfficer\n",
    at(1, "! INFO: Date field on first line 'Last Name' is probably a header") +
        at(1,
           "! INFO: Columns of gifts.txt: name in column 1+2, date or keyword in column 3, amount in column 4") +
        at(2, "% WARNING: Ignoring quotation marks around the name field: 'Ann Lee'") +
        at(4, "? ERROR: The date (second) field is blank: Ann Lee\tOfficer") + stats(2, 2, 4),
    1100 },
};

// A cell as the reader copies it: without the quotation marks that quote it ("" is one), with
// what follows its closing mark, TAB, CR and LF as blanks, and refused whole (room is returned)
// when it does not fit, in a room as large as a line's or smaller than sixteen characters.
TEST(RecordCellTest, ACellIsCopiedWithoutItsQuotingOrNotAtAll) {
  struct Case {
    const char* record;
    std::size_t room;
    const char* text;  // nullptr: it does not fit
  };
  const Case cases[] = {
    { "\"Lee, Ann\",x", 64, "Lee, Ann" }, { "\"a\"\"b\",x", 64, "a\"b" },
    { "\"ab\"cd,x", 64, "abcd" },        { "\"abc", 64, "abc" },  // never closed
    { "\"a\tb\nc\",x", 64, "a b c" },   { "\"a\tb\nc\",x", 8, "a b c" },
    { "a\tb,x", 64, "a b" },              { "a\tb,x", 8, "a b" },
    { "\"abcdef\",x", 4, nullptr },       { "\"ab\"cdefgh,x", 6, nullptr },
    { "abcdef,x", 4, nullptr },
  };
  const RecordRules rules{ ',', true, kPlainColumns, kWideLineLimit };
  for (const Case& c : cases) {
    std::string record = c.record;
    RecordScan scan{};
    scanRecord(record.data(), record.size(), true, false, rules, true, scan);
    std::vector<char> out(c.room + 1, '#');
    const std::size_t length = cellText(record.data(), scan, 0, true, out.data(), c.room);
    if (c.text == nullptr) {
      EXPECT_EQ(length, c.room) << c.record;
      EXPECT_EQ(out[0], '\0') << c.record;
    } else {
      EXPECT_EQ(std::string(out.data(), length), c.text) << c.record;
    }
  }
}

TEST_F(ListReaderTest, CommaSeparatedListsHeadersAndRecordsOfSeveralLines) {
  for (const RecordCase& row : kRecordCases) {
    resetInput();
    EXPECT_EQ(read(row.list), row.printed) << row.about;
    EXPECT_EQ(bookedCents(), row.cents) << row.about;
  }
}

TEST_F(ListReaderTest, RecordsOfSeveralLinesAcrossTheBlocksOfALongList) {
  // Far more than one block: records that straddle the block ends are read whole, in a
  // comma-separated list and in a tab-separated one.
  for (const char* separator : { ",", "\t" }) {
    resetInput();
    std::string list;
    for (int i = 0; i < 4000; ++i) {
      list += "Donor " + std::to_string(i % 300) + separator + "1/1/2024" + separator + "2" +
              separator + "\"a note\nover two lines\"\n";
    }
    EXPECT_EQ(read(list), (separator[0] == ',' ? kCsv : "") + stats(4000, 0, 8000)) << separator;
    EXPECT_EQ(bookedCents(), 800000);
  }
}

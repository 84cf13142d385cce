#include "input/line_parser.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>

#include "ledger/donor_groups.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

// Every line of the tables is line 2 of gifts.txt; TAB is written as | for readability.
constexpr long kLine = 2;

std::string withTabs(const std::string& text) {
  std::string line = text;
  for (char& ch : line) {
    ch = (ch == '|') ? '\t' : ch;
  }
  return line;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class LineParserTest : public InputTest {
 protected:
  // Parses one line (| for TAB) and returns what it printed.
  std::string parse(const std::string& text, LineResult& result, long line = kLine) {
    const std::string tabbed = withTabs(text);
    printed();
    result = readLine(tabbed.c_str(), line);
    return printed();
  }
};

struct LineCase {
  std::string line;
  LineResult result;
  Amount booked;
  std::string message;  // the first printed line, "" when nothing is printed
};

// Failures name the line rather than dumping the case's bytes.
void PrintTo(const LineCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class LineTableTest : public LineParserTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTableTest, ResultBookingAndFirstMessage) {
  const LineCase& c = GetParam();
  LineResult result = LineResult::blankLine;
  const std::string printed = parse(c.line, result);
  EXPECT_EQ(static_cast<int>(result), static_cast<int>(c.result)) << c.line;
  EXPECT_EQ(bookedCents(), c.booked) << c.line;
  EXPECT_EQ(firstLine(printed), c.message) << c.line;
}

const std::string kAt = "gifts.txt:2 ";
const std::string kLongName(128, 'n');
const std::string kLongestName(127, 'n');
const std::string kLongAmount(128, '1');

const LineCase kLineCases[] = {
  // Donations and their amounts.
  { "Smith|1/15/2020|100", LineResult::donationBooked, 10000, "" },
  { "Smith|15 Jan 2020|$1,000.00", LineResult::donationBooked, 100000, "" },
  { "Smith|1/15/2020|1 250.00|note", LineResult::donationBooked, 125000, "" },
  { "Smith|1/15/2020|\"12.05\"", LineResult::donationBooked, 1205, "" },
  { "Smith|1/15/2020|12.5", LineResult::donationBooked, 1250, "" },
  { "Smith|1/15/2020|5.", LineResult::donationBooked, 500, "" },
  { "Smith|1/15/2020|12.345", LineResult::donationBooked, 1235, "" },
  { "Smith|1/15/2020|-12.345", LineResult::donationBooked, -1235, "" },
  { "Smith|1/15/2020|0.005", LineResult::donationBooked, 1, "" },
  { "Smith|1/15/2020|-0.50", LineResult::donationBooked, -50, "" },
  { "Smith|1/15/2020|12.50,", LineResult::donationBooked, 1250, "" },
  { "Smith|1/15/2020|5\r", LineResult::donationBooked, 500, "" },
  { "Smith|1/15/2020|100000000000.00", LineResult::donationBooked, 10000000000000, "" },
  { "Smith|1/15/2020|99999999999.995", LineResult::donationBooked, 10000000000000, "" },
  { kLongestName + "|1/1/20|5", LineResult::donationBooked, 500, "" },
  // Amounts refused.
  { "Smith|1/15/2020|100000000000.01", LineResult::lineRejected, 0,
    kAt +
        "? ERROR: Amount '100000000000.01' is out of range on line 2: Smith\t1/15/2020\t100000000000.01" },
  { "Smith|1/15/2020|-99999999999999999999999", LineResult::lineRejected, 0,
    kAt +
        "? ERROR: Amount '-99999999999999999999999' is out of range on line 2: Smith\t1/15/2020\t-99999999999999999999999" },
  { "Smith|1/15/2020|.50", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '.50' is not a valid number on line 2: Smith\t1/15/2020\t.50" },
  // Written the European way, or with two points: read as written they would be far too small.
  { "Smith|1/15/2020|1.250,00", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '1.25000' is not a valid number on line 2: Smith\t1/15/2020\t1.250,00" },
  { "Smith|1/15/2020|1.250.000,00", LineResult::lineRejected, 0,
    kAt +
        "? ERROR: Amount '1.250.00000' is not a valid number on line 2: Smith\t1/15/2020\t1.250.000,00" },
  { "Smith|1/15/2020|1.2,5", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '1.25' is not a valid number on line 2: Smith\t1/15/2020\t1.2,5" },
  { "Smith|1/15/2020|1.2.3", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '1.2.3' is not a valid number on line 2: Smith\t1/15/2020\t1.2.3" },
  // A comma must be a thousands separator; any other is a decimal comma or a typo, quoted as
  // written. One that ends the field is passed over.
  { "Smith|1/15/2020|$250,00", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '$250,00' is not a valid number on line 2: Smith\t1/15/2020\t$250,00" },
  { "Smith|1/15/2020|  \"5,00\" |x", LineResult::lineRejected, 0,
    kAt +
        "? ERROR: Amount '\"5,00\"' is not a valid number on line 2: Smith\t1/15/2020\t  \"5,00\" \tx" },
  { "Smith|1/15/2020|1,2,3,4", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '1,2,3,4' is not a valid number on line 2: Smith\t1/15/2020\t1,2,3,4" },
  { "Smith|1/15/2020|1, 250.00", LineResult::lineRejected, 0,
    kAt +
        "? ERROR: Amount '1, 250.00' is not a valid number on line 2: Smith\t1/15/2020\t1, 250.00" },
  { "Smith|1/15/2020|,250", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount ',250' is not a valid number on line 2: Smith\t1/15/2020\t,250" },
  { "Smith|1/15/2020|12,3456", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '12,3456' is not a valid number on line 2: Smith\t1/15/2020\t12,3456" },
  // A dollar sign is dropped wherever it stands, after the digits too.
  { "Smith|1/15/2020|1,250$", LineResult::donationBooked, 125000, "" },
  { "Smith|1/15/2020|1,25a", LineResult::badAmount, 0,
    kAt +
        "? ERROR: Character a (0x61) in value '125' is not a number on line: Smith\t1/15/2020\t1,25a" },
  { "Smith|1/15/2020|1,234,567.89", LineResult::donationBooked, 123456789, "" },
  { "Smith|1/15/2020|\"1,250\" ", LineResult::donationBooked, 125000, "" },
  { "Smith|1/15/2020|1,250,", LineResult::donationBooked, 125000, "" },
  // Minus signs and spaces of more than one byte; accounting negatives in parentheses.
  { "Smith|1/15/2020|\u221225.00", LineResult::donationBooked, -2500, "" },
  { "Smith|1/15/2020|$\u22121,250.00", LineResult::donationBooked, -125000, "" },
  { "Smith|1/15/2020|1\u00a0250.00", LineResult::donationBooked, 125000, "" },
  { "Smith|1/15/2020|1\u2009250\u200a\u202f", LineResult::donationBooked, 125000, "" },
  { "Smith|1/15/2020|\u202f\u22125|x", LineResult::donationBooked, -500, "" },
  { "Smith|1/15/2020|5\u2212", LineResult::badAmount, 0,
    kAt + "? ERROR: Amount '5-' contains or is followed by a non-numeric character" },
  { "Smith|1/15/2020|1\u2010", LineResult::badAmount, 0,
    kAt +
        "? ERROR: Character \xe2 (0xffffffe2) in value '1' is not a number on line: Smith\t1/15/2020\t1\u2010" },
  { "Smith|1/15/2020|(25.00)", LineResult::donationBooked, -2500, "" },
  { "Smith|1/15/2020|($25.00)", LineResult::donationBooked, -2500, "" },
  { "Smith|1/15/2020|$(25.00)", LineResult::donationBooked, -2500, "" },
  { "Smith|1/15/2020|$ (1,250.00) |x", LineResult::donationBooked, -125000, "" },
  { "Smith|1/15/2020|(0.00)", LineResult::zeroAmount, 0,
    kAt + "% WARNING: An amount of exactly zero is unexpected for a source of revenue." },
  { "Smith|1/15/2020|(-5)", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '(-5)' is not a valid number on line 2: Smith\t1/15/2020\t(-5)" },
  { "Smith|1/15/2020|-(5)", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '-(5)' is not a valid number on line 2: Smith\t1/15/2020\t-(5)" },
  { "Smith|1/15/2020|()", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '()' is not a valid number on line 2: Smith\t1/15/2020\t()" },
  { "Smith|1/15/2020|(25.00", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '(25.00' is not a valid number on line 2: Smith\t1/15/2020\t(25.00" },
  { "Smith|1/15/2020|25)", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '25)' is not a valid number on line 2: Smith\t1/15/2020\t25)" },
  { "Smith|1/15/2020|((5))", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '((5))' is not a valid number on line 2: Smith\t1/15/2020\t((5))" },
  { "Smith|1/15/2020|(.5)", LineResult::lineRejected, 0,
    kAt + "? ERROR: Amount '(.5)' is not a valid number on line 2: Smith\t1/15/2020\t(.5)" },
  { "Smith|1/15/2020|(1-2)", LineResult::badAmount, 0,
    kAt + "? ERROR: Amount '(1-2)' contains or is followed by a non-numeric character" },
  { "Smith|1/15/2020|12a", LineResult::badAmount, 0,
    kAt +
        "? ERROR: Character a (0x61) in value '12' is not a number on line: Smith\t1/15/2020\t12a" },
  { "Smith|1/15/2020|1\x80", LineResult::badAmount, 0,
    kAt +
        "? ERROR: Character \x80 (0xffffff80) in value '1' is not a number on line: Smith\t1/15/2020\t1\x80" },
  { "Smith|1/15/2020|1-2", LineResult::badAmount, 0,
    kAt + "? ERROR: Amount '1-2' contains or is followed by a non-numeric character" },
  { "Smith|1/15/2020|0.00", LineResult::zeroAmount, 0,
    kAt + "% WARNING: An amount of exactly zero is unexpected for a source of revenue." },
  { "Smith|1/1/2020", LineResult::badAmount, 0, kAt + "? ERROR: Value field is empty" },
  { "Smith|\"1/1/2020\"", LineResult::badAmount, 0, kAt + "? ERROR: Value field is empty" },
  // Line kinds without a donation.
  { " |\t ", LineResult::blankLine, 0, "" },
  { "   ! remark|1/1/2020|5", LineResult::commentLine, 0, "" },
  { "\"! Total\"|1/1/2020|5", LineResult::commentLine, 0, "" },
  { "  \"!|1/1/2020|5", LineResult::commentLine, 0, "" },
  { "\" !x\"|1/1/2020|5", LineResult::donationBooked, 500,
    kAt + "% WARNING: Ignoring quotation marks around the name field: '!x'" },
  { "|Smith|1/1/2020|5", LineResult::emptyFirstField, 0,
    kAt + "% WARNING: Line with an empty name field is not read: \tSmith\t1/1/2020\t5" },
  { "  ||$12,345.00", LineResult::emptyFirstField, 0,
    kAt + "% WARNING: Line with an empty name field is not read:   \t\t$12,345.00" },
  { "|Smith|none", LineResult::emptyFirstField, 0, "" },
  { "Smith||100", LineResult::blankDate, 0,
    kAt + "? ERROR: The date (second) field is blank: Smith\t\t100" },
  { "Name|Date|Amount", LineResult::notDonation, 0,
    kAt + "! INFO: Ignoring line which looks like names for the columns: Name\tDate\tAmount" },
  { "Donor|When|Amount", LineResult::notDonation, 0,
    kAt + "? ERROR: Date has improper format: 'When'" },
  { "Smith|Officers", LineResult::notDonation, 0,
    kAt + "? ERROR: Date has improper format: 'Officers'" },
  { "Smith|1/15/1850|5", LineResult::notDonation, 0,
    kAt + "? ERROR: Year '1850' is not allowed, 0-99 or greater than 1900 required" },
  { "Smith|2024-01-15|5", LineResult::donationBooked, 500, "" },
  { "Smith|Jan 15, 2024|5", LineResult::donationBooked, 500, "" },
  { "Smith|2023-02-29|5", LineResult::notDonation, 0,
    kAt + "? ERROR: Date has improper format: '2023-02-29'" },
  { "Smith|Sept 31, 2023 |5", LineResult::notDonation, 0,
    kAt + "? ERROR: Date has improper format: 'Sept 31, 2023 '" },
  { "Smith|1/15/2O24|5", LineResult::notDonation, 0,
    kAt + "? ERROR: Date has improper format: '1/15/2O24'" },
  { "Smith|1/15/202O|5", LineResult::notDonation, 0,
    kAt + "? ERROR: Date has improper format: '1/15/202O'" },
  { "Smith|date |Amount", LineResult::notDonation, 0,
    kAt + "! INFO: Ignoring line which looks like names for the columns: Smith\tdate \tAmount" },
  // Column names with a figure: the information, then a warning (after line 1).
  { "Total|Date|$5,000.00", LineResult::notDonation, 0,
    kAt + "! INFO: Ignoring line which looks like names for the columns: Total\tDate\t$5,000.00" },
  // A figure on a keyword line is not booked; a Related line's third field is a name.
  { "County|Government|$25,000.00", LineResult::keywordBound, 0,
    kAt + "% WARNING: Amount on a keyword line is not booked: County\tGovernment\t$25,000.00" },
  { "County|Government| \"1\"|note", LineResult::keywordBound, 0,
    kAt + "% WARNING: Amount on a keyword line is not booked: County\tGovernment\t \"1\"\tnote" },
  { "County|Government|letter|2024", LineResult::keywordBound, 0, "" },
  { "\"\"|Government|100", LineResult::lineRejected, 0,
    kAt + "? ERROR: The Name (first) field can not be blank: \"\"\tGovernment\t100" },
  { "Ann|Related|Bob 2nd", LineResult::keywordBound, 0, "" },
  { "Ann|Related| \"Ann\" |x", LineResult::keywordBound, 0, "" },
  { "Ann|RELATED ", LineResult::lineRejected, 0,
    kAt + "? ERROR: Keyword Related needs the related name in the third field: Ann\tRELATED " },
  { "Ann|Related| \"\" ", LineResult::lineRejected, 0,
    kAt +
        "? ERROR: Keyword Related needs the related name in the third field: Ann\tRelated\t \"\" " },
  { "Ann|Related|" + kLongName, LineResult::lineRejected, 0,
    kAt + "? ERROR: Field longer than 127 characters on line: Ann\tRelated\t" + kLongName },
  { "\"\"|Related|Bob", LineResult::lineRejected, 0,
    kAt + "? ERROR: The Name (first) field can not be blank: \"\"\tRelated\tBob" },
  // A date carried into another year is booked there, with a warning before any other message.
  { "Smith|15/01/2024|5", LineResult::donationBooked, 500,
    kAt + "% WARNING: Date '15/01/2024' is not on the calendar; it is read as a date in 2025" },
  { "\"Smith\"|12/32/2020 |0", LineResult::zeroAmount, 0,
    kAt + "% WARNING: Date '12/32/2020 ' is not on the calendar; it is read as a date in 2021" },
  { "Smith|2/30/2021|5", LineResult::donationBooked, 500, "" },
  // Names.
  { "Smith", LineResult::lineRejected, 0,
    kAt + "? ERROR: Name field Smith with no other fields on line: Smith" },
  { "Smith|", LineResult::lineRejected, 0,
    kAt + "? ERROR: Name field Smith\t with no other fields on line: Smith\t" },
  { "Smith\r", LineResult::lineRejected, 0,
    kAt + "? ERROR: Name field Smith? with no other fields on line: Smith\r" },
  { "Smith  |", LineResult::lineRejected, 0,
    kAt + "? ERROR: Name field Smith  \t with no other fields on line: Smith  \t" },
  { "\"Smith, John\"|1/1/2020|5", LineResult::donationBooked, 500,
    kAt + "% WARNING: Ignoring quotation marks around the name field: 'Smith, John'" },
  { " \"Smith, John\"|1/1/2020|5", LineResult::donationBooked, 500,
    kAt +
        "? ERROR: Name field has an ignored quotation mark BUT not a quote at both ends: 'Smith, John'" },
  // A blank name is reported and never reaches the ledger.
  { "\"\"|1/1/2020|5", LineResult::lineRejected, 0,
    kAt + "? ERROR: The Name (first) field can not be blank: \"\"\t1/1/2020\t5" },
  { "\" \"|Officer", LineResult::lineRejected, 0,
    kAt + "? ERROR: The Name (first) field can not be blank: \" \"\tOfficer" },
  { "\"\"|1/1/2020|0", LineResult::zeroAmount, 0,
    kAt + "? ERROR: The Name (first) field can not be blank: \"\"\t1/1/2020\t0" },
  // Limits of the line and its fields.
  // The window is 150 characters: an amount whose last digit is character 150 is read, one
  // character later it is not (leading blanks of a field count).
  { std::string(100, 'n') + "|1/15/2020|" + std::string(38, ' ') + "5", LineResult::donationBooked,
    500, "" },
  { std::string(100, 'n') + "|1/15/2020|" + std::string(39, ' ') + "5", LineResult::lineRejected, 0,
    kAt + "? ERROR: Expected fields not found in the first 150 characters of the input line." },
  { std::string(151, 'x') + "|1/1/2020|5", LineResult::lineRejected, 0,
    kAt + "? ERROR: Expected fields not found in the first 150 characters of the input line." },
  { kLongName + "|1/1/20|5", LineResult::lineRejected, 0,
    kAt + "? ERROR: Field longer than 127 characters on line: " + kLongName + "\t1/1/20\t5" },
  { kLongName, LineResult::lineRejected, 0,
    kAt + "? ERROR: Field longer than 127 characters on line: " + kLongName },
  { "A|1/1/2020|" + kLongAmount, LineResult::lineRejected, 0,
    kAt + "? ERROR: Field longer than 127 characters on line: A\t1/1/2020\t" + kLongAmount },
};

INSTANTIATE_TEST_SUITE_P(Lines, LineTableTest, ::testing::ValuesIn(kLineCases));

TEST_F(LineParserTest, NoTextIsABlankLineWithoutAMessage) {
  EXPECT_EQ(readLine(nullptr, kLine), LineResult::blankLine);
  EXPECT_EQ(printed(), "");
}

TEST_F(LineParserTest, ParsingTellsWhatALineSaysAndTouchesNeitherLedgerNorConsole) {
  parseDonationLine("\"Baker, Susan \"\t12/32/2020\t$1,250.5", 7, options, parsed);
  EXPECT_EQ(parsed.kind, LineKind::donation);
  EXPECT_EQ(parsed.line, 7);
  EXPECT_STREQ(parsed.name.data(), "Baker, Susan");
  EXPECT_EQ(parsed.cents, 125050);
  EXPECT_EQ(parsed.date, 1609477201);  // 1 January 2021 00:00:01 in New York
  ASSERT_EQ(parsed.messages.count, 2u);
  EXPECT_EQ(parsed.messages.entries[0].kind, MessageKind::warning);
  EXPECT_STREQ(parsed.messages.text(0),
               "Date '12/32/2020' is not on the calendar; it is read as a date in 2021");
  EXPECT_EQ(parsed.messages.entries[1].kind, MessageKind::warning);
  EXPECT_STREQ(parsed.messages.text(1),
               "Ignoring quotation marks around the name field: 'Baker, Susan'");
  parseDonationLine("City\tgovernment ", 8, options, parsed);
  EXPECT_EQ(parsed.kind, LineKind::keyword);
  EXPECT_EQ(parsed.type, GOVERNMENT);
  EXPECT_STREQ(parsed.second.data(), "government ");
  EXPECT_TRUE(parsed.messages.empty());
  EXPECT_EQ(donorTable.count, 0u);
  EXPECT_EQ(printed(), "");
}

TEST_F(LineParserTest, HeaderOnTheFirstLineIsInformation) {
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(parse("Donor|When|Amount", result, 1),
            "gifts.txt:1 ! INFO: Date field on first line 'When' is probably a header\n");
  EXPECT_EQ(result, LineResult::notDonation);
  EXPECT_EQ(parse("Name|Received|Amount|FY2024", result, 1),
            "gifts.txt:1 ! INFO: Date field on first line 'Received' is probably a header\n");
  EXPECT_EQ(parse("Donor|When", result, 1),
            "gifts.txt:1 ! INFO: Date field on first line 'When' is probably a header\n");
  EXPECT_EQ(errorCount, 0);
}

TEST_F(LineParserTest, AFirstLineWithAFigureInItsAmountCellIsAGiftNotAHeader) {
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(parse("Hartwell Foundation|15.01.2024|$25,000.00", result, 1),
            "gifts.txt:1 ? ERROR: Date has improper format: '15.01.2024'\n");
  EXPECT_EQ(result, LineResult::notDonation);
  EXPECT_EQ(parse("Smith|1/15/1850|5", result, 1),
            "gifts.txt:1 ? ERROR: Year '1850' is not allowed, 0-99 or greater than 1900 required\n"
            "gifts.txt:1 ? ERROR: Date has improper format: '1/15/1850'\n");
  EXPECT_EQ(errorCount, 3);
}

TEST_F(LineParserTest, BlanksAfterANameOrAKeywordMakeNoOtherName) {
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(parse("County of Riverside  |Government ", result), "");
  EXPECT_EQ(result, LineResult::keywordBound);
  EXPECT_EQ(parse("County of Riverside|2/3/2024|$20,000.00", result), "");
  EXPECT_EQ(parse("\"Baker, Susan \" |1/15/2020|5", result),
            kAt +
                "? ERROR: Name field has an ignored quotation mark BUT not a quote at both ends: "
                "'Baker, Susan'\n");
  ASSERT_EQ(donorTable.count, 2u);
  EXPECT_STREQ(donorTable[0].name.data(), "County of Riverside");
  EXPECT_EQ(donorTable[0].sourceType, GOVERNMENT);
  EXPECT_EQ(donorTable[0].totalAmount, 2000000);
  EXPECT_STREQ(donorTable[1].name.data(), "Baker, Susan");
  // Blanks past the 127 characters a name holds are no part of it.
  EXPECT_EQ(parse(kLongestName + "    |1/1/20|5", result), "");
  EXPECT_EQ(result, LineResult::donationBooked);
}

TEST_F(LineParserTest, KeywordsBindOnceAndWarnAboutEarlierAmounts) {
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(parse("Smith|Officer", result), "");
  EXPECT_EQ(result, LineResult::keywordBound);
  EXPECT_EQ(parse("SMITH|officer|anything", result), "");
  EXPECT_EQ(result, LineResult::keywordBound);
  EXPECT_EQ(
      parse("Smith|Director", result, 9),
      "gifts.txt:9 ? ERROR: Changing the source of funding for a name is not allowed on line 9\n");
  EXPECT_EQ(result, LineResult::lineRejected);
  EXPECT_EQ(donorTable[0].sourceType, OFFICER);

  parse("Shop|1/1/2020|10", result);
  EXPECT_EQ(
      parse("Shop|sales", result),
      "gifts.txt:2 ? ERROR: Name Shop can only have one funding purpose.\n"
      "? ERROR:     Associate the purpose keyword with a name before reading any funding lines\n");
  EXPECT_EQ(result, LineResult::keywordBound);
  EXPECT_EQ(donorTable[1].sourceType, SALES);
}

TEST_F(LineParserTest, EveryKeywordBindsItsOwnTypeInAnyLetterCase) {
  int keywords = 0;
  for (int type = 0; type < kSourceTypeCount; ++type) {
    const char* keyword = kSourceTypes[type].keyword;
    if (keyword == nullptr) {
      EXPECT_EQ(type, DONOR);  // a name is one until it is bound
      continue;
    }
    ++keywords;
    std::string lower = keyword;
    for (char& ch : lower) {
      ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    for (const std::string& written : { std::string(keyword), lower }) {
      LineResult result = LineResult::blankLine;
      EXPECT_EQ(parse("Source " + written + "|" + written, result), "") << written;
      EXPECT_EQ(result, LineResult::keywordBound) << written;
      EXPECT_EQ(donorTable[donorTable.count - 1].sourceType, type) << written;
    }
  }
  EXPECT_EQ(keywords, kSourceTypeCount - 1);
}

TEST_F(LineParserTest, ColumnNamesWithAFigureAreWarnedAboutAfterTheFirstLine) {
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(parse("Name|Date|Amount 2024", result, 1),
            "gifts.txt:1 ! INFO: Ignoring line which looks like names for the columns: "
            "Name\tDate\tAmount 2024\n");
  EXPECT_EQ(parse("Total|DATE|5", result, 3),
            "gifts.txt:3 ! INFO: Ignoring line which looks like names for the columns: "
            "Total\tDATE\t5\n"
            "gifts.txt:3 % WARNING: Line that looks like column names holds an amount that is "
            "not booked: Total\tDATE\t5\n");
  EXPECT_EQ(result, LineResult::notDonation);
}

// The name, then the related name, are found or created; neither changes its type. Only givers
// held to the two percent limit that can be persons are grouped.
TEST_F(LineParserTest, RelatedLinesGroupGiversThatCanBePersons) {
  LineResult result = LineResult::blankLine;
  parse("City|Government", result);
  parse("Fund|DAF", result);
  parse("Pat|Trustee", result);
  EXPECT_EQ(parse("Ann|Related|\"Bob\"", result), "");
  EXPECT_EQ(result, LineResult::keywordBound);
  EXPECT_EQ(parse("Pat|Related|ANN", result), "");
  EXPECT_EQ(parse("bob|Related|Bob", result), "");  // a name related to itself
  EXPECT_EQ(result, LineResult::keywordBound);
  ASSERT_EQ(donorTable.count, 5u);
  EXPECT_STREQ(donorTable[3].name.data(), "Ann");
  EXPECT_STREQ(donorTable[4].name.data(), "Bob");
  EXPECT_EQ(donorTable[4].sourceType, DONOR);
  EXPECT_EQ(donorTable[2].sourceType, TRUSTEE);
  const std::uint32_t group = donorGroupOf(donorTable.groups, 3);
  ASSERT_NE(group, 0u);
  EXPECT_EQ(donorGroupOf(donorTable.groups, 2), group);
  EXPECT_EQ(donorGroupOf(donorTable.groups, 4), group);
  for (const char* line : { "Ann|Related|City", "Fund|Related|Ann" }) {
    const std::string tabbed = withTabs(line);
    EXPECT_EQ(parse(line, result),
              kAt + "? ERROR: Related names must both be givers held to the two percent limit: " +
                  tabbed + "\n");
    EXPECT_EQ(result, LineResult::lineRejected);
  }
  EXPECT_EQ(donorGroupOf(donorTable.groups, 0), 0u);
}

TEST_F(LineParserTest, ARelatedLineForANameTheFullTableCannotHoldGroupsNothing) {
  for (std::size_t i = 0; i < kDonorTableSize; ++i) {
    appendDonorEntry(("Name " + std::to_string(i)).c_str());
  }
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(firstLine(parse("Name 1|Related|New", result)),
            kAt + "? ERROR: No room to create donor New");
  EXPECT_EQ(result, LineResult::lineRejected);
  EXPECT_EQ(firstLine(parse("Newer|Related|Name 1", result)),
            kAt + "? ERROR: No room to create donor Newer");
  EXPECT_EQ(result, LineResult::lineRejected);
  EXPECT_EQ(donorGroupOf(donorTable.groups, 1), 0u);
}

TEST_F(LineParserTest, VerbosityFourNotesTheBinding) {
  verbosityLevel = 4;
  LineResult result = LineResult::blankLine;
  EXPECT_EQ(parse("City|\"government\"", result),
            "!   Create donor[0] 'City'\n! City associated with support type government\n");
}

TEST_F(LineParserTest, WholeLineQuotesAreCutToTheMessageBuffer) {
  LineResult result = LineResult::blankLine;
  const std::string printed = parse("Smith||" + std::string(500, '9'), result);
  EXPECT_EQ(result, LineResult::blankDate);
  const std::string start = kAt + "? ERROR: ";
  ASSERT_EQ(printed.substr(0, start.size()), start);
  EXPECT_EQ(printed.size(), start.size() + 511 + 1);
}

}  // namespace

// The dates and amounts of plain lines are read in straight loops; every other field goes
// through the full grammar. Both must come to the same result, the same messages and the same
// bookings.

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "input/date_parser.hpp"
#include "input/line_booking.hpp"
#include "input/line_parser.hpp"
#include "input/line_scan.hpp"
#include "ledger/donor_table.hpp"
#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

// A text followed by its terminator and kLineSlack bytes that a scan which missed the
// terminator would take for more of the line: the slack must never change what is read.
std::string withSlack(const std::string& text) {
  std::string padded = text;
  padded.push_back('\0');
  while (padded.size() < text.size() + 1 + kLineSlack) {
    padded.append("x\"x\tx\rx\nx\"x\tx 5\n");
  }
  return padded;
}

struct Outcome {
  LineResult result;
  std::string printed;
  std::string booked;
};

// Every case starts afresh, so that what one line booked or remembered cannot change the next.
class PlainLineTest : public InputTest {
 protected:
  // Reads one line as line 2 of a list, with the shortcuts or by the full grammar alone, and
  // describes what it printed and booked.
  enum class Way { shortcuts, inFull, asRecord, withSlack };
  Outcome parse(const std::string& line, Way way = Way::shortcuts) {
    resetInput();
    printed();
    if (way == Way::inFull) {
      parseDonationLineInFull(line.c_str(), 2, kCalendarYearReading, parsed);
    } else if (way == Way::withSlack) {
      const std::string padded = withSlack(line);
      parseDonationLineWithSlack(padded.c_str(), 2, kCalendarYearReading, parsed);
    } else if (way == Way::asRecord) {
      // The cells of a record, as a comma-separated list's reader hands them over.
      parseDonationRecord(RecordLine{ line.c_str(), line.c_str(), false, RecordStart::read }, 2,
                          kCalendarYearReading, parsed);
    } else {
      parseDonationLine(line.c_str(), 2, kCalendarYearReading, parsed);
    }
    const LineResult result = bookParsedLine(parsed);
    Outcome outcome{ result, printed(), "" };
    for (std::uint32_t i = 0; i < donorTable.count; ++i) {
      const DonorRecord& entry = donorTable[i];
      outcome.booked += std::string(entry.name.data()) + " " + std::to_string(entry.totalAmount);
      for (int y = 0; y < kYearCount; ++y) {
        if (entry.yearAmounts[static_cast<std::size_t>(y)] != 0) {
          outcome.booked += " " + std::to_string(y + kBaseYear) + ":" +
                            std::to_string(entry.yearAmounts[static_cast<std::size_t>(y)]);
        }
      }
      outcome.booked += ";";
    }
    return outcome;
  }
};

const char* const kLines[] = {
  // Plain lines of every amount form.
  "Smith\t1/15/2020\t100",
  "Smith\t15 Jan 2020\t$1,000.00",
  "Smith\t15-January-2020\t\"$1,250.50\"",
  "SMITH, John\t1/15/20\t5",
  "Smith\t1/15/2020\t12.5",
  "Smith\t1/15/2020\t1234567890.12",
  "Smith\t1/15/2020\t5\tnote after the amount",
  "Smith\t1/15/2020\t 5",
  "Smith \t1/15/2020\t5",
  "Smith   \t1/15/2020\t5",
  "Smith\t1/15/2020\t1,250.00",
  // Amounts of other forms, and amounts in error.
  "Smith\t1/15/2020\t5.",
  "Smith\t1/15/2020\t.50",
  "Smith\t1/15/2020\t-12.50",
  "Smith\t1/15/2020\t1.2.3",
  "Smith\t1/15/2020\t12.345",
  "Smith\t1/15/2020\t12.3456",
  "Smith\t1/15/2020\t$12345678901",
  "Smith\t1/15/2020\t\"12,5\"",
  "Smith\t1/15/2020\t12.5\"x",
  "Smith\t1/15/2020\t12.355",
  "Smith\t1/15/2020\t1.99999999999999999999",
  "Smith\t1/15/2020\t12345678901",
  "Smith\t1/15/2020\t99999999999999.99",
  "Smith\t1/15/2020\t0.00",
  "Smith\t1/15/2020\t12a",
  "Smith\t1/15/2020\t1-2",
  "Smith\t1/15/2020\t",
  "Smith\t1/15/2020\t$",
  "Smith\t1/15/2020\t5 ",
  "Smith\t1/15/2020\t5$",
  "Smith\t1/15/2020\t5\r",
  "Smith\t1/15/2020\t5\"",
  "Smith\t1/15/2020\t12.50,",
  "Smith\t1/15/2020\t1.250,00",
  "Smith\t1/15/2020\t1.2,5",
  "Smith\t1/15/2020\t$1.250.000",
  "Smith\t1/15/2020\t$250,00",
  "Smith\t1/15/2020\t1,250",
  "Smith\t1/15/2020\t1,250,000.00",
  "Smith\t1/15/2020\t12,3456",
  "Smith\t1/15/2020\t,250",
  "Smith\t1/15/2020\t1,250,",
  "Smith\t1/15/2020\t\"1,250\" ",
  "Smith\t1/15/2020\t($1,250.00)",
  "Smith\t1/15/2020\t(-5)",
  "Smith\t1/15/2020\t(5",
  "Smith\t1/15/2020\t\u22125",
  "Smith\t1/15/2020\t1\u00a0250",
  "Smith\t1/15/2020\t1\u202f250,00",
  "Smith\t1/15/2020\t1,250\u00a0",
  "Smith\t1/15/2020\t,\u22125",
  "Smith\t1/15/2020\t1 ,250",
  "Smith\t1/15/2020\t$,250",
  "Smith\t1/15/2020\t(1,250)",
  "Smith\t1/15/2020\t1\u00a2",
  "Smith\t1/15/2020\t5\u20ac",
  "Smith\t1/15/2020\t1\u2211",
  // Dates that are no dates, or not of a plain form.
  "Smith\t1/15/1850\t5",
  "Smith\t13/45/2020\t5",
  "Smith\t1/1/1969\t5",
  "Smith\t1/15/2020x\t5",
  "Smith\t1\"/15/2020\t5",
  "Smith\t1/15/2020\r\t5",
  "Smith\t1/15/2020",
  "Smith\t15 Sept, 2020\t5",
  "Smith\t2020-01-15\t5",
  "Smith\t2020/1/15 10:30\t5",
  "Smith\t2021-02-29\t5",
  "Smith\tJan 15, 2020\t5",
  "Smith\tSept 31, 2020\t5",
  "Smith\tJanuary 15 2020\t5",
  "Smith\t2020/1/155\t5",
  "Smith\t2020-Jan-15\t5",
  "Smith\t1/15/2O24\t5",
  "Smith\t15 Jan 202O\t5",
  "Smith\t2/29/2024\t5",
  "Smith\t2/30/2021\t5",
  "Smith\t12/31/2020\t5",
  "Smith\t12/32/2020\t5",
  "Smith\t15/01/2024\t0",
  "Smith\t0/15/2020\t12a",
  "Smith\t32 Sept, 2020\t12a",
  "Smith\t32-Dec-2020\t5",
  // Names that are not plain, and lines without one.
  "Smith\"\t1/15/2020\t5",
  " Smith\t1/15/2020\t5",
  "Smith\r1/15/2020\t5",
  "\"  \t1/15/2020\t5",
  "Smith",
  "",
  "   ",
  "  ! note\t1/15/2020\t5",
  "\t1/15/2020\t5",
  "\rSmith\t1/15/2020\t5",
};

// Quoted names, by what they print and book (they are compared with the full grammar too).
struct QuotedCase {
  const char* line;
  LineResult result;
  const char* printed;
  const char* booked;
};

const QuotedCase kQuotedLines[] = {
  { "\"Baker, Susan\"\t1/15/2020\t$1,250.00", LineResult::donationBooked,
    "gifts.txt:2 % WARNING: Ignoring quotation marks around the name field: 'Baker, Susan'\n",
    "Baker, Susan 125000 2020:125000;" },
  { "\"Baker, Susan\"\t15 Jan 2020\t12a", LineResult::badAmount,
    "gifts.txt:2 ? ERROR: Character a (0x61) in value '12' is not a number on line: \"Baker, "
    "Susan\"\t15 Jan 2020\t12a\n"
    "gifts.txt:2 % WARNING: Ignoring quotation marks around the name field: 'Baker, Susan'\n"
    "gifts.txt:2 ? ERROR: Amount '12a' contains or is followed by a non-numeric character\n",
    "" },
  { "\"Baker, Susan\"\t1/15/1850\t5", LineResult::notDonation,
    "gifts.txt:2 ? ERROR: Year '1850' is not allowed, 0-99 or greater than 1900 required\n"
    "gifts.txt:2 ? ERROR: Date has improper format: '1/15/1850'\n",
    "" },
  { "\"Baker\" Susan\"\t1/15/2020\t5", LineResult::donationBooked,
    "gifts.txt:2 ? ERROR: Name field has an ignored quotation mark BUT not a quote at both ends: "
    "'Baker Susan'\n",
    "Baker Susan 500 2020:500;" },
  { "\"Baker, Susan \"\t12/32/2020\t5", LineResult::donationBooked,
    "gifts.txt:2 % WARNING: Date '12/32/2020' is not on the calendar; it is read as a date in 2021\n"
    "gifts.txt:2 % WARNING: Ignoring quotation marks around the name field: 'Baker, Susan'\n",
    "Baker, Susan 500 2021:500;" },
  { "\"\"\t1/15/2020\t5", LineResult::lineRejected,
    "gifts.txt:2 ? ERROR: The Name (first) field can not be blank: \"\"\t1/15/2020\t5\n"
    "gifts.txt:2 % WARNING: Ignoring quotation marks around the name field: ''\n",
    "" },
};

TEST_F(PlainLineTest, PlainLinesComeToWhatTheFullScanComesTo) {
  std::vector<std::string> lines(std::begin(kLines), std::end(kLines));
  lines.push_back(std::string(127, 'x') + "\t1/15/2020\t5");
  lines.push_back(std::string(128, 'x') + "\t1/15/2020\t5");
  lines.push_back(std::string(127, 'x') + "   \t1/15/2020\t5");
  lines.push_back(std::string(128, 'x') + "   \t1/15/2020\t5");
  lines.push_back("A\t1/1/2020\t" + std::string(126, '0') + "5");
  lines.push_back("A\t1/1/2020\t" + std::string(127, '0') + "5");
  lines.push_back(std::string(127, 'x') + "\t000000001/000000015/000002020\t5");  // past 150
  lines.push_back(std::string(151, 'x') + "\t1/15/2020\t5");
  for (const QuotedCase& c : kQuotedLines) {
    lines.push_back(c.line);
    lines.push_back(std::string(" ") + c.line);
  }
  lines.push_back(std::string(127, 'x') + "\t15 January 2020\t12.50");    // ends at 148
  lines.push_back(std::string(127, 'x') + "\t15 January 2020\t1234.56");  // ends past 150
  for (const std::string& line : lines) {
    const Outcome plain = parse(line);
    const Outcome full = parse(line, Way::inFull);
    EXPECT_EQ(plain.result, full.result) << "'" << line << "'";
    EXPECT_EQ(plain.printed, full.printed) << "'" << line << "'";
    EXPECT_EQ(plain.booked, full.booked) << "'" << line << "'";
    const Outcome slack = parse(line, Way::withSlack);
    EXPECT_EQ(slack.result, plain.result) << "'" << line << "'";
    EXPECT_EQ(slack.printed, plain.printed) << "'" << line << "'";
    EXPECT_EQ(slack.booked, plain.booked) << "'" << line << "'";
    // A record has no limit of 150 characters; within it, its cells are read as a line's fields.
    const bool plainStart = !line.empty() && line[0] != ' ' && line[0] != '\t' && line[0] != '\r';
    if (plainStart && line.size() < 150) {
      const Outcome record = parse(line, Way::asRecord);
      EXPECT_EQ(record.result, plain.result) << "'" << line << "'";
      EXPECT_EQ(record.printed, plain.printed) << "'" << line << "'";
      EXPECT_EQ(record.booked, plain.booked) << "'" << line << "'";
    }
  }
}

// A plain name is taken in one step; the character loop must come to the same field.
TEST(PlainNameTest, APlainNameIsReadAsTheLoopReadsIt) {
  std::vector<std::string> texts = {
    "Smith\t1/1/2020\t5",
    "Smith  \t5",
    "\"Smith, J\"\t5",
    "\"Smith \"\t5",
    "\"\"\t5",
    " Smith\t5",
    "Smith\t",
    "Smith",
    "\"Smith\"\t",
    "\"Smith\" \t5",
    "Sm\"ith\t5",
    "Smith\r\t5",
    "\"Smith\r\"\t5",
    "\"",
    "x\"\t5",
  };
  texts.push_back(std::string(130, 'n') + "\"nn\t5");  // characters past the 127 kept
  for (const int length : { 126, 127, 128, 148, 149, 150 }) {
    texts.push_back(std::string(static_cast<std::size_t>(length), 'n') + "\t5");
    texts.push_back(std::string(static_cast<std::size_t>(length - 3), 'n') + "   \t5");
    texts.push_back("\"" + std::string(static_cast<std::size_t>(length - 2), 'n') + "\"\t5");
  }
  for (const std::string& text : texts) {
    Field taken{};
    Field looped{};
    NameQuotes takenQuotes{ -1, true, true };
    NameQuotes loopedQuotes{ -1, true, true };
    const NameRead read = readNameField(text.c_str(), taken, takenQuotes);
    const NameRead loop = readAnyNameField(text.c_str(), looped, loopedQuotes);
    EXPECT_EQ(read.end, loop.end) << text;
    EXPECT_EQ(read.at, loop.at) << text;
    EXPECT_STREQ(taken.data(), looped.data()) << text;
    EXPECT_EQ(taken.length, looped.length) << text;
    EXPECT_EQ(takenQuotes.count, loopedQuotes.count) << text;
    EXPECT_EQ(takenQuotes.atLineStart, loopedQuotes.atLineStart) << text;
    EXPECT_EQ(takenQuotes.beforeTab, loopedQuotes.beforeTab) << text;
    Field slack{};
    NameQuotes slackQuotes{ -1, true, true };
    const std::string padded = withSlack(text);
    const NameRead slackRead = readNameField<true>(padded.c_str(), slack, slackQuotes);
    EXPECT_EQ(slackRead.end, read.end) << text;
    EXPECT_EQ(slackRead.at, read.at) << text;
    EXPECT_STREQ(slack.data(), taken.data()) << text;
    EXPECT_EQ(slackQuotes.count, takenQuotes.count) << text;
  }
}

TEST_F(PlainLineTest, NamesQuotedAsAWholeAreWarnedAboutAndBooked) {
  for (const QuotedCase& c : kQuotedLines) {
    const Outcome outcome = parse(c.line);
    EXPECT_EQ(outcome.result, c.result) << c.line;
    EXPECT_EQ(outcome.printed, c.printed) << c.line;
    EXPECT_EQ(outcome.booked, c.booked) << c.line;
  }
}

TEST_F(PlainLineTest, TheAmountMustEndWithinTheFirst150Characters) {
  const std::string start = std::string(100, 'n') + "\t1/15/2020\t";  // the amount starts at 111
  const std::string limit =
      "gifts.txt:2 ? ERROR: Expected fields not found in the first 150 characters of the input "
      "line.\n";
  struct LimitCase {
    std::string amount;
    LineResult result;
    bool reported;
  };
  const LimitCase cases[] = {
    { std::string(38, '$') + "5", LineResult::donationBooked, false },  // last character at 149
    { std::string(39, '$') + "5", LineResult::lineRejected, true },
    { std::string(37, '$') + "5\t", LineResult::donationBooked, false },  // TAB at 149
    { std::string(38, '$') + "5\t", LineResult::lineRejected, true },
  };
  for (const LimitCase& c : cases) {
    const Outcome outcome = parse(start + c.amount);
    EXPECT_EQ(outcome.result, c.result) << c.amount.size();
    EXPECT_EQ(outcome.printed, c.reported ? limit : "") << c.amount.size();
  }
}

}  // namespace

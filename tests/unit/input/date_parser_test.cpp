#include "input/date_parser.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <ostream>
#include <string>

#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

struct DateCase {
  const char* text;
  const char* expected;  // local date as YYYY-MM-DD, or "" when the text is no date
  int movedToYear = 0;   // the (tax) year a warning names for a date carried out of its year, or 0
  int startMonth = 1;    // the month the tax years begin in
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

// The local date of a parse result, with the time of day that every date must carry.
std::string localDate(std::time_t when) {
  if (when == 0) {
    return "";
  }
  std::tm local{};
  localtime_r(&when, &local);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

class DateParserTest : public InputTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(DateParserTest, GivesTheLocalDateOrNone) {
  const DateCase& c = GetParam();
  options.taxYearStartMonth = c.startMonth;
  const std::time_t when = readDate(c.text, 4);
  const std::string said = printed();
  const std::string expected = c.expected[0] == '\0' ? "" : std::string(c.expected) + " 00:00:01";
  EXPECT_EQ(localDate(when), expected) << "text: '" << c.text << "'";
  const std::string year = c.startMonth == 1 ? "" : "the tax year beginning in ";
  const std::string warning = c.movedToYear == 0
                                  ? ""
                                  : "gifts.txt:4 % WARNING: Date '" + std::string(c.text) +
                                        "' is not on the calendar; it is read as a date in " +
                                        year + std::to_string(c.movedToYear) + "\n";
  EXPECT_EQ(said, warning) << "text: '" << c.text << "'";
  EXPECT_GE(when, INT32_MIN);
  EXPECT_LE(when, INT32_MAX);
}

const DateCase kDateCases[] = {
  // The accepted forms and their spellings.
  { "1/15/2020", "2020-01-15" },
  { "15 Jan 2020", "2020-01-15" },
  { "15-jan-2020", "2020-01-15" },
  { "15 JANUARY 2020", "2020-01-15" },
  { "15 Jan, 2020", "2020-01-15" },
  { "15 Sept, 2020", "2020-09-15" },
  { "15 Janvier 2020", "2020-01-15" },
  { "15  Jan 2020", "2020-01-15" },
  { "1/15/2020 10:30", "2020-01-15" },
  // The year first, or the month's name first; a time after them is passed over.
  { "2020-01-15", "2020-01-15" },
  { "2020/1/5", "2020-01-05" },
  { "2024-02-29", "2024-02-29" },
  { "2020-01-15 10:30", "2020-01-15" },
  { "2020-01-15T10:30:00", "2020-01-15" },
  { "Jan 15 2020", "2020-01-15" },
  { "January 15, 2020", "2020-01-15" },
  { "Sept 5, 2023", "2023-09-05" },
  { "sept. 5,2023", "2023-09-05" },
  { "DEC  31, 2037 23:59", "2037-12-31" },
  { "Janvier 15, 2020", "2020-01-15" },
  // In those forms a month or a day off the calendar is no date; nor is a year out of range.
  { "2023-02-29", "" },
  { "2020-13-01", "" },
  { "2020/0/10", "" },
  { "2020-04-31", "" },
  { "2020-01-00", "" },
  { "1969-12-31", "" },
  { "2039-01-01", "" },
  { "Feb 30, 2024", "" },
  { "Jan 0, 2020", "" },
  { "Jan 32, 2020", "" },
  // Nor is what has their shape only in part: it is read by the older forms.
  { "2020-01-15x", "" },
  { "2020-01-15T", "" },
  { "2020-01-155", "" },
  { "2020-001-15", "" },
  { "2020-01/15", "" },
  { "0202-01-15", "" },
  { "Jan 15, 20", "" },
  { "Jan 15, 2020x", "" },
  { "Jan 15x 2020", "" },
  { "Foo 15, 2020", "" },
  { "Ja 15, 2020", "" },
  { "Jan. , 2020", "" },
  { "Jan15, 2020", "" },
  { "2020.01.15", "" },
  // Two-digit years and the accepted range.
  { "1/15/20", "2020-01-15" },
  { "1/15/99", "1999-01-15" },
  { "1/15/69", "" },
  { "1/1/1969", "" },
  { "1/15/1970", "1970-01-15" },
  { "1/18/2038", "2038-01-18" },
  { "1/19/2038", "" },  // past the last second of a signed 32-bit count
  { "12/31/2038", "" },
  // Days and months out of range carry as the local-time conversion does; a carry into another
  // year is reported, since the amount is then booked in that year.
  { "2/29/2021", "2021-03-01" },
  { "2/30/2021", "2021-03-02" },
  { "2/29/2024", "2024-02-29" },
  { "12/31/2020", "2020-12-31" },
  { "12/32/2020", "2021-01-01", 2021 },
  { "13/1/2020", "2021-01-01", 2021 },
  { "15/01/2024", "2025-03-01", 2025 },
  { "32 Dec 2020", "2021-01-01", 2021 },
  { "1/0/2020", "2019-12-31", 2019 },
  { "0/15/2020", "2019-12-15", 2019 },
  { "-1/15/2020", "2019-11-15", 2019 },
  { "1/0/1970", "1969-12-31", 1969 },
  { "12/32/2038", "" },
  // With tax years, a carry is reported when it moves the date into another tax year: the one
  // of the date as written is that of its year and month (a month off the calendar taken as
  // the nearest one).
  { "6/31/2024", "2024-07-01", 2024, 7 },
  { "7/0/2024", "2024-06-30", 2023, 7 },
  { "12/32/2023", "2024-01-01", 0, 7 },
  { "2/30/2024", "2024-03-01", 0, 7 },
  { "13/15/2024", "2025-01-15", 0, 7 },
  { "19/1/2024", "2025-07-01", 2025, 7 },
  { "0/15/2024", "2023-12-15", 0, 7 },
  { "1/32/2024", "2024-02-01", 2024, 2 },
  { "12/32/2023", "2024-01-01", 0, 2 },
  { "12/32/2023", "2024-01-01", 0, 12 },
  { "11/31/2023", "2023-12-01", 2023, 12 },
  // Not dates.
  { "", "" },
  { "15.01.2020", "" },
  { "1 /15/2020", "" },
  { "15 Jan", "" },
  // A year followed directly by a letter is a typo, not the digits before it; no year message.
  { "1/15/2O24", "" },
  { "1/15/202O", "" },
  { "1/15/2024x", "" },
  { "15 Jan 2O24", "" },
  { "15-January-2O24", "" },
  { "1/15/-5", "" },
  { "15 Jan -5", "" },  // a negative year is no year, not 1995
  // Digit runs too long for any integer saturate and then fail as dates.
  { "99999999999999999999/1/2020", "" },
  { "1/1/99999999999999999999", "" },
};

INSTANTIATE_TEST_SUITE_P(Forms, DateParserTest, ::testing::ValuesIn(kDateCases));

using DateYearTest = InputTest;

TEST_F(DateYearTest, YearsFrom100To1899AreReportedOnTheirLine) {
  EXPECT_EQ(readDate("1/15/1850", 12), 0);
  EXPECT_EQ(readDate("15 Jan 100", 13), 0);
  EXPECT_EQ(readDate("1850-01-15", 14), 0);
  EXPECT_EQ(readDate("Jan 15, 1899", 15), 0);
  EXPECT_EQ(
      printed(),
      "gifts.txt:12 ? ERROR: Year '1850' is not allowed, 0-99 or greater than 1900 required\n"
      "gifts.txt:13 ? ERROR: Year '100' is not allowed, 0-99 or greater than 1900 required\n"
      "gifts.txt:14 ? ERROR: Year '1850' is not allowed, 0-99 or greater than 1900 required\n"
      "gifts.txt:15 ? ERROR: Year '1899' is not allowed, 0-99 or greater than 1900 required\n");
  EXPECT_EQ(errorCount, 4);
}

TEST_F(DateYearTest, MessagesGoToTheCallerInTheOrderRaised) {
  LineMessages& messages = parsed.messages;
  EXPECT_EQ(parseDate("1/15/1850", 12, kCalendarYearReading, messages), 0);
  EXPECT_NE(parseDate("12/32/2020", 13, kCalendarYearReading, messages), 0);
  EXPECT_EQ(printed(), "");
  ASSERT_EQ(messages.count, 2u);
  EXPECT_EQ(messages.entries[0].kind, MessageKind::error);
  EXPECT_EQ(messages.entries[0].line, 12);
  EXPECT_STREQ(messages.text(0), "Year '1850' is not allowed, 0-99 or greater than 1900 required");
  EXPECT_EQ(messages.entries[1].kind, MessageKind::warning);
  EXPECT_EQ(messages.entries[1].line, 13);
  EXPECT_STREQ(messages.text(1),
               "Date '12/32/2020' is not on the calendar; it is read as a date in 2021");
}

TEST(RewriteDateSeparatorsTest, RebuildsThreePiecesOrNothing) {
  EXPECT_STREQ(rewriteDateSeparators("15-January-2020", '-'), "15 Jan 2020");
  EXPECT_STREQ(rewriteDateSeparators("15 Sept, 2020", ' '), "15 Sep 2020");
  EXPECT_STREQ(rewriteDateSeparators("1 x 2", ' '), "1 x 2");
  // A piece keeps 14 characters and then the latest one seen.
  EXPECT_STREQ(rewriteDateSeparators("12345678901234567890 Jan 2020", ' '),
               "123456789012340 Jan 2020");
  EXPECT_EQ(rewriteDateSeparators("1/15/2020", ' '), nullptr);
  EXPECT_EQ(rewriteDateSeparators("15  Jan 2020", ' '), nullptr);
  EXPECT_EQ(rewriteDateSeparators("", ' '), nullptr);
  // No text is no date.
  EXPECT_EQ(rewriteDateSeparators(nullptr, ' '), nullptr);
  LineMessages messages;
  EXPECT_EQ(parseDate(nullptr, 4, kCalendarYearReading, messages), 0);
  EXPECT_TRUE(messages.empty());
}

}  // namespace

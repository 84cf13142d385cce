// The short ways through the date parser (plain forms read directly, dates and converted days
// remembered) must give what the full rewriting and scanning give, messages included.

#include "input/plain_date.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "input/date_parser.hpp"
#include "output/message_channel.hpp"
#include "unit/input/input_fixture.hpp"

namespace {

// The dates remembered are kept from one parse to the next within a test.
class PlainDateTest : public InputTest {
 protected:
  struct Outcome {
    std::time_t when;
    std::string printed;
  };
  Outcome parse(const std::string& text) {
    printed();
    const std::time_t when = readDate(text.c_str(), 7);
    return Outcome{ when, printed() };
  }
};

// Texts of the plain forms, with days, months and years in and out of range.
std::vector<std::string> plainTexts() {
  const char* const months[] = { "Jan", "feb", "MAR", "April", "september", "Decembre", "Foo" };
  const int years[] = { 0,   20,   38,   39,   49,   50,   69,   70,       99,
                        100, 1850, 1969, 1970, 2024, 2038, 2039, 123456789, 1234567890 };
  std::vector<std::string> texts;
  for (const int year : years) {
    for (const int day : { 0, 1, 15, 29, 31, 32, 400 }) {
      for (const int month : { 0, 1, 2, 12, 13 }) {
        texts.push_back(std::to_string(month) + "/" + std::to_string(day) + "/" +
                        std::to_string(year));
      }
      for (const char* month : months) {
        const std::string middle = std::to_string(day) + " " + month + " " + std::to_string(year);
        texts.push_back(middle);
        texts.push_back(std::to_string(day) + "-" + month + "-" + std::to_string(year));
      }
    }
  }
  return texts;
}

TEST_F(PlainDateTest, PlainFormsGiveWhatTheFullReadingGives) {
  // A plus sign before the first number keeps a text from the plain forms, and the full
  // reading takes it as the number's sign.
  for (const std::string& text : plainTexts()) {
    const Outcome plain = parse(text);
    const Outcome full = parse("+" + text);
    EXPECT_EQ(plain.when, full.when) << "'" << text << "'";
    // A warning about a day off the calendar quotes the text as written.
    std::string printed = full.printed;
    const std::size_t quoted = printed.find("'+" + text + "'");
    if (quoted != std::string::npos) {
      printed.erase(quoted + 1, 1);
    }
    EXPECT_EQ(plain.printed, printed) << "'" << text << "'";
  }
}

// The forms that name the year or the month first: read directly when nothing follows them,
// and fully when a blank does.
TEST_F(PlainDateTest, YearAndMonthFirstFormsGiveWhatTheFullReadingGives) {
  const char* const months[] = { "Jan", "feb", "Sept", "December", "Foo" };
  for (const int year : { 1850, 1969, 1970, 2024, 2038, 2039 }) {
    for (const int day : { 0, 1, 28, 29, 30, 31, 32 }) {
      std::vector<std::string> texts;
      for (const int month : { 0, 1, 2, 12, 13 }) {
        const std::string tail = std::to_string(month) + "-" + std::to_string(day);
        texts.push_back(std::to_string(year) + "-" + tail);
        texts.push_back(std::to_string(year) + "/" + std::to_string(month) + "/" +
                        std::to_string(day));
      }
      for (const char* month : months) {
        texts.push_back(std::string(month) + " " + std::to_string(day) + ", " +
                        std::to_string(year));
      }
      for (const std::string& text : texts) {
        const Outcome plain = parse(text);
        const Outcome full = parse(text + " ");
        EXPECT_EQ(plain.when, full.when) << "'" << text << "'";
        EXPECT_EQ(plain.printed, full.printed) << "'" << text << "'";
      }
    }
  }
}

TEST_F(PlainDateTest, ADateReadAgainGivesTheSameTimeAndAYearErrorIsReportedAgain) {
  const std::vector<std::string> texts = { "1/15/2020",    "15 January 2020", "15 Sept, 2020",
                                           "15  Jan 2020", "1/15/2020 10:30", "1/15/1850",
                                           "15 Jan 100" };
  std::vector<Outcome> first;
  for (const std::string& text : texts) {
    first.push_back(parse(text));
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Outcome again = parse(texts[i]);
    EXPECT_EQ(again.when, first[i].when) << texts[i];
    EXPECT_EQ(again.printed, first[i].printed) << texts[i];
  }
  EXPECT_EQ(first[0].when, first[1].when);
  EXPECT_EQ(first[0].when, first[4].when);
  EXPECT_EQ(
      first[5].printed,
      "gifts.txt:7 ? ERROR: Year '1850' is not allowed, 0-99 or greater than 1900 required\n");
}

TEST_F(PlainDateTest, AFieldOfAPlainFormIsReadUpToItsTab) {
  struct FieldCase {
    const char* line;
    int length;  // characters before the TAB, or -1 when the field has no plain form
  };
  const FieldCase cases[] = {
    { "1/15/2020\t$5", 9 },   { "15 Jan 2020\t5", 11 },      { "15-January-20\t5", 13 },
    { "1/15/2020", -1 },      { "1/15/2020 \t5", -1 },       { "15 Jan, 2020\t5", -1 },
    { "15 Jan-2020\t5", -1 }, { "15 Ja 2020\t5", -1 },       { "2020-01-15\t5", 10 },
    { "2020/1/5\t5", 8 },     { "2020-02-30\t5", -1 },       { "2020-01-15 \t5", -1 },
    { "Jan 15, 2020\t5", 12 }, { "Feb 30, 2020\t5", -1 },    { "Jan 15, 2020 \t5", -1 },
    { "2020/1/15x\t5", -1 },  { "Officer\t5", -1 },
    { "1/15/2020\n", -1 },    { "1234567890/1/2020\t", -1 }, { "\t5", -1 },
  };
  for (const FieldCase& c : cases) {
    DateParts parts{ 0, 0, 0 };
    const char* end = readPlainDate(c.line, '\t', parts);
    if (c.length < 0) {
      EXPECT_EQ(end, nullptr) << c.line;
      continue;
    }
    ASSERT_NE(end, nullptr) << c.line;
    EXPECT_EQ(end - c.line, c.length) << c.line;
    const std::string field(c.line, static_cast<std::size_t>(c.length));
    LineMessages messages;
    // Converted, then taken from what was remembered: both times with the local month that
    // books the time.
    for (int reading = 0; reading < 2; ++reading) {
      LocalMonth local{ 0, 0 };
      const std::time_t when = dateOfParts(parts, c.line, 7, kCalendarYearReading, messages, local);
      EXPECT_EQ(when, readDate(field.c_str(), 7)) << c.line;
      std::tm broken{};
      ASSERT_NE(localtime_r(&when, &broken), nullptr);
      EXPECT_EQ(local.year, broken.tm_year) << c.line;
      EXPECT_EQ(local.month, broken.tm_mon + 1) << c.line;
    }
    EXPECT_TRUE(messages.empty()) << c.line;
  }
}

TEST_F(PlainDateTest, ForgottenDatesFollowANewTimeZone) {
  const std::string zone = std::getenv("TZ") != nullptr ? std::getenv("TZ") : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const std::time_t utc = readDate("1/15/2020", 1);
  const std::time_t utcNamed = readDate("15 Jan 2020 ", 1);
  ::setenv("TZ", "Asia/Kolkata", 1);
  ::tzset();
  const std::time_t remembered = readDate("1/15/2020", 1);
  resetDateCache();
  const std::time_t kolkata = readDate("1/15/2020", 1);
  const std::time_t kolkataNamed = readDate("15 Jan 2020 ", 1);
  if (zone.empty()) {
    ::unsetenv("TZ");
  } else {
    ::setenv("TZ", zone.c_str(), 1);
  }
  ::tzset();
  EXPECT_EQ(utc, 1579046401);
  EXPECT_EQ(utcNamed, utc);
  EXPECT_EQ(remembered, utc);  // the same list keeps the times it has converted
  EXPECT_EQ(kolkata, 1579046401 - 19800);
  EXPECT_EQ(kolkataNamed, kolkata);
}

}  // namespace

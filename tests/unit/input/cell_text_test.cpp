// What a spreadsheet cell becomes as text of a list line: numbers as plain decimals, date
// serials of both date systems, ISO dates, which number formats show dates, cell references.

#include "input/cell_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string numberText(const char* value) {
  std::string out;
  appendNumberText(out, value);
  return out;
}

TEST(CellTextTest, NumbersArePlainDecimalsOf15SignificantDigits) {
  const struct {
    const char* stored;
    const char* text;
  } kCases[] = {
    { "1250.5", "1250.5" },
    { "-25", "-25" },
    { "+7", "7" },
    { "0", "0" },
    { "-0.0", "0" },
    { "100", "100" },
    { "1250.4999999999998", "1250.5" },  // a binary fraction shows as the cents typed
    { "99.990000000000009", "99.99" },
    { "0.30000000000000004", "0.3" },
    { "999999999999999.5", "1000000000000000" },  // rounding carries into a new digit
    { "123456789012345678", "123456789012346000" },
    { "1.5E2", "150" },
    { "1.25e-3", "0.00125" },
    { "2E+20", "200000000000000000000" },
    { "0.05", "0.05" },
    { "007.50", "7.5" },
    { ".5", "0.5" },
    // No number: kept as written, for the line grammar to judge.
    { "", "" },
    { "abc", "abc" },
    { "1.2.3", "1.2.3" },
    { "1e", "1e" },
    { "1e+", "1e+" },
    { "1e5x", "1e5x" },
    { "1e999", "1e999" },
    { "1e-999", "1e-999" },
    { "1e4011", "1e4011" },  // an exponent too long to read is no number
    { "-", "-" },
    { "12 ", "12 " },
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(numberText(c.stored), c.text) << c.stored;
  }
}

TEST(CellTextTest, DateSerialsOfBothSystems) {
  const struct {
    const char* serial;
    DateSystem system;
    const char* text;
  } kCases[] = {
    { "45306", DateSystem::from1900, "1/15/2024" },
    { "45306.99", DateSystem::from1900, "1/15/2024" },            // the time of day is passed over
    { "45306.999999999999", DateSystem::from1900, "1/16/2024" },  // shown as midnight
    { "1", DateSystem::from1900, "1/1/1900" },
    { "59", DateSystem::from1900, "2/28/1900" },
    { "60", DateSystem::from1900, "2/29/1900" },  // the day that never was
    { "61", DateSystem::from1900, "3/1/1900" },
    { "2958465", DateSystem::from1900, "12/31/9999" },
    { "2958466", DateSystem::from1900, "2958466" },
    { "0", DateSystem::from1900, "0" },
    { "-1", DateSystem::from1900, "-1" },
    { "-0", DateSystem::from1900, "0" },
    { "123456789", DateSystem::from1900, "123456789" },
    { "soon", DateSystem::from1900, "soon" },
    { "0", DateSystem::from1904, "1/1/1904" },
    { "43843.5", DateSystem::from1904, "1/14/2024" },
    { "2957003", DateSystem::from1904, "12/31/9999" },
    { "2957004", DateSystem::from1904, "2957004" },
  };
  for (const auto& c : kCases) {
    std::string out;
    appendSerialDateText(out, c.serial, c.system);
    EXPECT_EQ(out, c.text) << c.serial;
  }
}

TEST(CellTextTest, IsoDatesBecomeMonthDayYear) {
  const struct {
    const char* iso;
    const char* text;
  } kCases[] = {
    { "2024-01-15", "1/15/2024" },
    { "2023-06-30T10:30:00", "6/30/2023" },
    { "2023-06-30 10:30", "6/30/2023" },
    { "2023-6-30", "2023-6-30" },
    { "2023/06/30", "2023/06/30" },
    { "2023-06/30", "2023-06/30" },
    { "2x23-06-30", "2x23-06-30" },
    { "2023-06-3x", "2023-06-3x" },
    { "2023-06-300", "2023-06-300" },
    { "June", "June" },
  };
  for (const auto& c : kCases) {
    std::string out;
    appendIsoDateText(out, c.iso);
    EXPECT_EQ(out, c.text) << c.iso;
  }
}

TEST(CellTextTest, DateFormats) {
  const struct {
    int id;
    const char* code;
    bool date;
  } kCases[] = {
    { 14, "", true },
    { 15, "", true },
    { 17, "", true },
    { 22, "", true },
    { 27, "", true },
    { 36, "", true },
    { 50, "", true },
    { 58, "", true },
    { 0, "", false },
    { 4, "", false },
    { 18, "", false },
    { 21, "", false },
    { 37, "", false },
    { 45, "", false },
    { 49, "", false },
    { 59, "", false },
    { 164, "mmmm\\ d\", \"yyyy", true },
    { 164, "m/d/yyyy", true },
    { 164, "d-mmm", true },
    { 164, "yyyy", true },
    { 164, "DD.MM.YYYY hh:mm", true },
    { 164, "[$-409]mmmm d, yyyy;@", true },
    { 100, "h:mm", false },  // a time: minutes, not months
    { 164, "[h]:mm:ss", false },
    { 164, "mm:ss", false },
    { 164, "dddd", false },  // the weekday alone
    { 164, "#,##0.00\\ \"days\"", false },  // the letters are quoted
    { 164, "0.00\\d\\m\\y", false },        // and escaped
    { 164, "_(* #,##0_);_(* \\(#,##0\\)", false },
    { 164, "[Red]\"yyyy\"0", false },
    { 164, "\"mdy", false },  // a literal not closed runs to the end
    { 164, "General", false },
    { 164, "@", false },
    { 14, "0.00", false },  // a format of the workbook's own replaces the built-in one
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(isDateFormat(c.id, c.code), c.date) << c.id << " " << c.code;
  }
}

TEST(CellTextTest, CellReferences) {
  const struct {
    long column;
    long row;
    const char* reference;
  } kCases[] = {
    { 0, 1, "A1" },
    { 2, 12, "C12" },
    { 25, 3, "Z3" },
    { 26, 4, "AA4" },
    { 16383, 1048576, "XFD1048576" },
  };
  for (const auto& c : kCases) {
    std::string out;
    appendCellReference(out, c.column, c.row);
    EXPECT_EQ(out, c.reference);
    EXPECT_EQ(columnOfReference(c.reference), c.column) << c.reference;
  }
  EXPECT_EQ(columnOfReference("12"), -1);
  EXPECT_EQ(columnOfReference("b2"), -1);
  EXPECT_EQ(columnOfReference("AB"), 27);  // a reference without its row still names a column
}

}  // namespace

#include "report/worksheet.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ledger/source_type.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

using WorksheetTest = ReportTest;

TEST(WorksheetCascadeTest, PartTwoChecksOneBoxAtExactBoundaries) {
  struct Case {
    bool firstFiveYears;
    Amount line6, line11, priorLine6, priorLine11;
    PartTwoBox box;
  } cases[] = {
    { true, 0, 0, 0, 0, PartTwoBox::line13 },
    { false, 1, 3, 0, 0, PartTwoBox::line16a },                 // exactly one third
    { false, 9999, 30000, 1, 3, PartTwoBox::line16b },          // a cent short; prior a third
    { false, 9999, 30000, 9999, 30000, PartTwoBox::line17a },   // short both years, over 10%
    { false, 1, 10, 0, 0, PartTwoBox::line17a },                // exactly one tenth
    { false, 9999, 100000, 1, 10, PartTwoBox::line17b },        // a cent short; prior a tenth
    { false, 9999, 100000, 9999, 100000, PartTwoBox::line18 },  // short of a tenth both years
    { false, 0, 0, 0, 0, PartTwoBox::line18 },                  // no total support
    { false, -1, 3, 5, -3, PartTwoBox::line18 },                // negative figures pass nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line6 << "/" << c.line11 << " prior " << c.priorLine6
                                    << "/" << c.priorLine11);
    EXPECT_EQ(choosePartTwoBox(c.firstFiveYears, c.line6, c.line11, c.priorLine6, c.priorLine11),
              c.box);
  }
}

TEST(WorksheetCascadeTest, PartThreeNeedsSupportOverAThirdAndInvestmentAtMostAThird) {
  struct Case {
    bool firstFiveYears;
    Amount line8, line10c, line13, priorLine8, priorLine10c, priorLine13;
    PartThreeBox box;
  } cases[] = {
    { true, 0, 0, 0, 0, 0, 0, PartThreeBox::line14 },
    { false, 10001, 10000, 30000, 0, 0, 0, PartThreeBox::line19a },  // investment exactly 1/3
    { false, 10001, 10001, 30000, 0, 0, 0, PartThreeBox::line20 },   // investment a cent over
    { false, 10000, 0, 30000, 0, 0, 0, PartThreeBox::line20 },       // support exactly 1/3
    { false, 10000, 0, 30000, 10001, 10000, 30000, PartThreeBox::line19b },
    { false, 10001, 10001, 30000, 10001, 10001, 30000, PartThreeBox::line20 },
    { false, 0, 0, 0, 0, 0, 0, PartThreeBox::line20 },
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line8 << " " << c.line10c << " " << c.line13);
    EXPECT_EQ(choosePartThreeBox(c.firstFiveYears, c.line8, c.line10c, c.line13, c.priorLine8,
                                 c.priorLine10c, c.priorLine13),
              c.box);
  }
}

// The prior year is the same computation over the five years ending a year earlier: its own
// rows and its own two percent limit.
TEST_F(WorksheetTest, PriorYearIsThePeriodEndingOneYearEarlier) {
  const int city = addSource("City", GOVERNMENT);
  for (long year = 2014; year <= 2020; ++year) {
    book(city, year, 100000);
  }
  book(addSource("Big Giver", DONOR), 2015, 1000000);
  computeQuietly();
  const WorksheetFigures figures = computeWorksheetFigures();
  ASSERT_TRUE(figures.priorShown);
  EXPECT_EQ(figures.lastYear, 2020);
  // 2016 to 2020: the city alone. 2015 to 2019: the city and the large gift, of which all but
  // two percent of 15,000.00 is over the limit.
  EXPECT_EQ(partTwoTotalSupport(figures.columnF), 500000);
  EXPECT_EQ(figures.columnF.twoPercentExcess, 0);
  EXPECT_EQ(partTwoTotalSupport(figures.priorColumnF), 1500000);
  EXPECT_EQ(figures.priorColumnF.twoPercentExcess, 1000000 - 30000);
  EXPECT_EQ(partTwoPublicSupport(figures.priorColumnF), 530000);
  const std::array<SheetEntry, 8> entries = partTwoEntries(figures);
  EXPECT_STREQ(entries[1].value.text, "100.00");
  EXPECT_STREQ(entries[2].value.text, "35.33");
  EXPECT_STREQ(entries[2].remark, "");
  EXPECT_EQ(figures.partTwoBox, PartTwoBox::line16a);
  // The report's own period is untouched by the prior year's computation.
  EXPECT_EQ(donorTable[1].fiveYearTotal, 0);
  EXPECT_EQ(formYearTable[0].yearIndex, 120);
}

TEST_F(WorksheetTest, FirstFiveYearsLeavesThePriorYearEmpty) {
  book(addSource("Ann", DONOR), 2018, 10000);
  book(addSource("Ann", DONOR), 2020, 10000);
  computeQuietly();
  const WorksheetFigures figures = computeWorksheetFigures();
  EXPECT_TRUE(figures.firstFiveYears);
  EXPECT_FALSE(figures.priorShown);
  const std::array<SheetEntry, 8> two = partTwoEntries(figures);
  EXPECT_STREQ(two[0].value.text, "X");
  EXPECT_STREQ(two[2].value.text, "");
  EXPECT_STRNE(two[2].remark, "");
  const std::array<SheetEntry, 8> three = partThreeEntries(figures);
  EXPECT_STREQ(three[0].value.text, "X");
  for (std::size_t line : { 2u, 4u }) {  // Part III lines 16 and 18
    EXPECT_STREQ(three[line].value.text, "");
    EXPECT_STRNE(three[line].remark, "");
  }
  EXPECT_STREQ(three[3].value.text, "0.00");
}

std::string written(WorksheetForm form) {
  std::FILE* file = std::tmpfile();
  EXPECT_TRUE(writeWorksheet(file, form));
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    text += static_cast<char>(c);
  }
  std::fclose(file);
  return text;
}

// An officer's large gift in the last year sinks Part III's public share below a third; the five
// years before passed, so the page names the prior-year box.
TEST_F(WorksheetTest, PageNamesThePartThreePriorYearBox) {
  const int ann = addSource("Ann", DONOR);
  for (long year = 2014; year <= 2020; ++year) {
    book(ann, year, 10000);
  }
  book(addSource("Chair", OFFICER), 2020, 1000000);
  computeQuietly();
  EXPECT_EQ(computeWorksheetFigures().partThreeBox, PartThreeBox::line19b);
  EXPECT_NE(written(WorksheetForm::html).find("line 19b \u2014 33 1/3% support tests, prior year"),
            std::string::npos);
}

// Names are written as the bytes of the list: quoted only when a comma or a quotation mark
// needs it in the CSV, escaped in the page.
TEST_F(WorksheetTest, NamesAreQuotedInTheCsvAndEscapedInThePage) {
  book(addSource("Smith, Ann", OFFICER), 2020, 10000);
  book(addSource("The \"Best\" Club", FAMILY), 2020, 20000);
  book(addSource("Jos\xe9 Ruiz", TRUSTEE), 2020, 30000);
  book(addSource("A <b> & 'Co'", DIRECTOR), 2020, 40000);
  computeQuietly();
  const std::string csv = written(WorksheetForm::csv);
  EXPECT_EQ(csv.rfind("part,line,description,a,b,c,d,e,f\nyear,,,2016,2017,2018,2019,2020,\n", 0),
            0u);
  EXPECT_NE(csv.find("\nIII,7a,\"Smith, Ann\",OFFICER,2020,100.00\n"), std::string::npos);
  EXPECT_NE(csv.find("\nIII,7a,\"The \"\"Best\"\" Club\",FAMILY,2020,200.00\n"), std::string::npos);
  EXPECT_NE(csv.find("\nIII,7a,Jos\xe9 Ruiz,TRUSTEE,2020,300.00\n"), std::string::npos);
  EXPECT_NE(csv.find("\nIII,7a,A <b> & 'Co',DIRECTOR,2020,400.00\n"), std::string::npos);
  EXPECT_EQ(csv.find('\r'), std::string::npos);

  const std::string page = written(WorksheetForm::html);
  EXPECT_NE(page.find("<td>The &quot;Best&quot; Club</td>"), std::string::npos);
  EXPECT_NE(page.find("<td>A &lt;b&gt; &amp; &#39;Co&#39;</td>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("http"), page.find("http://www.w3.org/2000/svg"));
}

}  // namespace

#include "report/worksheet.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ledger/schedule_a_figures.hpp"
#include "ledger/source_type.hpp"
#include "report/sheet_text.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

class WorksheetTest : public ReportTest {
 protected:
  // The worksheet of the ledger's figures, as written.
  std::string written(WorksheetForm form) {
    std::FILE* file = std::tmpfile();
    EXPECT_TRUE(writeWorksheet(file, form, figures(), donorTable));
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
      text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
  }
};

// The prior year's percentage is its own period's line 14 (the figures' tests check how it
// is computed).
TEST_F(WorksheetTest, PriorYearPercentageIsShownBesideTheCurrentOne) {
  bookLargeGiftBeforeThePeriod();
  computeQuietly();
  const std::array<SheetEntry, 8> entries = partTwoEntries(figures());
  EXPECT_STREQ(entries[1].value.text, "100.00");
  EXPECT_STREQ(entries[2].value.text, "35.33");
  EXPECT_STREQ(entries[2].remark, "");
  EXPECT_STREQ(entries[3].value.text, "X");  // 16a
}

TEST_F(WorksheetTest, FirstFiveYearsLeavesThePriorYearEmpty) {
  book(addSource("Ann", DONOR), 2018, 10000);
  book(addSource("Ann", DONOR), 2020, 10000);
  computeQuietly();
  const ScheduleAFigures& f = figures();
  EXPECT_TRUE(f.firstFiveYears);
  EXPECT_FALSE(f.priorShown);
  const std::array<SheetEntry, 8> two = partTwoEntries(f);
  EXPECT_STREQ(two[0].value.text, "X");
  EXPECT_STREQ(two[2].value.text, "");
  EXPECT_STRNE(two[2].remark, "");
  const std::array<SheetEntry, 8> three = partThreeEntries(f);
  EXPECT_STREQ(three[0].value.text, "X");
  for (std::size_t line : { 2u, 4u }) {  // Part III lines 16 and 18
    EXPECT_STREQ(three[line].value.text, "");
    EXPECT_STRNE(three[line].remark, "");
  }
  EXPECT_STREQ(three[3].value.text, "0.00");
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
  EXPECT_EQ(figures().partThreeBox, PartThreeBox::line19b);
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

// A group of related names is one row of the line 5 detail, named by its first member; line 7a
// says why a name is there when its keyword does not; the unusual grants are listed by year,
// without their grantors, and only when there are any.
TEST_F(WorksheetTest, DetailsNameGroupsContributorsAndUnusualGrants) {
  const int company = addSource("=Co", DONOR);
  const int ruth = addSource("Ruth", DAFDONOR);
  ASSERT_TRUE(relateDonors(company, ruth, 1));
  book(company, 2020, 100000);
  book(ruth, 2019, 600000);
  book(addSource("Chair", OFFICER), 2020, 100);
  book(addSource("Estate", UNUSUAL), 2018, 40000000);
  computeQuietly();
  const std::string csv = written(WorksheetForm::csv);
  EXPECT_NE(csv.find("\nII,5,'=Co and 1 related,DONOR,7000.00,140.02,6859.98\n"), std::string::npos)
      << csv;
  EXPECT_NE(csv.find("\nIII,7a,'=Co,DONOR (related to a substantial contributor),2020,1000.00\n"
                     "III,7a,Ruth,DAFDONOR (substantial contributor from 2019),2019,6000.00\n"
                     "III,7a,Chair,OFFICER,2020,1.00\n"),
            std::string::npos);
  const std::string partSix = "\nUnusual grants (Part VI),year,amount\n,2018,400000.00\n";
  EXPECT_EQ(csv.substr(csv.size() - partSix.size()), partSix);

  const std::string page = written(WorksheetForm::html);
  EXPECT_NE(page.find("<tr><td>=Co and 1 related</td><td>DONOR</td>"), std::string::npos);
  EXPECT_NE(page.find("<tr><td>Ruth</td><td>DAFDONOR (substantial contributor from 2019)</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<h3>Unusual grants (Part VI)</h3>\n<table class=\"detail\"><thead><tr>"
                      "<th>Year</th><th>Amount</th></tr></thead><tbody>\n"
                      "<tr><td>2018</td><td class=\"num\">400000.00</td></tr>\n"
                      "</tbody></table>\n<p class=\"note\">"),
            std::string::npos);

  resetLedger();
  book(addSource("Ann", DONOR), 2020, 100);
  computeQuietly();
  EXPECT_EQ(written(WorksheetForm::csv).find("Unusual"), std::string::npos);
  EXPECT_EQ(written(WorksheetForm::html).find("Unusual grants (Part VI)"), std::string::npos);
}

}  // namespace

// Names come from the lists: a spreadsheet must show them, never evaluate them.
TEST(SheetTextTest, ListTextCannotBecomeAFormulaOrAControl) {
  struct Case {
    const char* name;
    const char* csv;
    const char* page;
  };
  const Case cases[] = {
    { "Ann Lee", "Ann Lee", "Ann Lee" },
    { "=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")", "=HYPERLINK(\"x\")" },
    { "+1", "'+1", "+1" },
    { "-2", "'-2", "-2" },
    { "@SUM(A1)", "'@SUM(A1)", "@SUM(A1)" },
    { "\tTab", "'\tTab", "\tTab" },
    { "\rCR",
      "\xEF\xBF\xBD"
      "CR",
      "\xEF\xBF\xBD"
      "CR" },
    { "a\x1b[2Jb\x7f", "a\xEF\xBF\xBD[2Jb\xEF\xBF\xBD", "a\xEF\xBF\xBD[2Jb\xEF\xBF\xBD" },
    { "c1\xc2\x85 nbsp\xc2\xa0", "c1\xEF\xBF\xBD nbsp\xc2\xa0", "c1\xEF\xBF\xBD nbsp\xc2\xa0" },
    { "A=B", "A=B", "A=B" },
    { "", "", "" },
    { "\xc2\x41 not C1", "\xc2\x41 not C1", "\xc2\x41 not C1" },
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(csvCellText(c.name).text, c.csv) << c.name;
    EXPECT_STREQ(sheetText(c.name).text, c.page) << c.name;
  }
}

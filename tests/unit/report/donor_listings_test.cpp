#include "report/donor_listings.hpp"

#include <gtest/gtest.h>

#include <string>

#include "ledger/source_type.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

// Ann 300.00 (2020), Chair 100.00 (2018) and 100.00 (2020), County 500.00 (2020), Mom 200.00
// (2019), Quiet a director without money: 1,200.00 in all, 900.00 of it in 2020.
class DonorListingsTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    book(addSource("Ann", DONOR), 2020, 30000);
    const int chair = addSource("Chair", OFFICER);
    book(chair, 2018, 10000);
    book(chair, 2020, 10000);
    book(addSource("County", GOVERNMENT), 2020, 50000);
    book(addSource("Mom", FAMILY), 2019, 20000);
    addSource("Quiet", DIRECTOR);
    computeQuietly();
  }
};

TEST_F(DonorListingsTest, ExcludedGiversNeedLevelTwo) {
  verbosityLevel = 1;
  EXPECT_EQ(capture(printExcludedGivers), "");
  verbosityLevel = 2;
  EXPECT_EQ(capture(printExcludedGivers),
            "! Excluded givers: OFFICERS, DIRECTORS, TRUSTEES and FAMILY\n"
            "!    Donor[1] 'Chair' type OFFICER "
            "gave a total of 16.6% "
            "     $200.00\n"
            "!      2018   100.0% "
            "     $100.00\n"
            "!      2020    11.1% "
            "     $100.00\n"
            "!    Donor[3] 'Mom' type FAMILY "
            "gave a total of 16.6% "
            "     $200.00\n"
            "!      2019   100.0% "
            "     $200.00\n"
            "!  All officers gave: $400.00\n");
}

TEST_F(DonorListingsTest, DonorsAtLevelOneLeaveOutPlainDonors) {
  EXPECT_EQ(capture(printDonors), "");
  verbosityLevel = 1;
  EXPECT_EQ(capture(printDonors),
            "! DONORS\n"
            "!   Donor[1] Chair donated $200.00 which was 16.6% of total donations"
            " type of source OFFICER\n"
            "!   Donor[2] County donated $500.00 which was 41.6% of total donations"
            " type of source GOVERNMENT\n"
            "!   Donor[3] Mom donated $200.00 which was 16.6% of total donations"
            " type of source FAMILY\n"
            "!   Donor[4] Quiet donated $0.00 which was 0.0% of total donations"
            " type of source DIRECTOR\n");
}

TEST_F(DonorListingsTest, DonorsAtLevelTwoShowEverySourceByYear) {
  verbosityLevel = 2;
  EXPECT_EQ(capture(printDonors),
            "! DONORS\n"
            "!   Donor[0] Ann donated $300.00 which was 25.0% of total donations\n"
            "!     2020    33.3%      $300.00\n"
            "!   Donor[1] Chair donated $200.00 which was 16.6% of total donations"
            " type of source OFFICER\n"
            "!     2018   100.0%      $100.00\n"
            "!     2020    11.1%      $100.00\n"
            "!   Donor[2] County donated $500.00 which was 41.6% of total donations"
            " type of source GOVERNMENT\n"
            "!     2020    55.5%      $500.00\n"
            "!   Donor[3] Mom donated $200.00 which was 16.6% of total donations"
            " type of source FAMILY\n"
            "!     2019   100.0%      $200.00\n"
            "!   Donor[4] Quiet donated $0.00 which was 0.0% of total donations"
            " type of source DIRECTOR\n");
}

const char kTypeLines[] =
    "! Support by Funding Source\n"
    "!    25.0% $300.00 from source DONOR\n"
    "!    41.6% $500.00 from source GOVERNMENT\n"
    "!    16.6% $200.00 from source OFFICER\n"
    "!    16.6% $200.00 from source FAMILY\n"
    "!\n";
const char kOfficerTotals[] =
    "! A total of 2 directors, officers or trustees\n"
    "!    who donated $200.00 over all years\n"
    "!    16.6% of all donations\n"
    "!\n";

TEST_F(DonorListingsTest, SupportBySourceGrowsWithVerbosity) {
  EXPECT_EQ(capture(printSupportBySource), std::string(kTypeLines) + kOfficerTotals);

  verbosityLevel = 1;
  const std::string officers =
      "! Directors, Officers or Trustees\n"
      "!    Chair is a OFFICER and gave or provided 16.6% $200.00 over all years\n"
      "!    Quiet is a DIRECTOR and gave or provided 0.0% $0.00 over all years\n";
  EXPECT_EQ(capture(printSupportBySource), kTypeLines + officers + kOfficerTotals);

  verbosityLevel = 3;
  EXPECT_EQ(capture(printSupportBySource),
            kTypeLines + officers + kOfficerTotals +
                "! Donor[0] Ann contributed $300.00 over the 5 year period\n"
                "! Donor[1] Chair contributed $200.00 over the 5 year period\n"
                "! Donor[2] County contributed $500.00 over the 5 year period\n"
                "! Donor[3] Mom contributed $200.00 over the 5 year period\n");
}

TEST(DonorListingsEmptyTest, EmptyTablePrintsOnlyFixedLines) {
  resetMessageChannel();
  resetDonorTable();
  resetTotals();
  verbosityLevel = 2;
  testing::internal::CaptureStdout();
  printExcludedGivers();
  printDonors();
  printSupportBySource();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "! Excluded givers: OFFICERS, DIRECTORS, TRUSTEES and FAMILY\n"
            "!  All officers gave: $0.00\n"
            "! DONORS\n"
            "! Support by Funding Source\n"
            "!\n"
            "! Directors, Officers or Trustees\n"
            "! A total of 0 directors, officers or trustees\n"
            "!    who donated $0.00 over all years\n"
            "!    -- of all donations\n"
            "!\n");
}

}  // namespace

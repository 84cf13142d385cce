#include "report/donor_listings.hpp"

#include <gtest/gtest.h>

#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "report/report_options.hpp"
#include "unit/report/report_fixture.hpp"

namespace {

using DonorListingsTest = ReportTest;

// The listings over whole lists are compared in the end-to-end cases; an empty ledger must
// still print every fixed line, with "--" for shares of nothing.
TEST_F(DonorListingsTest, EmptyTablePrintsOnlyFixedLines) {
  computeQuietly();
  const ReportOptions options{ 3 };
  EXPECT_EQ(capture([&options] {
              printExcludedGivers(donorTable, ledgerTotals, options);
              printDonors(donorTable, ledgerTotals, options);
              printSupportBySource(donorTable, ledgerTotals, options);
            }),
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

// An officer whose amounts cancel out has no block among the excluded givers but still counts
// in the officer group; a FAMILY giver is excluded but not an officer. A year whose amounts
// cancel out is no year of giving: it has no line, in either listing.
TEST_F(DonorListingsTest, ZeroTotalOfficerAndFamilyGiver) {
  const int chair = addSource("Chair", OFFICER);
  book(chair, 2019, 5000);
  book(chair, 2020, -5000);
  const int mom = addSource("Mom", FAMILY);
  book(mom, 2018, 3000);
  book(mom, 2018, -3000);
  book(mom, 2020, 20000);
  computeQuietly();
  const ReportOptions options{ 2 };
  EXPECT_EQ(capture([&options] { printExcludedGivers(donorTable, ledgerTotals, options); }),
            "! Excluded givers: OFFICERS, DIRECTORS, TRUSTEES and FAMILY\n"
            "!    Donor[1] 'Mom' type FAMILY gave a total of 100.0%      $200.00\n"
            "!      2020   133.3%      $200.00\n"
            "!  All officers gave: $200.00\n");
  const std::string bySource =
      capture([&options] { printSupportBySource(donorTable, ledgerTotals, options); });
  EXPECT_NE(bySource.find("!    Chair is a OFFICER and gave or provided 0.0% $0.00 over all years\n"
                          "! A total of 1 directors, officers or trustees\n"),
            std::string::npos)
      << bySource;
  const std::string donors =
      capture([&options] { printDonors(donorTable, ledgerTotals, options); });
  EXPECT_EQ(donors.find("2018"), std::string::npos) << donors;
  EXPECT_NE(donors.find("!     2020   133.3%      $200.00\n"), std::string::npos) << donors;
}

}  // namespace

#include "report/donor_listings.hpp"

#include <cstddef>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "ledger/year_amounts.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"
#include "report/report_options.hpp"

namespace {

// One line per year the donor gave in, with its share of the year's total; a year whose amounts
// cancel out is no year of giving. indent: the blanks after the "!".
void printYearsOf(const DonorRecord& donor, const LedgerTotals& totals, int indent) {
  for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
    const Amount amount = donor.yearAmounts.amountAt(k);
    if (amount == 0) {
      continue;
    }
    const auto y = static_cast<std::size_t>(donor.yearAmounts.yearAt(k));
    reportText("!%*s%ld %s %s\n", indent, "", static_cast<long>(y) + kBaseYear,
               formatPercent(amount, totals.yearTotals[y], 8).text, formatMoney(amount, 12).text);
  }
}

}  // namespace

void printExcludedGivers(const DonorTable& donors, const LedgerTotals& totals,
                         const ReportOptions& options) {
  if (options.verbosity < 2) {
    return;
  }
  writeReport("! Excluded givers: OFFICERS, DIRECTORS, TRUSTEES and FAMILY\n");
  Amount sum = 0;
  const std::size_t used = usedEntriesOf(donors);
  for (std::size_t i = 0; i < used; ++i) {
    const DonorRecord& donor = donors[i];
    if (!isExcludedGiver(sourceTypeOf(donor)) || donor.totalAmount == 0) {
      continue;
    }
    reportText("!    Donor[%zu] '%s' type %s gave a total of %s %s\n", i, donor.name.data(),
               sourceTypeName(sourceTypeOf(donor)),
               formatPercent(donor.totalAmount, totals.grandTotal, 0).text,
               formatMoney(donor.totalAmount, 12).text);
    printYearsOf(donor, totals, 6);
    sum += donor.totalAmount;
  }
  reportText("!  All officers gave: %s\n", formatMoney(sum, 0).text);
}

void printDonors(const DonorTable& donors, const LedgerTotals& totals,
                 const ReportOptions& options) {
  if (options.verbosity <= 0) {
    return;
  }
  writeReport("! DONORS\n");
  const std::size_t used = usedEntriesOf(donors);
  for (std::size_t i = 0; i < used; ++i) {
    const DonorRecord& donor = donors[i];
    if (options.verbosity >= 2 || sourceTypeOf(donor) != DONOR) {
      const FieldText total = formatMoney(donor.totalAmount, 0);
      const FieldText share = formatPercent(donor.totalAmount, totals.grandTotal, 0);
      if (sourceTypeOf(donor) == DONOR) {
        reportText("!   Donor[%zu] %s donated %s which was %s of total donations\n", i,
                   donor.name.data(), total.text, share.text);
      } else {
        reportText(
            "!   Donor[%zu] %s donated %s which was %s of total donations type of source %s\n", i,
            donor.name.data(), total.text, share.text, sourceTypeName(sourceTypeOf(donor)));
      }
    }
    if (options.verbosity >= 2) {
      printYearsOf(donor, totals, 5);
    }
  }
}

void printSupportBySource(const DonorTable& donors, const LedgerTotals& totals,
                          const ReportOptions& options) {
  writeReport("! Support by Funding Source\n");
  for (std::size_t type = 0; type < totals.typeTotals.size(); ++type) {
    const Amount total = totals.typeTotals[type];
    if (total == 0) {
      continue;
    }
    reportText("!    %s %s from source %s\n", formatPercent(total, totals.grandTotal, 0).text,
               formatMoney(total, 0).text, sourceTypeName(static_cast<SourceType>(type)));
  }
  writeReport("!\n");

  const std::size_t used = usedEntriesOf(donors);
  if (options.verbosity > 0) {
    writeReport("! Directors, Officers or Trustees\n");
    for (std::size_t i = 0; i < used; ++i) {
      const DonorRecord& donor = donors[i];
      if (!isOfficerGroup(sourceTypeOf(donor))) {
        continue;
      }
      reportText("!    %s is a %s and gave or provided %s %s over all years\n", donor.name.data(),
                 sourceTypeName(sourceTypeOf(donor)),
                 formatPercent(donor.totalAmount, totals.grandTotal, 0).text,
                 formatMoney(donor.totalAmount, 0).text);
    }
  }

  reportText("! A total of %ld directors, officers or trustees\n", totals.officerCount);
  reportText("!    who donated %s over all years\n", formatMoney(totals.officerTotal, 0).text);
  reportText("!    %s of all donations\n",
             formatPercent(totals.officerTotal, totals.grandTotal, 0).text);
  writeReport("!\n");

  if (options.verbosity >= 3) {
    for (std::size_t i = 0; i < used; ++i) {
      const DonorRecord& donor = donors[i];
      if (donor.fiveYearTotal == 0) {
        continue;
      }
      reportText("! Donor[%zu] %s contributed %s over the 5 year period\n", i, donor.name.data(),
                 formatMoney(donor.fiveYearTotal, 0).text);
    }
  }
}

#include "report/donor_listings.hpp"

#include <cstddef>

#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"

namespace {

bool isUsedEntry(std::size_t index) { return isDonorEntryInUse(index); }

long calendarYear(std::size_t yearIndex) { return static_cast<long>(yearIndex) + kBaseYear; }

}  // namespace

void printExcludedGivers() {
  checkDonorTable("excludedGivers");
  if (verbosityLevel < 2) {
    return;
  }
  writeReport("! Excluded givers: OFFICERS, DIRECTORS, TRUSTEES and FAMILY\n");
  Amount sum = 0;
  for (std::size_t i = 0; isUsedEntry(i); ++i) {
    const DonorRecord& donor = donorTable[i];
    if (!isExcludedGiver(donor.sourceType) || donor.totalAmount == 0) {
      continue;
    }
    writeReport(composeLine("!    Donor[%zu] '%s' type %s ", i, donor.name.data(),
                            sourceTypeName(donor.sourceType)));
    writeReport(
        composeLine("gave a total of %s ", formatPercent(donor.totalAmount, grandTotal, 0).text));
    writeReport(composeLine("%s\n", formatMoney(donor.totalAmount, 12).text));
    for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
      const Amount amount = donor.yearAmounts.amountAt(k);
      if (amount == 0) {
        continue;
      }
      const auto y = static_cast<std::size_t>(donor.yearAmounts.yearAt(k));
      writeReport(composeLine("!      %ld %s ", calendarYear(y),
                              formatPercent(amount, yearTotals[y], 8).text));
      writeReport(composeLine("%s\n", formatMoney(amount, 12).text));
    }
    sum += donor.totalAmount;
  }
  writeReport(composeLine("!  All officers gave: %s\n", formatMoney(sum, 0).text));
}

void printDonors() {
  if (verbosityLevel <= 0) {
    return;
  }
  writeReport("! DONORS\n");
  for (std::size_t i = 0; isUsedEntry(i); ++i) {
    const DonorRecord& donor = donorTable[i];
    if (verbosityLevel >= 2 || donor.sourceType != DONOR) {
      writeReport(composeLine("!   Donor[%zu] %s donated %s which was ", i, donor.name.data(),
                              formatMoney(donor.totalAmount, 0).text));
      writeReport(composeLine("%s of total donations",
                              formatPercent(donor.totalAmount, grandTotal, 0).text));
      if (donor.sourceType != DONOR) {
        writeReport(composeLine(" type of source %s", sourceTypeName(donor.sourceType)));
      }
      writeReport("\n");
    }
    if (verbosityLevel >= 2) {
      for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
        const Amount amount = donor.yearAmounts.amountAt(k);
        if (amount == 0) {
          continue;
        }
        const auto y = static_cast<std::size_t>(donor.yearAmounts.yearAt(k));
        writeReport(composeLine("!     %ld ", calendarYear(y)));
        writeReport(composeLine("%s ", formatPercent(amount, yearTotals[y], 8).text));
        writeReport(composeLine("%s\n", formatMoney(amount, 12).text));
      }
    }
  }
}

void printSupportBySource() {
  writeReport("! Support by Funding Source\n");
  for (std::size_t type = 0; type < typeTotals.size(); ++type) {
    const Amount total = typeTotals[type];
    if (total == 0) {
      continue;
    }
    writeReport(composeLine("!    %s ", formatPercent(total, grandTotal, 0).text));
    writeReport(composeLine("%s from source %s\n", formatMoney(total, 0).text,
                            sourceTypeName(static_cast<int>(type))));
  }
  writeReport("!\n");

  if (verbosityLevel > 0) {
    writeReport("! Directors, Officers or Trustees\n");
    for (std::size_t i = 0; isUsedEntry(i); ++i) {
      const DonorRecord& donor = donorTable[i];
      if (!isOfficerGroup(donor.sourceType)) {
        continue;
      }
      writeReport(composeLine("!    %s is a %s and gave or provided ", donor.name.data(),
                              sourceTypeName(donor.sourceType)));
      writeReport(composeLine("%s ", formatPercent(donor.totalAmount, grandTotal, 0).text));
      writeReport(composeLine("%s over all years\n", formatMoney(donor.totalAmount, 0).text));
    }
  }

  writeReport(composeLine("! A total of %ld directors, officers or trustees\n", officerCount));
  writeReport(
      composeLine("!    who donated %s over all years\n", formatMoney(officerTotal, 0).text));
  writeReport(
      composeLine("!    %s of all donations\n", formatPercent(officerTotal, grandTotal, 0).text));
  writeReport("!\n");

  if (verbosityLevel >= 3) {
    for (std::size_t i = 0; isUsedEntry(i); ++i) {
      const DonorRecord& donor = donorTable[i];
      if (donor.fiveYearTotal == 0) {
        continue;
      }
      writeReport(composeLine("! Donor[%zu] %s contributed %s over the 5 year period\n", i,
                              donor.name.data(), formatMoney(donor.fiveYearTotal, 0).text));
    }
  }
}

#include "run/run_sequence.hpp"

#include <cstdio>

#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "report/donations_by_year.hpp"
#include "report/donor_listings.hpp"
#include "report/schedule_a.hpp"
#include "run/worksheet_file.hpp"

namespace {

void writeSeparator() {
  composeLine("!\n");
  writeReport(messageLine.data());
}

void printTallyLine() {
  emitText(messageLine.data());
  endLine();
}

}  // namespace

void runAnalysis() {
  std::fputs("! Parameters read. Analyzing data.\n", stdout);
  std::fflush(stdout);
  checkDonorTable("Pre-analyze");
  writeSeparator();
  checkDonorTable("start compute totals");
  computeTotals();
  checkDonorTable("totals computed");
  writeSeparator();
  printDonationsByYear();
  checkDonorTable("years printed");
  writeSeparator();
  printExcludedGivers();
  writeSeparator();
  printScheduleA();
  writeSeparator();
  printDonors();
  writeSeparator();
  printContributionSummary();
  writeSeparator();
  printSupportBySource();
  writeSeparator();
  writeSeparator();
  writeWorksheetFile();
  printClosingTallies();
}

void printClosingTallies() {
  if (infoCount > 0) {
    // This line is itself informational and counts itself.
    beginInfo(0);
    composeLine("%d Informational message%s reading and reporting on donation list(s).", infoCount,
                infoCount != 1 ? "s" : "");
    printTallyLine();
  }
  const int warnings = warningCount;
  beginInfo(0);
  if (warnings > 0) {
    composeLine("%d Warning%s reading and reporting on donation list(s).", warnings,
                warnings != 1 ? "s" : "");
  } else {
    composeLine("No Warnings.");
  }
  printTallyLine();
  const int errors = errorCount;
  beginInfo(0);
  if (errors > 0) {
    composeLine("%d Error%s reading and reporting on donation list(s).", errors,
                errors != 1 ? "s" : "");
  } else {
    composeLine("No errors.");
  }
  printTallyLine();
}

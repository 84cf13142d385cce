#include "run/run_sequence.hpp"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "output/money_format.hpp"
#include "report/donations_by_year.hpp"
#include "report/donor_listings.hpp"
#include "report/report_options.hpp"
#include "report/schedule_a.hpp"
#include "run/banner.hpp"
#include "run/command_line.hpp"
#include "run/report_file.hpp"
#include "run/worksheet_file.hpp"

namespace {

void writeSeparator() { reportText("!\n"); }

// Said with the totals: the figures hand the losses they entered as 0 to the run.
void reportNetLosses(const ScheduleAFigures& figures) {
  for (std::size_t i = 0; i < figures.netLossCount; ++i) {
    const NetLoss& loss = figures.netLosses[i];
    message(MessageKind::info, 0,
            "Net income of %ld on Part %s line %s is a loss of %s; Schedule A enters 0", loss.year,
            loss.part, loss.line, formatMoney(loss.sum, 0).text);
  }
}

// Output that never reached the console is a failed run, whatever the tallies say.
bool consoleFailed() {
  return std::fflush(consoleStream()) != 0 || std::ferror(consoleStream()) != 0;
}

}  // namespace

// Everything a run changes starts from its initial value, so that the program can also be run
// more than once inside one process. The donor table keeps the blocks of records it took: a run
// of a few names would otherwise take and zero 512 KiB again.
void resetProgramState() {
  resetMessageChannel();
  clearDonorTable();
  resetTotals();
  resetWorksheetFile();
  resetReportFiles();
  std::clearerr(consoleStream());
}

int runProgram(int argc, const char* const* argv) {
  resetProgramState();
  return runProgramOnState(argc, argv);
}

int runProgramOnState(int argc, const char* const* argv) {
  // The two options every console program is tried with first; alone, they answer and stop.
  if (argc == 2 && argv != nullptr && argv[1] != nullptr) {
    if (std::strcmp(argv[1], "--help") == 0) {
      printUsage();
      return consoleFailed() ? 1 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
      printVersion();
      return consoleFailed() ? 1 : 0;
    }
  }
  writeConsole("\n");
  printBanner();
  std::fflush(consoleStream());
  if (argc <= 1 || argv == nullptr) {
    printUsage();
    std::fflush(consoleStream());
    return 1;
  }
  writeConsole("! Processing command line arguments\n");
  handleArguments(argc, argv);
  runAnalysis();
  closeReportFile();
  int status = errorCount > 0 ? 1 : 0;
  // Output that never reached the console is a failed run, whatever the tallies say.
  if (consoleFailed()) {
    status = 1;
  }
  return status;
}

void runAnalysis() {
  writeConsole("! Parameters read. Analyzing data.\n");
  std::fflush(consoleStream());
  checkDonorTable("Pre-analyze");
  writeSeparator();
  checkDonorTable("start compute totals");
  computeTotals();
  ScheduleAFigures figures = scheduleAFigures(ledgerTotals, donorTable);
  reportNetLosses(figures);
  if (figures.listsCut) {
    message(MessageKind::error, 0,
            "No memory left for the Schedule A detail lists; they are cut short");
  }
  if (figures.groupsLost) {
    message(MessageKind::error, 0,
            "No memory left for the groups of related names; each name is counted alone");
  }
  const ReportOptions options{ verbosityLevel };
  checkDonorTable("totals computed");
  writeSeparator();
  printDonationsByYear(ledgerTotals);
  checkDonorTable("years printed");
  writeSeparator();
  checkDonorTable("excludedGivers");
  printExcludedGivers(donorTable, ledgerTotals, options);
  writeSeparator();
  printScheduleA(figures, donorTable, options);
  writeSeparator();
  printDonors(donorTable, ledgerTotals, options);
  writeSeparator();
  printContributionSummary(ledgerTotals);
  writeSeparator();
  printSupportBySource(donorTable, ledgerTotals, options);
  writeSeparator();
  writeSeparator();
  writeWorksheetFile(figures, donorTable);
  releaseScheduleAFigures(figures);
  printClosingTallies();
}

void printClosingTallies() {
  if (infoCount > 0) {
    // This line is itself informational and counts itself, so there are always at least two.
    const int infos = infoCount < INT_MAX ? infoCount + 1 : INT_MAX;
    message(MessageKind::info, 0,
            "%d Informational messages reading and reporting on donation list(s).", infos);
  }
  const int warnings = warningCount;
  if (warnings > 0) {
    message(MessageKind::info, 0, "%d Warning%s reading and reporting on donation list(s).",
            warnings, warnings != 1 ? "s" : "");
  } else {
    message(MessageKind::info, 0, "No Warnings.");
  }
  const int errors = errorCount;
  if (errors > 0) {
    message(MessageKind::info, 0, "%d Error%s reading and reporting on donation list(s).", errors,
            errors != 1 ? "s" : "");
  } else {
    message(MessageKind::info, 0, "No errors.");
  }
}

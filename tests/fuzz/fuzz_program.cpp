// Fuzz target: arbitrary bytes as a donation list, run through the whole program in process:
// reading, the ledger, the totals and every report section at verbosity 4, with a report file.
// After each run the ledger's and the totals' invariants are checked, then all state is reset.
// Inputs of odd length are read into a table of 1,000 that already holds 600 names, so that the
// fuzzed lines also meet a table larger than the default, where a new name is looked up through
// the index alone; most of these are reported at verbosity 1 (see LLVMFuzzerTestOneInput).

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/amount.hpp"
#include "run/run_sequence.hpp"

namespace {

std::string workFolder;
std::string listArgument;
std::string reportArgument;
// The worksheet in both forms, one run each, so that its walks see every kind of list.
std::string csvArgument;
std::string pageArgument;

void removeWorkFiles() {
  std::remove((workFolder + "/list.txt").c_str());
  std::remove((workFolder + "/report.txt").c_str());
  std::remove((workFolder + "/sheet.csv").c_str());
  std::remove((workFolder + "/sheet.html").c_str());
  rmdir(workFolder.c_str());
}

void writeList(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen((workFolder + "/list.txt").c_str(), "wb");
  if (file == nullptr) {
    invariantFailed("cannot write the list file");
  }
  if (size > 0 && std::fwrite(data, 1, size, file) != size) {
    invariantFailed("cannot write the list file");
  }
  std::fclose(file);
}

// The names that fill the default table and more, one gift each, as a list of them would
// leave the ledger.
constexpr int kLargeTableNames = 600;
static_assert(kLargeTableNames > static_cast<int>(kDonorTableSize), "past the default table");
std::array<std::array<char, 16>, kLargeTableNames> largeTableNames;

// Put in without a lookup, as reading them would look each up first and compare it with every
// name before it up to the default size: most of the time of an input. The index then takes
// them all in, as it would have taken each one as it was made.
void fillLargeTable() {
  for (int i = 0; i < kLargeTableNames; ++i) {
    const int entry = appendDonorEntry(largeTableNames[static_cast<std::size_t>(i)].data());
    if (entry != i || !addYearAmount(entry, 2020 - kBaseYear, (1 + i % 50) * 100)) {
      invariantFailed("the large table could not be prepared");
    }
  }
  if (!syncDonorIndex(donorTable)) {
    invariantFailed("the large table could not be indexed");
  }
}

void checkLedgerAndTotals() {
  if (donorTable.count > donorTableSize() || donorTable.count > donorTable.capacity) {
    invariantFailed("the donor count is past the table");
  }
  Amount sumOfYears = 0;
  for (Amount total : ledgerTotals.yearTotals) {
    sumOfYears += total;
  }
  if (sumOfYears != ledgerTotals.grandTotal) {
    invariantFailed("grandTotal is not the sum of the year totals");
  }
  Amount sumOfTypes = 0;
  for (Amount total : ledgerTotals.typeTotals) {
    sumOfTypes += total;
  }
  // Every accepted date has a year inside the table, so no amount is outside the years.
  if (sumOfTypes != ledgerTotals.grandTotal) {
    invariantFailed("the type totals do not add up to grandTotal");
  }
  for (std::size_t i = 0; i < donorTable.count; ++i) {
    const DonorRecord& donor = donorTable[i];
    if (donor.name[0] == '\0') {
      invariantFailed("the used part of the table and the names disagree");
    }
    Amount sum = 0;
    int lastYear = -1;
    for (std::size_t k = 0; k < donor.yearAmounts.count; ++k) {
      if (donor.yearAmounts.yearAt(k) <= lastYear) {
        invariantFailed("a donor's years are out of order or repeated");
      }
      lastYear = donor.yearAmounts.yearAt(k);
      sum += donor.yearAmounts.amountAt(k);
    }
    if (sum != donor.totalAmount) {
      invariantFailed("a donor's total is not the sum of its years");
    }
    if (donor.sourceType < 0 || donor.sourceType >= kSourceTypeCount) {
      invariantFailed("a donor has an unknown source type");
    }
  }
  // Past the used part the table keeps every record zero, a block's rest at a time.
  static const DonorRecord zeros[kDonorBlockRecords] = {};
  for (std::size_t i = donorTable.count; i < donorTable.capacity;
       i += kDonorBlockRecords - i % kDonorBlockRecords) {
    const std::size_t rest = kDonorBlockRecords - i % kDonorBlockRecords;
    if (std::memcmp(&donorTable[i], zeros, rest * sizeof(DonorRecord)) != 0) {
      invariantFailed("an entry past the used part of the table is not empty");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  prepareFuzzProcess();
  // In memory where the system has it: every input truncates and writes the list, the report
  // and a worksheet, which on a disk's file system costs more than the run.
  struct stat status {};
  const char* temporary = std::getenv("TMPDIR");
  if (temporary == nullptr) {
    temporary = stat("/dev/shm", &status) == 0 && S_ISDIR(status.st_mode) ? "/dev/shm" : "/tmp";
  }
  std::string pattern = std::string(temporary) + "/quorva-fuzz.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    invariantFailed("cannot make a work folder");
  }
  workFolder = pattern;
  // A bare name starting with '/' would be taken for an option.
  listArgument = "-i=" + workFolder + "/list.txt";
  reportArgument = "-o=" + workFolder + "/report.txt";
  csvArgument = "-w=" + workFolder + "/sheet.csv";
  pageArgument = "-w=" + workFolder + "/sheet.html";
  for (std::size_t i = 0; i < largeTableNames.size(); ++i) {
    std::snprintf(largeTableNames[i].data(), largeTableNames[i].size(), "Giver %zu", i);
  }
  std::atexit(removeWorkFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  writeList(data, size);
  // Even and odd inputs take turns: the worksheet in one of its forms, or a table of 1,000
  // names already holding 600. That list is read at verbosity 4 too, but from 2 up the report
  // sections list all 600 names, which costs more than the rest of the run: one large input in
  // four is reported at 4, the others at 1.
  const std::array<const char*, 5> arguments = {
    "quorva", "-d=4", reportArgument.c_str(), listArgument.c_str(),
    (size % 4 == 0 ? csvArgument : pageArgument).c_str()
  };
  const std::array<const char*, 6> largeArguments = { "quorva",
                                                      "-n=1000",
                                                      "-d=4",
                                                      reportArgument.c_str(),
                                                      listArgument.c_str(),
                                                      size % 8 == 1 ? "-d=4" : "-d=1" };
  int status = 0;
  if (size % 2 == 0) {
    status = runProgram(static_cast<int>(arguments.size()), arguments.data());
  } else {
    resetProgramState();
    fillLargeTable();
    status = runProgramOnState(static_cast<int>(largeArguments.size()), largeArguments.data());
  }
  if (status != 0 && status != 1) {
    invariantFailed("the exit status is neither 0 nor 1");
  }
  checkLedgerAndTotals();
  resetProgramState();
  return 0;
}

// Fuzz target: arbitrary bytes as a donation list, run through the whole program in process:
// reading, the ledger, the totals and every report section at verbosity 4, with a report file.
// After each run the ledger's and the totals' invariants are checked, then all state is reset.
// Inputs of odd length are read after a list of 600 names into a table of 1,000, so that the
// fuzzed lines also meet a table larger than the default.

#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.hpp"
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
std::string largeListArgument;

void removeWorkFiles() {
  std::remove((workFolder + "/list.txt").c_str());
  std::remove((workFolder + "/report.txt").c_str());
  std::remove((workFolder + "/sheet.csv").c_str());
  std::remove((workFolder + "/sheet.html").c_str());
  std::remove((workFolder + "/large.txt").c_str());
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

// The names that fill the default table and more, one gift each.
void writeLargeList() {
  std::FILE* file = std::fopen((workFolder + "/large.txt").c_str(), "wb");
  if (file == nullptr) {
    invariantFailed("cannot write the large list");
  }
  for (int i = 0; i < 600; ++i) {
    std::fprintf(file, "Giver %d\t1/15/2020\t%d.00\n", i, 1 + i % 50);
  }
  std::fclose(file);
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
  for (std::size_t i = 0; i < donorTable.capacity; ++i) {
    const DonorRecord& donor = donorTable[i];
    const bool used = i < donorTable.count;
    if (used != (donor.name[0] != '\0')) {
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
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  prepareFuzzProcess();
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern =
      std::string(temporary != nullptr ? temporary : "/tmp") + "/quorva-fuzz.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    invariantFailed("cannot make a work folder");
  }
  workFolder = pattern;
  // A bare name starting with '/' would be taken for an option.
  listArgument = "-i=" + workFolder + "/list.txt";
  reportArgument = "-o=" + workFolder + "/report.txt";
  csvArgument = "-w=" + workFolder + "/sheet.csv";
  pageArgument = "-w=" + workFolder + "/sheet.html";
  largeListArgument = "-i=" + workFolder + "/large.txt";
  writeLargeList();
  std::atexit(removeWorkFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  writeList(data, size);
  // Even and odd inputs take turns: the worksheet in one of its forms, or a table of 1,000
  // names already holding 600.
  const std::array<const char*, 5> arguments = {
    "quorva", "-d=4", reportArgument.c_str(), listArgument.c_str(),
    (size % 4 == 0 ? csvArgument : pageArgument).c_str()
  };
  const std::array<const char*, 6> largeArguments = { "quorva",
                                                      "-n=1000",
                                                      largeListArgument.c_str(),
                                                      "-d=4",
                                                      reportArgument.c_str(),
                                                      listArgument.c_str() };
  const int status =
      size % 2 == 0 ? runProgram(static_cast<int>(arguments.size()), arguments.data())
                    : runProgram(static_cast<int>(largeArguments.size()), largeArguments.data());
  if (status != 0 && status != 1) {
    invariantFailed("the exit status is neither 0 nor 1");
  }
  checkLedgerAndTotals();
  resetProgramState();
  return 0;
}

#include "run/command_line.hpp"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"
#include "run/report_file.hpp"
#include "run/run_sequence.hpp"

int editNumber = 7;

namespace {

constexpr int kMajorVersion = 2;
constexpr int kMinorVersion = 5;
constexpr int kStartEditNumber = 7;
constexpr long kMaxVerbosity = 4;
constexpr long kFirstAcceptedYear = 2000;

constexpr const char* kBannerNotice = "Public support calculator for Form 990 Schedule A";

constexpr const char* kUsageText =
    "Public support calculation for a 501(c)(3) charity is complex. \n"
    "This program analyzes a list of donations to make those calculations and\n"
    "to report the appropriate totals for each field on Form 990 Schedule A.\n"
    "\n"
    "The file of donations can be created in EXCEL with three columns. The file\n"
    "is the exported tab seperated. The first column is the donor name. The second is \n"
    "the date of the donation and the third is the amount. Any tab seperated file will do.\n"
    "If the first lines are not three tab seperated columns they are ignored, the same\n"
    "if these lines are not the right format. Lines starting with ! are ignored. Blank\n"
    "lines are ignored. Once a donation is recognized non-blank lines with incorrect format\n"
    "are considered errors.\n"
    "\n"
    "Usage is: QUORVA [-d#] [-d-] [-h] [-f#] [-i<filename>] [-o<filename>] [-r#] [-v[#]] [-v-]\n"
    "\n"
    "-d[#]\t\t\thigher numbers create more verbose reports (default 1)\n"
    "-d-\t\t\tlowest level of reporting\n"
    "-i<filename>\t\tFile of donations to read, may be repeated\n"
    "-o<filename>\t\tFile for answers (default is stdout)\n"
    "-r#\t\t\t# use this year as most recent year for 990-v[#]\t\t\t(same as -d) higher numbers create more verbose reports (default 1)\n"
    "-v-\t\t\tlowest level of reporting\n"
    "\n"
    "This program is provided as is, without warranty of any kind. Check its figures\n"
    "against your own records before you file; it does not replace a tax adviser.\n";

// Highest level first; index i is shown when verbosityLevel reaches 4 - i.
constexpr const char* kVerbosityLines[] = {
  "    Messages helpful for debugging the code",
  "    Messages helpful for testing if the code works correctly",
  "    Messages useful for checking the inputs",
  "    Messages useful for explaining the results",
  "    Information needed for Form 990",
};

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The run of digits that starts text, saturating at INT_MAX so that a long run is a large
// value rather than a wrapped one.
long readDigitRun(const char* text) {
  long value = 0;
  for (; isDigit(*text); ++text) {
    const long digit = *text - '0';
    value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
  }
  return value;
}

void reportArgumentIssue() {
  emitText(messageLine.data());
  endLine();
}

void reportMissingEqualSign(const char* argument) {
  beginArgumentIssue();
  composeLine("? Missing equal sign in argument %s\n", argument);
  reportArgumentIssue();
}

void closeReportFileAtExit() { closeReportFile(); }

// The arguments of the run under way, so that a report file can be checked against every list
// that the command line names, before or after it.
int runArgumentCount = 0;
const char* const* runArguments = nullptr;

// The list an argument names (a bare name, or the name after -i=), or nullptr.
const char* listNameOf(const char* argument) {
  if (argument[0] != '-' && argument[0] != '/') {
    return argument;
  }
  return (argument[1] == 'i' && argument[2] == '=') ? argument + 3 : nullptr;
}

// Opening a report file empties it: a donation list named as the report file by mistake would be
// erased, before it is read or after.
bool isListOfThisRun(const char* name) {
  struct stat report {};
  if (stat(name, &report) != 0) {
    return false;  // a file that does not exist yet is no list
  }
  for (int i = 1; i < runArgumentCount; ++i) {
    const char* list = runArguments[i] != nullptr ? listNameOf(runArguments[i]) : nullptr;
    struct stat other {};
    if (list != nullptr && stat(list, &other) == 0 && other.st_dev == report.st_dev &&
        other.st_ino == report.st_ino) {
      return true;
    }
  }
  return false;
}

void readListFile(const char* name) {
  std::FILE* file = std::fopen(name, "r");
  // A folder opens for reading on Linux but cannot be read; it would pass for an empty list.
  struct stat status {};
  if (file != nullptr && (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode))) {
    std::fclose(file);
    file = nullptr;
  }
  if (file == nullptr) {
    beginArgumentIssue();
    composeLine("Open donation list file failed for: %s", name);
    reportArgumentIssue();
    return;
  }
  beginInfo(0);
  composeLine("Reading a list of funding sources or source to keyword bindings");
  emitText(messageLine.data());
  endLine();
  composeLine("  From %s", name);
  emitKindText(messageLine.data());
  endLine();
  setInputFileName(name);
  readDonationList(file);
  setInputFileName(nullptr);
  std::fclose(file);
}

void handleVerbosityOption(const char* argument) {
  const char letter = argument[1];
  const char* tail = argument + 2;
  if (tail[0] == '\0') {
    setVerbosity(1);
    showVerbosity();
  } else if (tail[0] == '-') {
    setVerbosity(0);
    showVerbosity();
  } else if (tail[0] == '=') {
    const char* value = tail + 1;
    // A text that is no number leaves the level as it is and only shows it.
    if (!isDigit(value[0]) || setVerbosity(readDigitRun(value))) {
      showVerbosity();
    } else {
      beginArgumentIssue();
      composeLine("illegal value after -%c: %s", letter, value);
      reportArgumentIssue();
    }
  } else {
    reportMissingEqualSign(argument);
  }
}

void handleYearOption(const char* text) {
  const long year = parseYearArgument(text);
  if (year == -1) {
    beginArgumentIssue();
    composeLine(
        "? Unrecognized value after -r number between 0 and 99 or greater than 1950 required: %s",
        text);
    reportArgumentIssue();
  } else if (year >= kFirstAcceptedYear) {
    setLatestFormYear(year);
    beginInfo(0);
    composeLine("Setting latest year 5 year 990 period to %ld", year);
    emitText(messageLine.data());
    endLine();
  } else {
    beginArgumentIssue();
    composeLine("? The program can not handle data from years before %ld", kFirstAcceptedYear);
    reportArgumentIssue();
  }
}

// -n=NUMBER: digits only, nothing after them, so that a mistyped size is never half read.
void handleTableSizeOption(const char* text) {
  bool digitsOnly = isDigit(text[0]);
  for (const char* ch = text; *ch != '\0'; ++ch) {
    digitsOnly = digitsOnly && isDigit(*ch);
  }
  if (!digitsOnly || !setDonorTableSize(readDigitRun(text))) {
    beginArgumentIssue();
    composeLine("Table size '%s' is not a number from 512 to 1000000", text);
    reportArgumentIssue();
  }
}

void handleOption(const char* argument) {
  const char selection = argument[1];
  const char* tail = selection == '\0' ? argument + 1 : argument + 2;
  switch (selection) {
    case 'd':
    case 'v':
      handleVerbosityOption(argument);
      break;
    case 'h':
      std::fputs(kUsageText, stdout);
      break;
    case 'i':
      if (tail[0] == '=') {
        readListFile(tail + 1);
      } else {
        reportMissingEqualSign(argument);
      }
      break;
    case 'o':
      if (tail[0] != '=') {
        reportMissingEqualSign(argument);
      } else if (isListOfThisRun(tail + 1)) {
        // Refused like a report file that cannot be opened: the earlier one is closed all the same.
        closeReportFile();
        beginArgumentIssue();
        composeLine("Report file %s is also a donation list of this run; it is not opened",
                    tail + 1);
        reportArgumentIssue();
      } else if (!openReportFile(tail + 1)) {
        beginArgumentIssue();
        composeLine("Open report file failed: %s", tail + 1);
        reportArgumentIssue();
      }
      break;
    case 'n':
      if (tail[0] == '=') {
        handleTableSizeOption(tail + 1);
      } else {
        reportMissingEqualSign(argument);
      }
      break;
    case 'r':
      if (tail[0] == '=') {
        handleYearOption(tail + 1);
      } else {
        reportMissingEqualSign(argument);
      }
      break;
    default:
      beginArgumentIssue();
      composeLine("Unrecognized selection after -: %s", argument);
      reportArgumentIssue();
      break;
  }
}

}  // namespace

// Everything a run changes starts from its initial value, so that the program can also be run
// more than once inside one process.
void resetProgramState() {
  editNumber = kStartEditNumber;
  resetMessageChannel();
  resetDonorTable();
  resetTotals();
  std::clearerr(stdout);
}

int runProgram(int argc, const char* const* argv) {
  static bool exitHandlerRegistered = false;
  if (!exitHandlerRegistered) {
    std::atexit(closeReportFileAtExit);
    exitHandlerRegistered = true;
  }
  resetProgramState();
  std::fputs("\n", stdout);
  printBanner();
  std::fflush(stdout);
  if (argc <= 1 || argv == nullptr) {
    std::fputs(kUsageText, stdout);
    std::fflush(stdout);
    return 1;
  }
  std::fputs("! Processing command line arguments\n", stdout);
  runArgumentCount = argc;
  runArguments = argv;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr) {
      handleArgument(argv[i]);
    }
  }
  runArgumentCount = 0;
  runArguments = nullptr;
  runAnalysis();
  closeReportFile();
  int status = errorCount > 0 ? 1 : 0;
  // Output that never reached the console is a failed run, whatever the tallies say.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    status = 1;
  }
  return status;
}

void printBanner() {
  beginPlain();
  composeLine("QUORVA %d(%d)-%d", kMajorVersion, kMinorVersion, editNumber);
  emitText(messageLine.data());
  endLine();
  composeLine("   %s", kBannerNotice);
  emitKindText(messageLine.data());
  endLine();
  emitKindText("");
  endLine();
}

bool setVerbosity(long level) {
  if (level < 0 || level > kMaxVerbosity) {
    return false;
  }
  verbosityLevel = static_cast<int>(level);
  return true;
}

void showVerbosity() {
  beginPlain();
  composeLine("Messaging enabled:");
  emitText(messageLine.data());
  endLine();
  for (long level = kMaxVerbosity; level >= 0; --level) {
    if (verbosityLevel >= level) {
      emitKindText(kVerbosityLines[kMaxVerbosity - level]);
      endLine();
    }
  }
  endLine();
}

long parseYearArgument(const char* text) {
  if (text == nullptr || !isDigit(text[0])) {
    return -1;
  }
  const long year = readDigitRun(text);
  if (year <= 49) {
    return 2000 + year;
  }
  if (year <= 99) {
    return 1900 + year;
  }
  if (year >= 1951) {
    return year;
  }
  return -1;
}

void setLatestFormYear(long year) { latestFormYear = year; }

void handleArgument(const char* argument) {
  if (argument == nullptr) {
    return;
  }
  if (argument[0] == '-' || argument[0] == '/') {
    handleOption(argument);
  } else {
    readListFile(argument);
  }
}

#include "run/command_line.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "input/list_reader.hpp"
#include "input/reading_options.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/tax_year.hpp"
#include "ledger/totals.hpp"
#include "ledger/year_amounts.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"
#include "run/banner.hpp"
#include "run/file_identity.hpp"
#include "run/report_file.hpp"
#include "run/worksheet_file.hpp"

namespace {

constexpr long kFirstAcceptedYear = 2000;

// Highest level first; index i is shown when verbosityLevel reaches 4 - i.
constexpr const char* kVerbosityLines[] = {
  "    Messages helpful for debugging the code",
  "    Messages helpful for testing if the code works correctly",
  "    Messages useful for checking the inputs",
  "    Messages useful for explaining the results",
  "    Information needed for Form 990",
};

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

void reportMissingEqualSign(const char* argument, MessageKind kind) {
  message(kind, 0, "? Missing equal sign in argument %s\n", argument);
}

// What the run's arguments name, gathered once at the start: each list and each worksheet file
// is looked at once (device and inode), however many lists a run has, and a report file can
// be checked against a list named after it. The lists read so far grow as they are read.
struct RunFiles {
  IdentitySet namedLists;      ///< every list the command line names that exists at the start
  IdentitySet worksheetFiles;  ///< the files that any -w= names, where they exist
  IdentitySet readLists;       ///< the lists read so far
  bool listRead = false;       ///< a list has been opened and read
};
RunFiles runFiles;

// Options may begin with '/', but so does an absolute path: /home/pat/donations.txt is a list.
// It is one when it names an existing regular file, or when a second '/' comes before its first
// '=' (so a mistyped path still reaches the list reader and fails there, loudly). /d=2,
// /o=/tmp/report.txt, /tmp and / stay options.
bool isAbsoluteListPath(const char* argument) {
  if (argument[0] != '/') {
    return false;
  }
  struct stat status {};
  if (stat(argument, &status) == 0 && S_ISREG(status.st_mode)) {
    return true;
  }
  for (const char* ch = argument + 1; *ch != '\0' && *ch != '='; ++ch) {
    if (*ch == '/') {
      return true;
    }
  }
  return false;
}

// The list an argument names (a bare name, an absolute path, or the name after -i=), or nullptr.
const char* listNameOf(const char* argument) {
  if ((argument[0] != '-' && argument[0] != '/') || isAbsoluteListPath(argument)) {
    return argument;
  }
  return (argument[1] == 'i' && argument[2] == '=') ? argument + 3 : nullptr;
}

// Opening a report file empties it: a donation list named as the report file by mistake would be
// erased, before it is read or after. A file that does not exist yet is no list.
bool isListOfThisRun(const char* name) {
  FileIdentity identity{};
  return identityOfName(name, identity) && holdsIdentity(runFiles.namedLists, identity);
}

// The list, file and name of one list argument as it is opened.
void reportOpenFailure(const char* name, int error) {
  message(MessageKind::error, 0, "Open donation list file failed for: %s", name);
  message(MessageKind::info, 0, "%s: %s", name, std::strerror(error));
}

// True, with the error that says why, when a list that opened is not read: read twice its gifts
// would count twice, and a file the run writes would be read while it is written (or hold no
// list at all).
bool isRefusedList(const FileIdentity& identity, const char* name) {
  if (holdsIdentity(runFiles.readLists, identity)) {
    message(MessageKind::error, 0,
            "List %s is the same file as a list read earlier in this run; it is not read again",
            name);
    return true;
  }
  if (isReportFileOfRun(identity)) {
    message(MessageKind::error, 0, "List %s is the report file of this run; it is not read", name);
    return true;
  }
  if (holdsIdentity(runFiles.worksheetFiles, identity)) {
    message(MessageKind::error, 0, "List %s is the worksheet file of this run; it is not read",
            name);
    return true;
  }
  return false;
}

// A list or report file that cannot be used, or a refused -r year, is an error rather than an
// argument issue: it changes what the report covers, so the run must not end with "No errors."
void readListFile(const char* name) {
  std::FILE* file = std::fopen(name, "r");
  int error = errno;
  // A folder opens for reading on Linux but cannot be read; it would pass for an empty list.
  struct stat status {};
  if (file != nullptr && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
    std::fclose(file);
    file = nullptr;
    error = EISDIR;
  }
  if (file == nullptr) {
    reportOpenFailure(name, error);
    return;
  }
  const FileIdentity identity{ status.st_dev, status.st_ino };
  if (isRefusedList(identity, name)) {
    std::fclose(file);
    return;
  }
  addIdentity(runFiles.readLists, identity);
  runFiles.listRead = true;
  message(MessageKind::info, 0, "Reading a list of funding sources or source to keyword bindings");
  messageMore("  From %s", name);
  setInputFileName(name);
  readDonationList(file, ReadingOptions{ taxYearStartMonth() });
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
      message(MessageKind::argumentIssue, 0, "illegal value after -%c: %s", letter, value);
    }
  } else {
    reportMissingEqualSign(argument, MessageKind::argumentIssue);
  }
}

// True when text is digits only, at least one of them.
bool isDigitsOnly(const char* text) {
  bool digitsOnly = isDigit(text[0]);
  for (const char* ch = text; *ch != '\0'; ++ch) {
    digitsOnly = digitsOnly && isDigit(*ch);
  }
  return digitsOnly;
}

// -y=MONTH: every gift is booked under its tax year, so the month must be set before any is
// booked; a refused month would silently leave calendar years, so it is an error.
void handleTaxYearOption(const char* text) {
  const long month = isDigitsOnly(text) ? readDigitRun(text) : 0;
  if (month < 1 || month > kMonthsInYear) {
    message(MessageKind::error, 0, "Tax year start month '%s' is not a number from 1 to 12", text);
  } else if (runFiles.listRead) {
    message(MessageKind::error, 0,
            "-y=%s comes after a donation list; the tax year must be set before the first list",
            text);
  } else {
    setTaxYearStartMonth(month);
  }
}

// -b=YEAR: four digits inside the year tables; like -r, it counts wherever it stands.
void handleFirstTaxYearOption(const char* text) {
  constexpr std::size_t kYearDigits = 4;
  const long year = isDigitsOnly(text) && std::strlen(text) == kYearDigits ? readDigitRun(text) : 0;
  if (year < kBaseYear || year >= kBaseYear + kYearCount) {
    message(MessageKind::error, 0, "First tax year '%s' is not a year from 1900 to 2155", text);
  } else {
    setFirstTaxYear(year);
  }
}

void handleYearOption(const char* text) {
  const long year = parseYearArgument(text);
  // A refused year leaves the report on another period than the one asked for.
  if (year == -1) {
    message(
        MessageKind::error, 0,
        "? Unrecognized value after -r number between 0 and 99 or greater than 1950 required: %s",
        text);
  } else if (year >= kFirstAcceptedYear) {
    setLatestFormYear(year);
    message(MessageKind::info, 0, "Setting latest year 5 year 990 period to %ld", year);
  } else {
    message(MessageKind::error, 0, "? The program can not handle data from years before %ld",
            kFirstAcceptedYear);
  }
}

// -n=NUMBER: digits only, nothing after them, so that a mistyped size is never half read.
void handleTableSizeOption(const char* text) {
  if (!isDigitsOnly(text) || !setDonorTableSize(readDigitRun(text))) {
    message(MessageKind::argumentIssue, 0, "Table size '%s' is not a number from 512 to 1000000",
            text);
  }
}

// -o=FILE: a report file that is also a list of the run would erase it.
void handleReportOption(const char* name) {
  if (isListOfThisRun(name)) {
    // Refused like a report file that cannot be opened: the earlier one is closed all the same.
    closeReportFile();
    message(MessageKind::error, 0,
            "Report file %s is also a donation list of this run; it is not opened", name);
  } else if (!openReportFile(name)) {
    const int error = errno;
    message(MessageKind::error, 0, "Open report file failed: %s", name);
    message(MessageKind::info, 0, "%s: %s", name, std::strerror(error));
  }
}

// A refused name is an error: the worksheet asked for is not written.
void handleWorksheetOption(const char* name) {
  if (!setWorksheetFile(name)) {
    message(MessageKind::error, 0, "Worksheet file %s must end in .csv or .html", name);
  }
}

void showUsage(const char* /*argument*/) { printUsage(); }

// An option: the letter after its '-' or '/', and what it does. An option that needs "=" is
// handed the text after it, and a missing "=" is reported for it, with the kind of its row (an
// error where the option left out would change the figures); any other is handed the whole
// argument.
struct Option {
  char letter;
  bool needsEqualSign;
  MessageKind missingEqualSign;
  void (*handle)(const char* text);
};

constexpr Option kOptions[] = {
  { 'd', false, MessageKind::argumentIssue, handleVerbosityOption },
  { 'v', false, MessageKind::argumentIssue, handleVerbosityOption },
  { 'h', false, MessageKind::argumentIssue, showUsage },
  { 'i', true, MessageKind::argumentIssue, readListFile },
  { 'o', true, MessageKind::argumentIssue, handleReportOption },
  { 'w', true, MessageKind::argumentIssue, handleWorksheetOption },
  { 'n', true, MessageKind::argumentIssue, handleTableSizeOption },
  { 'r', true, MessageKind::argumentIssue, handleYearOption },
  { 'y', true, MessageKind::error, handleTaxYearOption },
  { 'b', true, MessageKind::error, handleFirstTaxYearOption },
};

void handleOption(const char* argument) {
  for (const Option& option : kOptions) {
    if (option.letter != argument[1]) {
      continue;
    }
    if (!option.needsEqualSign) {
      option.handle(argument);
    } else if (argument[2] == '=') {
      option.handle(argument + 3);
    } else {
      reportMissingEqualSign(argument, option.missingEqualSign);
    }
    return;
  }
  message(MessageKind::argumentIssue, 0, "Unrecognized selection after -: %s", argument);
}

// The lists and worksheet files the arguments name, each looked at once.
void gatherRunFiles(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument == nullptr) {
      continue;
    }
    FileIdentity identity{};
    const char* list = listNameOf(argument);
    if (list != nullptr && identityOfName(list, identity)) {
      addIdentity(runFiles.namedLists, identity);
    }
    const bool worksheet = list == nullptr && argument[1] == 'w' && argument[2] == '=';
    if (worksheet && identityOfName(argument + 3, identity)) {
      addIdentity(runFiles.worksheetFiles, identity);
    }
  }
}

}  // namespace

void showVerbosity() {
  message(MessageKind::plain, 0, "Messaging enabled:");
  for (long level = kMaxVerbosity; level >= 0; --level) {
    if (verbosityLevel >= level) {
      messageMore("%s", kVerbosityLines[kMaxVerbosity - level]);
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

void handleArgument(const char* argument) {
  if (argument == nullptr) {
    return;
  }
  if ((argument[0] == '-' || argument[0] == '/') && !isAbsoluteListPath(argument)) {
    handleOption(argument);
  } else {
    readListFile(argument);
  }
}

void handleArguments(int argc, const char* const* argv) {
  gatherRunFiles(argc, argv);
  for (int i = 1; i < argc; ++i) {
    handleArgument(argv[i]);  // passes over a null entry itself
  }
  resetIdentitySet(runFiles.namedLists);
  resetIdentitySet(runFiles.worksheetFiles);
  resetIdentitySet(runFiles.readLists);
  runFiles.listRead = false;
}

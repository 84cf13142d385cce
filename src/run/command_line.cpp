#include "run/command_line.hpp"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/totals.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"
#include "run/banner.hpp"
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

void reportMissingEqualSign(const char* argument) {
  message(MessageKind::argumentIssue, 0, "? Missing equal sign in argument %s\n", argument);
}

// The arguments of the run under way, so that a report file can be checked against every list
// that the command line names, before or after it, and a list against those read before it.
struct RunArguments {
  int count = 0;
  const char* const* values = nullptr;
  int current = 0;  ///< the index of the argument being handled
};
RunArguments runArguments;

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

// The list the argument at index names, or nullptr.
const char* listNameAt(int index) {
  const char* argument = runArguments.values[index];
  return argument != nullptr ? listNameOf(argument) : nullptr;
}

// Whether a list named by the arguments before index end is the file of status.
bool isListBefore(int end, const struct stat& status) {
  for (int i = 1; i < end; ++i) {
    const char* list = listNameAt(i);
    struct stat other {};
    if (list != nullptr && stat(list, &other) == 0 && other.st_dev == status.st_dev &&
        other.st_ino == status.st_ino) {
      return true;
    }
  }
  return false;
}

// Whether an argument before the current one named the file now open as a list. That one was
// read (it opened then as this one opens now), or was itself refused as a repeat of one read.
bool isListReadEarlier(std::FILE* file) {
  struct stat current {};
  return fstat(fileno(file), &current) == 0 && isListBefore(runArguments.current, current);
}

// Opening a report file empties it: a donation list named as the report file by mistake would be
// erased, before it is read or after. A file that does not exist yet is no list.
bool isListOfThisRun(const char* name) {
  struct stat report {};
  return stat(name, &report) == 0 && isListBefore(runArguments.count, report);
}

// A list or report file that cannot be used, or a refused -r year, is an error rather than an
// argument issue: it changes what the report covers, so the run must not end with "No errors."
void readListFile(const char* name) {
  std::FILE* file = std::fopen(name, "r");
  // A folder opens for reading on Linux but cannot be read; it would pass for an empty list.
  struct stat status {};
  if (file != nullptr && (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode))) {
    std::fclose(file);
    file = nullptr;
  }
  if (file == nullptr) {
    message(MessageKind::error, 0, "Open donation list file failed for: %s", name);
    return;
  }
  // gifts.txt and ./gifts.txt, or a link to it, would count every gift twice.
  if (isListReadEarlier(file)) {
    std::fclose(file);
    message(MessageKind::error, 0,
            "List %s is the same file as a list read earlier in this run; it is not read again",
            name);
    return;
  }
  message(MessageKind::info, 0, "Reading a list of funding sources or source to keyword bindings");
  messageMore("  From %s", name);
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
      message(MessageKind::argumentIssue, 0, "illegal value after -%c: %s", letter, value);
    }
  } else {
    reportMissingEqualSign(argument);
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
  bool digitsOnly = isDigit(text[0]);
  for (const char* ch = text; *ch != '\0'; ++ch) {
    digitsOnly = digitsOnly && isDigit(*ch);
  }
  if (!digitsOnly || !setDonorTableSize(readDigitRun(text))) {
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
    message(MessageKind::error, 0, "Open report file failed: %s", name);
  }
}

void handleWorksheetOption(const char* name) {
  if (!setWorksheetFile(name, isListOfThisRun(name))) {
    message(MessageKind::argumentIssue, 0, "Worksheet file %s must end in .csv or .html", name);
  }
}

void showUsage(const char* /*argument*/) { printUsage(); }

// An option: the letter after its '-' or '/', and what it does. An option that needs "=" is
// handed the text after it, and a missing "=" is reported for it; any other is handed the
// whole argument.
struct Option {
  char letter;
  bool needsEqualSign;
  void (*handle)(const char* text);
};

constexpr Option kOptions[] = {
  { 'd', false, handleVerbosityOption },
  { 'v', false, handleVerbosityOption },
  { 'h', false, showUsage },
  { 'i', true, readListFile },
  { 'o', true, handleReportOption },
  { 'w', true, handleWorksheetOption },
  { 'n', true, handleTableSizeOption },
  { 'r', true, handleYearOption },
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
      reportMissingEqualSign(argument);
    }
    return;
  }
  message(MessageKind::argumentIssue, 0, "Unrecognized selection after -: %s", argument);
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
  runArguments = RunArguments{ argc, argv, 0 };
  for (int i = 1; i < argc; ++i) {
    runArguments.current = i;
    handleArgument(argv[i]);  // passes over a null entry itself
  }
  runArguments = RunArguments{};
}

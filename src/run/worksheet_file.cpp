#include "run/worksheet_file.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"
#include "report/worksheet.hpp"

namespace {

// The worksheet the command line named last; the initialisers are the start state.
struct WorksheetChoice {
  const char* name = nullptr;
  bool isList = false;
  WorksheetForm form = WorksheetForm::csv;
};

WorksheetChoice worksheet;

bool endsWith(const char* name, const char* ending) {
  const std::size_t length = std::strlen(name);
  const std::size_t endingLength = std::strlen(ending);
  if (length < endingLength) {
    return false;
  }
  const char* tail = name + length - endingLength;
  for (std::size_t i = 0; i < endingLength; ++i) {
    if (asciiLower(tail[i]) != ending[i]) {
      return false;
    }
  }
  return true;
}

// The report file is still open while the worksheet is written: writing over it would mix
// the two.
bool isReportFile(const char* name) {
  struct stat sheet {};
  struct stat report {};
  return reportFile != nullptr && stat(name, &sheet) == 0 &&
         fstat(fileno(reportFile), &report) == 0 && sheet.st_dev == report.st_dev &&
         sheet.st_ino == report.st_ino;
}

void reportWriteFailure() {
  message(MessageKind::error, 0, "Writing worksheet file %s failed", worksheet.name);
}

}  // namespace

bool setWorksheetFile(const char* name, bool isList) {
  WorksheetForm form = WorksheetForm::csv;
  if (endsWith(name, ".html") || endsWith(name, ".htm")) {
    form = WorksheetForm::html;
  } else if (!endsWith(name, ".csv")) {
    return false;
  }
  worksheet = WorksheetChoice{ name, isList, form };
  return true;
}

void writeWorksheetFile(const ScheduleAFigures& figures, const DonorTable& donors) {
  if (worksheet.name == nullptr) {
    return;
  }
  if (worksheet.isList) {
    message(MessageKind::error, 0,
            "Worksheet file %s is also a donation list of this run; it is not written",
            worksheet.name);
    return;
  }
  if (isReportFile(worksheet.name)) {
    message(MessageKind::error, 0,
            "Worksheet file %s is also the report file of this run; it is not written",
            worksheet.name);
    return;
  }
  std::FILE* file = std::fopen(worksheet.name, "w");
  if (file == nullptr) {
    reportWriteFailure();
    return;
  }
  bool written = writeWorksheet(file, worksheet.form, figures, donors);
  if (std::fflush(file) != 0) {
    written = false;
  }
  if (std::fclose(file) != 0) {
    written = false;
  }
  if (!written) {
    reportWriteFailure();
  }
}

void resetWorksheetFile() { worksheet = WorksheetChoice{}; }

#include "run/worksheet_file.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "output/message_channel.hpp"
#include "report/worksheet.hpp"

namespace {

const char* worksheetName = nullptr;
bool worksheetIsList = false;
WorksheetForm worksheetForm = WorksheetForm::csv;

bool endsWith(const char* name, const char* ending) {
  const std::size_t length = std::strlen(name);
  const std::size_t endingLength = std::strlen(ending);
  if (length < endingLength) {
    return false;
  }
  const char* tail = name + length - endingLength;
  for (std::size_t i = 0; i < endingLength; ++i) {
    const char c =
        tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
    if (c != ending[i]) {
      return false;
    }
  }
  return true;
}

// The report file is still open while the worksheet is written: writing over it would mix
// the two.
bool isReportFile(const char* name) {
  struct stat worksheet {};
  struct stat report {};
  return reportFile != nullptr && stat(name, &worksheet) == 0 &&
         fstat(fileno(reportFile), &report) == 0 && worksheet.st_dev == report.st_dev &&
         worksheet.st_ino == report.st_ino;
}

void reportWriteFailure() {
  message(MessageKind::error, 0, "Writing worksheet file %s failed", worksheetName);
}

}  // namespace

bool setWorksheetFile(const char* name, bool isList) {
  if (endsWith(name, ".csv")) {
    worksheetForm = WorksheetForm::csv;
  } else if (endsWith(name, ".html") || endsWith(name, ".htm")) {
    worksheetForm = WorksheetForm::html;
  } else {
    return false;
  }
  worksheetName = name;
  worksheetIsList = isList;
  return true;
}

void writeWorksheetFile(const ScheduleAFigures& figures, const DonorTable& donors) {
  if (worksheetName == nullptr) {
    return;
  }
  if (worksheetIsList) {
    message(MessageKind::error, 0,
            "Worksheet file %s is also a donation list of this run; it is not written",
            worksheetName);
    return;
  }
  if (isReportFile(worksheetName)) {
    message(MessageKind::error, 0,
            "Worksheet file %s is also the report file of this run; it is not written",
            worksheetName);
    return;
  }
  std::FILE* file = std::fopen(worksheetName, "w");
  if (file == nullptr) {
    reportWriteFailure();
    return;
  }
  bool written = writeWorksheet(file, worksheetForm, figures, donors);
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

void resetWorksheetFile() {
  worksheetName = nullptr;
  worksheetIsList = false;
  worksheetForm = WorksheetForm::csv;
}

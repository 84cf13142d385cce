#include "run/worksheet_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"
#include "output/ascii.hpp"
#include "output/message_channel.hpp"
#include "report/worksheet.hpp"
#include "run/file_identity.hpp"
#include "run/replaced_file.hpp"
#include "run/report_file.hpp"

namespace {

// The worksheet the command line named last; the initialisers are the start state.
struct WorksheetChoice {
  const char* name = nullptr;
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

// Any report file of the run, one that a later -o= closed included: writing over it would
// destroy the report.
bool isReportFile(const char* name) {
  FileIdentity identity{};
  return identityOfName(name, identity) && isReportFileOfRun(identity);
}

void reportWriteFailure(int error) {
  message(MessageKind::error, 0, "Writing worksheet file %s failed", worksheet.name);
  message(MessageKind::info, 0, "%s: %s", worksheet.name, std::strerror(error));
}

// Why the worksheet cannot be written for these figures, or nullptr: a sheet of zeros for a
// period nobody asked for would pass for a real one.
const char* reasonNotWritten(const ScheduleAFigures& figures) {
  if (!figures.anyDonations) {
    return "no donations were read";
  }
  if (!figures.periodComputed) {
    return "the five-year period could not be computed";
  }
  return nullptr;
}

}  // namespace

bool setWorksheetFile(const char* name) {
  WorksheetForm form = WorksheetForm::csv;
  if (endsWith(name, ".html") || endsWith(name, ".htm")) {
    form = WorksheetForm::html;
  } else if (!endsWith(name, ".csv")) {
    return false;
  }
  worksheet = WorksheetChoice{ name, form };
  return true;
}

void writeWorksheetFile(const ScheduleAFigures& figures, const DonorTable& donors) {
  if (worksheet.name == nullptr) {
    return;
  }
  if (isReportFile(worksheet.name)) {
    message(MessageKind::error, 0,
            "Worksheet file %s is also the report file of this run; it is not written",
            worksheet.name);
    return;
  }
  if (const char* reason = reasonNotWritten(figures)) {
    message(MessageKind::error, 0, "Worksheet file %s is not written: %s", worksheet.name, reason);
    return;
  }
  ReplacedFile replaced = beginReplacedFile(worksheet.name);
  errno = 0;
  const bool written = replaced.file != nullptr &&
                       writeWorksheet(replaced.file, worksheet.form, figures, donors);
  if (!finishReplacedFile(replaced, written)) {
    reportWriteFailure(replaced.error);
  }
}

void resetWorksheetFile() { worksheet = WorksheetChoice{}; }

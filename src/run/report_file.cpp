#include "run/report_file.hpp"

#include <array>
#include <cstdio>
#include <cstring>

#include "output/message_channel.hpp"
#include "run/banner.hpp"
#include "run/file_identity.hpp"

namespace {

// Every report file the run has opened, the open one and those a later -o= closed: none of
// them may be read as a list or written over by the worksheet.
IdentitySet reportFilesOfRun;

// Kept for the write-failure error, which is reported after the file is closed. A longer name
// would be cut by the message buffer anyway.
std::array<char, kMessageLineSize> reportFileName{};

void rememberName(const char* name) {
  std::size_t length = std::strlen(name);
  if (length > reportFileName.size() - 1) {
    length = reportFileName.size() - 1;
  }
  std::memcpy(reportFileName.data(), name, length);
  reportFileName[length] = '\0';
}

}  // namespace

bool openReportFile(const char* name) {
  closeReportFile();
  std::FILE* file = std::fopen(name, "w");
  if (file == nullptr) {
    return false;
  }
  FileIdentity identity{};
  if (identityOfName(name, identity)) {
    addIdentity(reportFilesOfRun, identity);
  }
  useReportBuffer(file);
  reportFile = file;
  rememberName(name);
  printBanner();
  return true;
}

void closeReportFile() {
  if (reportFile == nullptr) {
    return;
  }
  std::FILE* file = reportFile;
  reportFile = nullptr;
  // A full disk shows only when the buffered text is flushed; every stage of closing is
  // checked so that a report cut short is never taken for a finished one.
  bool failed = std::ferror(file) != 0;
  if (std::fflush(file) != 0) {
    failed = true;
  }
  if (std::fclose(file) != 0) {
    failed = true;
  }
  if (failed) {
    // reportFile is already empty, so the error reaches the console only.
    message(MessageKind::error, 0, "Writing report file %s failed", reportFileName.data());
  }
  reportFileName[0] = '\0';
}

bool isReportFileOfRun(const FileIdentity& identity) {
  return holdsIdentity(reportFilesOfRun, identity);
}

void resetReportFiles() { resetIdentitySet(reportFilesOfRun); }

#ifndef QUORVA_RUN_REPORT_FILE_HPP
#define QUORVA_RUN_REPORT_FILE_HPP

#include "run/file_identity.hpp"

/// Closes any open report file, opens name for writing and prints the banner into it.
bool openReportFile(const char* name);
/// Closes the report file; reports "Writing report file %s failed" (an error) when the file
/// could not be written completely. Harmless with no file open.
void closeReportFile();

/// True when the file is one that a -o= of this run opened (the open one or an earlier one).
bool isReportFileOfRun(const FileIdentity& identity);
/// Forgets the report files of the run (for in-process reruns); closes nothing.
void resetReportFiles();

#endif

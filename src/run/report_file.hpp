#ifndef QUORVA_RUN_REPORT_FILE_HPP
#define QUORVA_RUN_REPORT_FILE_HPP

/// Closes any open report file, opens name for writing and prints the banner into it.
bool openReportFile(const char* name);
/// Closes the report file; reports "Writing report file %s failed" (an error) when the file
/// could not be written completely. Harmless with no file open.
void closeReportFile();

#endif

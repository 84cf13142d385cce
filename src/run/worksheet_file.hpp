#ifndef QUORVA_RUN_WORKSHEET_FILE_HPP
#define QUORVA_RUN_WORKSHEET_FILE_HPP

/// Takes name (kept, not copied: it must live through the run) as the worksheet file when it
/// ends in .csv, .html or .htm in any letter case; false, and the earlier name kept, otherwise.
/// isList says that the file is also a donation list of the run.
bool setWorksheetFile(const char* name, bool isList);

/// Writes the worksheet named last, if any: an error when it is a donation list or the report
/// file of the run, or cannot be created or written.
void writeWorksheetFile();

/// Forgets the worksheet file (for tests and in-process reruns).
void resetWorksheetFile();

#endif

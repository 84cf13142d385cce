#ifndef QUORVA_RUN_WORKSHEET_FILE_HPP
#define QUORVA_RUN_WORKSHEET_FILE_HPP

#include "ledger/donor_table.hpp"
#include "ledger/schedule_a_figures.hpp"

/// Takes name (kept, not copied: it must live through the run) as the worksheet file when it
/// ends in .csv, .html or .htm in any letter case; false, and the earlier name kept, otherwise.
bool setWorksheetFile(const char* name);

/// Writes the worksheet of figures (names from donors) to the file named last, if any, whole or
/// not at all: an error when it is a report file of the run, when there is nothing to write (no
/// donations, no period), or when it cannot be created or written.
void writeWorksheetFile(const ScheduleAFigures& figures, const DonorTable& donors);

/// Forgets the worksheet file (for tests and in-process reruns).
void resetWorksheetFile();

#endif

// A build without the ZIP and XML libraries: every spreadsheet is refused with a hint.
#include "input/workbook.hpp"

bool workbooksSupported() { return false; }

WorkbookOutcome readWorkbook(const unsigned char* /*data*/, std::size_t /*size*/,
                             const WorkbookVisitor& /*visitor*/) {
  WorkbookOutcome outcome;
  outcome.fault = WorkbookFault::notBuilt;
  return outcome;
}

#include "input/workbook.hpp"
#include "input/workbook_libraries.hpp"
#include "input/xlsx_reader.hpp"
#include "input/zip_part.hpp"

bool workbooksSupported() { return true; }

WorkbookOutcome readWorkbook(const unsigned char* data, std::size_t size,
                             const WorkbookVisitor& visitor) {
  WorkbookOutcome refused;
  const WorkbookLibraries* libraries = workbookLibraries(refused.part);
  if (libraries == nullptr) {
    refused.fault = WorkbookFault::libraryMissing;
    return refused;
  }
  ZipArchive archive;
  if (!openZipArchive(*libraries, data, size, archive)) {
    return outcomeOfPart(PartStatus::archive, std::string());
  }
  WorkbookOutcome outcome = isXlsxArchive(archive) ? readXlsxWorkbook(archive, visitor)
                                                   : readOdsWorkbook(archive, visitor);
  closeZipArchive(archive);
  return outcome;
}

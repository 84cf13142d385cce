#ifndef QUORVA_INPUT_XLSX_READER_HPP
#define QUORVA_INPUT_XLSX_READER_HPP

#include <string>
#include <vector>

#include "input/cell_text.hpp"
#include "input/workbook.hpp"
#include "input/zip_part.hpp"

/// What the cells of an Office Open XML sheet are read with: the shared strings, which cell
/// styles show dates, and the workbook's date system.
struct XlsxTables {
  std::string sharedText;
  std::vector<std::size_t> sharedStarts;  ///< where each shared string begins in sharedText
  std::vector<bool> dateStyles;
  DateSystem dateSystem = DateSystem::from1900;
};

/// True when the archive holds an Office Open XML workbook (rather than an OpenDocument one).
bool isXlsxArchive(const ZipArchive& archive);
WorkbookOutcome readXlsxWorkbook(const ZipArchive& archive, const WorkbookVisitor& visitor);

/// Streams the rows of one worksheet part to the visitor.
PartStatus readXlsxSheet(const ZipArchive& archive, const std::string& part,
                         const XlsxTables& tables, const WorkbookVisitor& visitor);

/// Reads the first table of an OpenDocument spreadsheet.
WorkbookOutcome readOdsWorkbook(const ZipArchive& archive, const WorkbookVisitor& visitor);

/// The outcome of a part that was not read.
WorkbookOutcome outcomeOfPart(PartStatus status, const std::string& part);

#endif

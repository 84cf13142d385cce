#ifndef QUORVA_INPUT_WORKBOOK_HPP
#define QUORVA_INPUT_WORKBOOK_HPP

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// What the first bytes of a list say it is.
enum class ListSignature { text, zipArchive, compoundFile };

/// The kind of list that begins with these bytes: a ZIP archive (PK 3 4) is a spreadsheet to
/// read, a compound file (D0 CF 11 E0) an old or encrypted workbook; anything else is text.
ListSignature listSignatureOf(const char* bytes, std::size_t count);

/// Why a workbook was not read.
enum class WorkbookFault {
  none,
  notBuilt,      ///< this build has no ZIP and XML libraries
  /// the ZIP or XML library cannot be loaded (WorkbookOutcome::part says why)
  libraryMissing,
  archive,       ///< the archive cannot be read
  noWorksheet,   ///< no worksheet in it (a word-processing document, say)
  partTooLarge,  ///< a part inflates past the limit
  malformedXml,  ///< the XML of a part is malformed (WorkbookOutcome::part names it)
};

struct WorkbookOutcome {
  WorkbookFault fault = WorkbookFault::none;
  std::string part;  ///< the malformed part, or why a library cannot be loaded
};

/// Where the rows of the first worksheet go, in order. A row holds its cells' texts joined by
/// TAB (without the empty cells after its last); empty rows are not given, nor anything after
/// the last row that holds a cell. A row given with a repeat stands for that many equal rows.
struct WorkbookVisitor {
  void* context;
  /// The names of all sheets in the workbook's order, and which of them is read; called once,
  /// before any row.
  void (*sheets)(void* context, const std::vector<std::string>& names, std::size_t read);
  void (*row)(void* context, long number, long repeat, std::string_view text);
  /// A formula cell without a cached value, by its reference ("C12"); its row is number.
  void (*formulaWithoutValue)(void* context, long number, std::string_view reference);
};

/// True when this build reads spreadsheets.
bool workbooksSupported();

/// Reads the first worksheet of an .xlsx or .ods workbook held in memory. No path from the
/// archive opens a file; every inflated part is limited in size.
WorkbookOutcome readWorkbook(const unsigned char* data, std::size_t size,
                             const WorkbookVisitor& visitor);

#endif

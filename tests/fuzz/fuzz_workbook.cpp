// Fuzz target: arbitrary bytes as a spreadsheet archive (the seed corpus holds small .xlsx and
// .ods workbooks). Whatever the archive holds, reading it ends with an outcome, and the rows it
// gives come in order, inside the sheet's size, as text a list line can hold.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.hpp"
#include "input/sheet_row.hpp"
#include "input/workbook.hpp"

namespace {

struct Rows {
  bool sheetsGiven = false;
  long last = 0;
};

void checkSheets(void* context, const std::vector<std::string>& names, std::size_t read) {
  auto& rows = *static_cast<Rows*>(context);
  if (rows.sheetsGiven || read >= names.size() || rows.last != 0) {
    invariantFailed("the sheets are given once, before any row, and the one read is among them");
  }
  rows.sheetsGiven = true;
}

void checkRow(void* context, long number, long repeat, std::string_view text) {
  auto& rows = *static_cast<Rows*>(context);
  if (!rows.sheetsGiven || number <= rows.last || repeat < 1 || number + repeat - 1 > kSheetRows) {
    invariantFailed("rows come after the sheets, in order, inside the sheet");
  }
  if (text.empty() || text.size() > kRowTextLimit || text.find_first_of("\r\n") != text.npos) {
    invariantFailed("a row's text is one line of limited length");
  }
  rows.last = number + repeat - 1;
}

void checkFormula(void* context, long number, std::string_view reference) {
  auto& rows = *static_cast<Rows*>(context);
  if (!rows.sheetsGiven || number < 1 || number > kSheetRows || reference.empty()) {
    invariantFailed("a formula without a value is named by its cell");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  prepareFuzzProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Rows rows;
  const WorkbookOutcome outcome =
      readWorkbook(data, size, WorkbookVisitor{ &rows, checkSheets, checkRow, checkFormula });
  if (outcome.fault == WorkbookFault::malformedXml && outcome.part.empty()) {
    invariantFailed("a malformed part is named");
  }
  return 0;
}

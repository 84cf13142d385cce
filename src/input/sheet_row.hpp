#ifndef QUORVA_INPUT_SHEET_ROW_HPP
#define QUORVA_INPUT_SHEET_ROW_HPP

#include <cstddef>
#include <string>
#include <string_view>

#include "input/list_records.hpp"

/// The largest sheet a spreadsheet program writes; a row or column past it is malformed.
constexpr long kSheetRows = 1048576;
constexpr long kSheetColumns = 16384;
/// Of a row, only this much text is kept: no line is read past kWideLineLimit characters, and
/// what is kept past them says that there was more.
constexpr std::size_t kRowTextLimit = kWideLineLimit + 1;

/// One row being put together as a tab-separated line, from cells in column order; empty
/// cells after the last one with text leave no TAB.
struct SheetRow {
  std::string text;
  long cells = 0;  ///< the columns text stands for: up to the last cell with text
  long next = 0;   ///< the column of the next cell when it names none

  void begin() {
    text.clear();
    cells = 0;
    next = 0;
  }
  /// Adds a cell of this column (not before next), repeated as many times; its TAB, CR and LF
  /// become blanks.
  void addCell(long column, std::string_view cellText, long repeat);
};

#endif

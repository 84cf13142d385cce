#ifndef QUORVA_REPORT_SHEET_TEXT_HPP
#define QUORVA_REPORT_SHEET_TEXT_HPP

#include <cstddef>

#include "ledger/donor_table.hpp"

/// Room for a stored name with every byte a control character written as U+FFFD (three bytes),
/// a leading apostrophe and the terminator.
constexpr std::size_t kSheetTextSize = 3 * kStoredNameLength + 2;

/// Text from a list as a worksheet shows it, returned by value.
struct SheetText {
  char text[kSheetTextSize];  ///< NUL-terminated UTF-8
};

/// The text with each control character (bytes 0x01 to 0x1F but TAB, 0x7F, and U+0080 to
/// U+009F) written as U+FFFD; at most kStoredNameLength bytes of text are taken.
SheetText sheetText(const char* listText);
/// sheetText for a CSV cell: a text a spreadsheet would take for a formula (its first character
/// one of = + - @ TAB) gets a leading apostrophe, so that it is shown as text.
SheetText csvCellText(const char* listText);

#endif

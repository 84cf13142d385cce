#include "input/sheet_row.hpp"

void SheetRow::addCell(long column, std::string_view cellText, long repeat) {
  next = column + repeat;
  if (cellText.empty()) {
    return;
  }
  for (long copy = 0; copy < repeat && text.size() < kRowTextLimit; ++copy) {
    const long tabs = column + copy - cells + (cells > 0 ? 1 : 0);
    text.append(static_cast<std::size_t>(tabs < static_cast<long>(kRowTextLimit)
                                             ? tabs
                                             : static_cast<long>(kRowTextLimit)),
                '\t');
    const std::size_t start = text.size();
    text += cellText.substr(0, kRowTextLimit);
    for (std::size_t at = start; at < text.size(); ++at) {
      if (text[at] == '\t' || text[at] == '\r' || text[at] == '\n') {
        text[at] = ' ';
      }
    }
    cells = column + copy + 1;
  }
  if (text.size() > kRowTextLimit) {
    text.resize(kRowTextLimit);
  }
}

#include "report/sheet_text.hpp"

#include <cstring>

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool isC1Control(const char* at) {
  return static_cast<unsigned char>(at[0]) == 0xC2 && static_cast<unsigned char>(at[1]) >= 0x80 &&
         static_cast<unsigned char>(at[1]) <= 0x9F;
}

bool isControl(const char* at) {
  const auto byte = static_cast<unsigned char>(*at);
  return (byte >= 0x01 && byte <= 0x1F && byte != '\t') || byte == 0x7F || isC1Control(at);
}

// Writes the text from the place at on; the buffer holds the worst case of every byte replaced.
void fillFrom(SheetText& shown, std::size_t at, const char* listText) {
  const std::size_t length = strnlen(listText, kStoredNameLength);
  for (std::size_t i = 0; i < length; ++i) {
    if (!isControl(listText + i)) {
      shown.text[at++] = listText[i];
      continue;
    }
    // One replacement for the two bytes of a C1 control, unless the text ends between them.
    i += isC1Control(listText + i) && i + 1 < length ? std::size_t{ 1 } : std::size_t{ 0 };
    std::memcpy(shown.text + at, kReplacement, 3);
    at += 3;
  }
  shown.text[at] = '\0';
}

}  // namespace

SheetText sheetText(const char* listText) {
  SheetText shown;
  fillFrom(shown, 0, listText);
  return shown;
}

SheetText csvCellText(const char* listText) {
  SheetText shown;
  // OWASP's advice against formula injection: these start a formula in every spreadsheet.
  const bool formula = std::strchr("=+-@\t", listText[0]) != nullptr && listText[0] != '\0';
  if (formula) {
    shown.text[0] = '\'';
  }
  fillFrom(shown, formula ? 1 : 0, listText);
  return shown;
}

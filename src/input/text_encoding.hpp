#ifndef QUORVA_INPUT_TEXT_ENCODING_HPP
#define QUORVA_INPUT_TEXT_ENCODING_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "input/line_messages.hpp"
#include "input/list_blocks.hpp"
#include "input/parsed_line.hpp"

// The text of a list as it is saved: UTF-8, with or without byte order marks, or, line by line
// where it is not UTF-8, Windows-1252 (what Excel's "Text (Tab delimited)" writes on Windows).
// Such a line is parsed as it stands in the file, so that every length limit counts its bytes
// there, and what the parse took from it (its fields, its text, its messages) is then converted
// to UTF-8, so that nothing written from it is other than UTF-8.

/// UTF-8 bytes a Windows-1252 character may take.
constexpr std::size_t kWindows1252Bytes = 3;
/// Room for a line of kLineLimit characters converted from Windows-1252.
constexpr std::size_t kConvertedLineRoom = kLineLimit * kWindows1252Bytes + 1;

/// What reading one list keeps for converting its lines: reused line after line.
struct ListEncoding {
  bool windows1252Said = false;  ///< the list's lines were said to be read as Windows-1252
  /// The block of the list (listBlock) was last looked at when it had been filled that many
  /// times, and found ASCII or not.
  unsigned long checkedRefills = ~0UL;
  bool asciiBlock = false;
  std::array<char, kConvertedLineRoom> line;
  LineMessages messages;
};

/// Passes over the UTF-8 byte order marks (U+FEFF) at the start of a line: lists joined with
/// cat carry one where each list began.
inline char* afterByteOrderMarks(char* line) {
  while (line[0] == '\xEF' && line[1] == '\xBB' && line[2] == '\xBF') {
    line += 3;
  }
  return line;
}

/// True when text[0, length) is ASCII; 32 characters at a time.
bool isAsciiText(const char* text, std::size_t length);

/// True when line[0, length) is well-formed UTF-8; a line cut at the line limit (cut) may end
/// inside a character.
bool isUtf8Line(const char* line, std::size_t length, bool cut);

/// Writes text[0, length), read as Windows-1252, as UTF-8 into out, whole characters only and
/// no more than room - 1 bytes, and a terminator; returns the bytes written. The five bytes that
/// Windows-1252 leaves undefined become U+FFFD.
std::size_t convertWindows1252(const char* text, std::size_t length, char* out, std::size_t room);

/// Drops U+00A0 (no-break space) and spaces at both ends of a field that holds a name, as the
/// blanks at its ends are dropped. Nearly every name neither starts nor ends with such a byte.
void trimNoBreakSpacesOf(Field& field);
inline void trimNoBreakSpaces(Field& field) {
  if (field.length != 0 && !field.isTooLong() &&
      (field.text[0] == '\xC2' || field.text[field.length - 1] == '\xA0')) {
    trimNoBreakSpacesOf(field);
  }
}

/// For a line of a list just parsed (line[0, length), cut at the line limit when cut): when it is
/// not UTF-8, says once per list that the list is read as Windows-1252 and converts what the
/// parse took from it.
void convertNonUtf8Line(ParsedLine& parsed, const char* line, std::size_t length, bool cut,
                        ListEncoding& encoding);
/// convertNonUtf8Line for a line of blocks. Nearly every list is ASCII: a block is scanned once
/// each time it is filled, and its lines then cost one compare.
[[gnu::always_inline]] inline void readAsUtf8(ParsedLine& parsed, const char* line,
                                              std::size_t length, const ListBlocks& blocks,
                                              ListEncoding& encoding) {
  if (encoding.checkedRefills != blocks.refills) {
    encoding.checkedRefills = blocks.refills;
    encoding.asciiBlock = isAsciiText(listBlock.data(), blocks.end);
  }
  if (!encoding.asciiBlock && !isAsciiText(line, length)) {
    convertNonUtf8Line(parsed, line, length, blocks.longLine, encoding);
  }
}

#endif

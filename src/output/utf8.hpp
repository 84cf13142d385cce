#ifndef QUORVA_OUTPUT_UTF8_HPP
#define QUORVA_OUTPUT_UTF8_HPP

#include <cstddef>
#include <cstdint>

// UTF-8 as lists and names are read: well formed only (no overlong form, no surrogate, nothing
// past U+10FFFF), so that two spellings of one name can never hide behind a malformed byte.

/// A code point decoded from UTF-8, and the bytes it took; 0 bytes when the text there is no
/// well-formed UTF-8 (or is cut short).
struct DecodedPoint {
  std::uint32_t point;
  std::size_t bytes;
};

/// The code point at text[0], reading no further than text[length - 1] (length at least 1).
inline DecodedPoint decodeUtf8(const char* text, std::size_t length) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    return DecodedPoint{ lead, 1 };
  }
  std::size_t bytes = 0;
  std::uint32_t point = 0;
  std::uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    bytes = 2, point = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    bytes = 3, point = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    bytes = 4, point = lead & 0x07u, least = 0x10000;
  } else {
    return DecodedPoint{ 0, 0 };
  }
  if (bytes > length) {
    return DecodedPoint{ 0, 0 };
  }
  for (std::size_t i = 1; i < bytes; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0u) != 0x80u) {
      return DecodedPoint{ 0, 0 };
    }
    point = (point << 6) | (next & 0x3Fu);
  }
  if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return DecodedPoint{ 0, 0 };
  }
  return DecodedPoint{ point, bytes };
}

/// Writes point as UTF-8 at out (room for four bytes); returns the bytes written.
inline std::size_t encodeUtf8(std::uint32_t point, char* out) {
  if (point < 0x80) {
    out[0] = static_cast<char>(point);
    return 1;
  }
  if (point < 0x800) {
    out[0] = static_cast<char>(0xC0u | (point >> 6));
    out[1] = static_cast<char>(0x80u | (point & 0x3Fu));
    return 2;
  }
  if (point < 0x10000) {
    out[0] = static_cast<char>(0xE0u | (point >> 12));
    out[1] = static_cast<char>(0x80u | ((point >> 6) & 0x3Fu));
    out[2] = static_cast<char>(0x80u | (point & 0x3Fu));
    return 3;
  }
  out[0] = static_cast<char>(0xF0u | (point >> 18));
  out[1] = static_cast<char>(0x80u | ((point >> 12) & 0x3Fu));
  out[2] = static_cast<char>(0x80u | ((point >> 6) & 0x3Fu));
  out[3] = static_cast<char>(0x80u | (point & 0x3Fu));
  return 4;
}

/// Where the first byte of text[0, length) that does not belong to well-formed UTF-8 stands, or
/// length when all of it is well formed.
inline std::size_t firstMalformedByte(const char* text, std::size_t length) {
  std::size_t at = 0;
  while (at < length) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    const DecodedPoint decoded = decodeUtf8(text + at, length - at);
    if (decoded.bytes == 0) {
      return at;
    }
    at += decoded.bytes;
  }
  return length;
}

#endif

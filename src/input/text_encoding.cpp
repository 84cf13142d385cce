#include "input/text_encoding.hpp"

#include <utility>

#include "output/message_channel.hpp"
#include "output/utf8.hpp"

namespace {

constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F (Python's cp1252 codec); from 0xA0 on it is Latin-1, the code
// point of its byte.
constexpr std::array<std::uint32_t, 32> kWindows1252High = {
  0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
  0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
  0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};
static_assert(kWindows1252High[0x81 - 0x80] == kReplacementCharacter, "0x81 is undefined");

std::uint32_t windows1252Point(unsigned char byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kWindows1252High[byte - 0x80] : byte;
}

// A field as the parse took it, converted in place; a field too long to keep was refused with
// the line and is left as it is. A name that was only no-break spaces keeps them: the parse
// took it for a name.
void convertField(Field& field, bool name) {
  if (field.isTooLong()) {
    return;
  }
  std::array<char, kFieldMaxLength * kWindows1252Bytes + 1> converted;
  const std::size_t bytes =
      convertWindows1252(field.data(), field.length, converted.data(), converted.size());
  std::memcpy(field.text.data(), converted.data(), bytes + 1);
  field.length = bytes;
  field.kept = bytes;
  if (name) {
    Field trimmed = field;
    trimNoBreakSpaces(trimmed);
    if (trimmed.length != 0) {
      field = trimmed;
    }
  }
}

// The messages of the line, each converted; a message cut to the channel's length is cut
// before a whole character.
void convertMessages(LineMessages& messages, LineMessages& converted) {
  converted.clear();
  std::array<char, kMessageLineSize> text;
  for (std::size_t i = 0; i < messages.count; ++i) {
    const char* from = messages.text(i);
    convertWindows1252(from, std::strlen(from), text.data(), text.size());
    noteMessage(converted, messages.entries[i].kind, messages.entries[i].line, "%s", text.data());
  }
  // Messages that could not be kept are still counted, and said when the line is booked.
  converted.raised += messages.raised - messages.count;
  converted.lostLine = messages.lostLine;
  std::swap(messages.entries, converted.entries);
  std::swap(messages.count, converted.count);
  std::swap(messages.raised, converted.raised);
  std::swap(messages.lostLine, converted.lostLine);
  std::swap(messages.entryRoom, converted.entryRoom);
  std::swap(messages.texts, converted.texts);
  std::swap(messages.used, converted.used);
  std::swap(messages.textRoom, converted.textRoom);
}

}  // namespace

bool isAsciiText(const char* text, std::size_t length) {
  constexpr std::size_t kWords = 4;
  std::uint64_t seen[kWords] = {};
  std::size_t i = 0;
  for (; i + sizeof seen <= length; i += sizeof seen) {
    for (std::size_t w = 0; w < kWords; ++w) {
      std::uint64_t word = 0;
      std::memcpy(&word, text + i + w * sizeof word, sizeof word);
      seen[w] |= word;
    }
  }
  std::uint64_t all = seen[0] | seen[1] | seen[2] | seen[3];
  for (; i < length; ++i) {
    all |= static_cast<unsigned char>(text[i]);
  }
  return (all & 0x8080808080808080ULL) == 0;
}

bool isUtf8Line(const char* line, std::size_t length, bool cut) {
  const std::size_t malformed = firstMalformedByte(line, length);
  if (malformed == length) {
    return true;
  }
  // A line cut at the line limit may end in the first bytes of a character: no fault.
  return cut && length - malformed < 4 && static_cast<unsigned char>(line[malformed]) >= 0xC2;
}

std::size_t convertWindows1252(const char* text, std::size_t length, char* out, std::size_t room) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < length; ++i) {
    std::array<char, 4> encoded;
    const std::size_t size =
        encodeUtf8(windows1252Point(static_cast<unsigned char>(text[i])), encoded.data());
    if (bytes + size >= room) {
      break;
    }
    std::memcpy(out + bytes, encoded.data(), size);
    bytes += size;
  }
  out[bytes] = '\0';
  return bytes;
}

void trimNoBreakSpacesOf(Field& field) {
  const char* text = field.text.data();
  std::size_t start = 0;
  std::size_t end = field.length;
  // A name that is not UTF-8 is read as Windows-1252, where these bytes are other letters; its
  // no-break spaces are dropped once it is converted.
  if (firstMalformedByte(text, end) != end) {
    return;
  }
  const auto noBreakSpaceAt = [&](std::size_t at) {
    return end - start >= 2 && text[at] == '\xC2' && text[at + 1] == '\xA0';
  };
  for (;;) {
    if (end > start && text[start] == ' ') {
      ++start;
    } else if (noBreakSpaceAt(start)) {
      start += 2;
    } else if (end > start && text[end - 1] == ' ') {
      --end;
    } else if (noBreakSpaceAt(end - 2)) {
      end -= 2;
    } else {
      break;
    }
  }
  std::memmove(field.text.data(), text + start, end - start);
  field.text[end - start] = '\0';
  field.length = end - start;
  field.kept = field.length;
}

void convertNonUtf8Line(ParsedLine& parsed, const char* line, std::size_t length, bool cut,
                        ListEncoding& encoding) {
  if (isUtf8Line(line, length, cut)) {
    return;
  }
  if (!encoding.windows1252Said) {
    encoding.windows1252Said = true;
    message(MessageKind::info, parsed.line, "List %s is not UTF-8 text; it is read as Windows-1252",
            inputFileNameText());
  }
  convertWindows1252(line, length, encoding.line.data(), encoding.line.size());
  parsed.text = encoding.line.data();
  convertField(parsed.name, true);
  convertField(parsed.second, false);
  if (parsed.kind == LineKind::related) {
    convertField(parsed.third, true);
  }
  convertMessages(parsed.messages, encoding.messages);
}

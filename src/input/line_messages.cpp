#include "input/line_messages.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Room for needed items in an array that doubles when full; false when no memory was left.
template <typename Item>
bool reserve(Item*& array, std::size_t& room, std::size_t needed, std::size_t first) {
  if (needed <= room) {
    return true;
  }
  std::size_t grown = room == 0 ? first : room;
  while (grown < needed) {
    if (grown > SIZE_MAX / 2 / sizeof(Item)) {
      return false;
    }
    grown *= 2;
  }
  void* moved = std::realloc(static_cast<void*>(array), grown * sizeof(Item));
  if (moved == nullptr) {
    return false;
  }
  array = static_cast<Item*>(moved);
  room = grown;
  return true;
}

}  // namespace

void releaseLineMessages(LineMessages& messages) {
  std::free(static_cast<void*>(messages.entries));
  std::free(messages.texts);
  messages.entries = nullptr;
  messages.texts = nullptr;
  messages.entryRoom = 0;
  messages.textRoom = 0;
  messages.clear();
}

void noteMessage(LineMessages& messages, MessageKind kind, long line, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  noteMessageV(messages, kind, line, format, arguments);
  va_end(arguments);
}

namespace {

// Where a kept message's line starts in the texts and where its text goes.
struct KeptLine {
  std::size_t head;
  std::size_t placeLength;
  std::size_t offset;
};

// Room for the longest head and text the channel writes at the end of the texts, and the head
// written there, so that the line is composed once, in place; false when no memory was left.
bool beginKeptLine(LineMessages& messages, MessageKind kind, long line, KeptLine& kept) {
  ++messages.raised;
  if (!reserve(messages.entries, messages.entryRoom, messages.count + 1, 8) ||
      !reserve(messages.texts, messages.textRoom,
               messages.used + kMessageHeadSize + kMessageLineSize, 4 * kMessageLineSize)) {
    messages.lostLine = line;
    return false;
  }
  kept.head = messages.used;
  kept.offset =
      kept.head + composeMessageHead(messages.texts + kept.head, kind, line, kept.placeLength);
  return true;
}

void endKeptLine(LineMessages& messages, MessageKind kind, long line, const KeptLine& kept,
                 std::size_t length) {
  messages.entries[messages.count++] =
      LineMessages::Entry{ kind, line, kept.offset, length, kept.head, kept.placeLength };
  messages.used = kept.offset + length + 1;
}

}  // namespace

void noteMessageV(LineMessages& messages, MessageKind kind, long line, const char* format,
                  std::va_list arguments) {
  KeptLine kept{};
  if (beginKeptLine(messages, kind, line, kept)) {
    // As the channel composes: a format error leaves the text empty, a longer text is cut, and
    // no terminal escape from the line gets through.
    endKeptLine(messages, kind, line, kept,
                composeText(messages.texts + kept.offset, kMessageLineSize, format, arguments));
  }
}

void noteSplitMessage(LineMessages& messages, MessageKind kind, long line,
                      const SplitFormat& format, const char* string) {
  KeptLine kept{};
  if (beginKeptLine(messages, kind, line, kept)) {
    endKeptLine(messages, kind, line, kept,
                composeSplitText(messages.texts + kept.offset, kMessageLineSize, format, string));
  }
}

void emitLineMessages(const LineMessages& messages) {
  for (std::size_t i = 0; i < messages.count; ++i) {
    const LineMessages::Entry& entry = messages.entries[i];
    // The text's terminator is its line's line feed while the line is written.
    char* const end = messages.texts + entry.offset + entry.length;
    *end = '\n';
    writeComposedMessage(entry.kind, messages.texts + entry.head, entry.placeLength,
                         entry.offset - entry.head, entry.offset + entry.length + 1 - entry.head);
    *end = '\0';
  }
  // Dropping them silently could let a run with errors end as if it had none.
  if (messages.raised > messages.count) {
    message(MessageKind::error, messages.lostLine,
            "Not every message of this line could be kept: no memory was left");
  }
}

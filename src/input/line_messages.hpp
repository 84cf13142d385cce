#ifndef QUORVA_INPUT_LINE_MESSAGES_HPP
#define QUORVA_INPUT_LINE_MESSAGES_HPP

#include <cstdarg>
#include <cstddef>

#include "output/message_channel.hpp"

/// The messages a parser raised for one line, in order, each composed as the channel composes
/// it (cut to 511 characters) after the head of its message line (place and prefix), so that
/// emitting it is one write, kept until the reader emits them. The caller owns it and reuses
/// it line after line: its room grows with its contents and is kept until releaseLineMessages, so
/// a line allocates nothing once it has grown, and a line without a message costs only clear().
/// It has no destructor, so that its owner's frame needs no unwinding of its own.
struct LineMessages {
  /// One message: its kind, its line number (0 for none), where its text starts in texts and
  /// its length, where its message line starts (the head before the text) and the length of the
  /// place that begins the head.
  struct Entry {
    MessageKind kind;
    long line;
    std::size_t offset;
    std::size_t length;
    std::size_t head;
    std::size_t placeLength;
  };
  Entry* entries = nullptr;
  std::size_t count = 0;   ///< messages kept
  std::size_t raised = 0;  ///< messages noted: more than count when no memory was left for one
  long lostLine = 0;       ///< the line number of the last message that could not be kept
  std::size_t entryRoom = 0;
  char* texts = nullptr;  ///< the message lines, each text with its terminator
  std::size_t used = 0;   ///< bytes of texts in use
  std::size_t textRoom = 0;

  LineMessages() = default;
  LineMessages(const LineMessages&) = delete;
  LineMessages& operator=(const LineMessages&) = delete;

  /// Forgets the messages, keeping the room they took.
  void clear() {
    count = 0;
    raised = 0;
    used = 0;
  }
  bool empty() const { return raised == 0; }
  /// The text of the message at index (below count).
  const char* text(std::size_t index) const { return texts + entries[index].offset; }
};

/// Frees the room of the messages, which are forgotten.
void releaseLineMessages(LineMessages& messages);
/// Composes a message printf-style and keeps it after the others.
void noteMessage(LineMessages& messages, MessageKind kind, long line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
/// noteMessage for a caller that holds the arguments as a va_list.
void noteMessageV(LineMessages& messages, MessageKind kind, long line, const char* format,
                  std::va_list arguments) __attribute__((format(printf, 4, 0)));
/// noteMessage for a format split where it is compiled (a message raised line after line).
void noteSplitMessage(LineMessages& messages, MessageKind kind, long line,
                      const SplitFormat& format, const char* string);
/// Writes the messages to the channel in order, each as message() writes it, and an error for
/// messages that could not be kept.
void emitLineMessages(const LineMessages& messages);

#endif

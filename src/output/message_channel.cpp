#include "output/message_channel.hpp"

#include <unistd.h>

#include <climits>
#include <cstdarg>
#include <cstring>

std::array<char, kMessageLineSize> messageLine{};
int verbosityLevel = 0;
std::FILE* reportFile = nullptr;
int infoCount = 0;
int warningCount = 0;
int errorCount = 0;

namespace {

constexpr int kMessageKindCount = 7;

constexpr std::array<const char*, kMessageKindCount> messageKindNames = {
  "!",        "! Argument-Issue:",        "! INFO:", "% WARNING:",
  "? ERROR:", "? ERROR in calculations:", "? BUG:",
};

MessageKind currentMessageKind = MessageKind::plain;
std::FILE* consoleSink = nullptr;
std::array<char, kInputFileNameSize> inputFileName{};

// Buffers far larger than stdio's own (a disk block), so that a run with many messages reaches
// a file or pipe in few system calls. A terminal stays line buffered: its reader sees each line
// as it comes.
constexpr std::size_t kOutputBufferSize = std::size_t{ 64 } * 1024;
std::array<char, kOutputBufferSize> consoleBuffer;
std::array<char, kOutputBufferSize> reportBuffer;

int bufferMode(std::FILE* stream) noexcept {
  const int descriptor = fileno(stream);
  return descriptor >= 0 && isatty(descriptor) != 0 ? _IOLBF : _IOFBF;
}

std::FILE* console() { return consoleSink != nullptr ? consoleSink : stdout; }

// Both outputs take the same bytes; a failed write is left for the end of the run to notice
// (ferror on the stream), so nothing here checks results.
void writeBoth(const char* text) {
  std::fputs(text, console());
  if (reportFile != nullptr) {
    std::fputs(text, reportFile);
  }
}

// The place of a message, "%s:%ld " with the list's name and the line number, and a prefix
// followed by its blank, "%s ", written without printf: a list with a problem on every line
// brings a message for each of its lines.
void writePlace(std::FILE* stream, long line) {
  std::array<char, 24> digits{};  // a long's digits and sign
  auto magnitude = static_cast<unsigned long>(line);
  if (line < 0) {
    magnitude = 0UL - magnitude;
  }
  std::size_t start = digits.size();
  do {
    digits[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (line < 0) {
    digits[--start] = '-';
  }
  std::fputs(inputFileName.data(), stream);
  std::fputc(':', stream);
  std::fwrite(digits.data() + start, 1, digits.size() - start, stream);
  std::fputc(' ', stream);
}

void writeWithBlank(std::FILE* stream, const char* text) {
  std::fputs(text, stream);
  std::fputc(' ', stream);
}

// A C1 control (U+0080 to U+009F) as UTF-8: 0xC2 and a second byte of 0x80 to 0x9F.
bool isC1Control(const char* at) {
  return static_cast<unsigned char>(at[0]) == 0xC2 && static_cast<unsigned char>(at[1]) >= 0x80 &&
         static_cast<unsigned char>(at[1]) <= 0x9F;
}

bool isNeutralized(const char* at, bool keepLineEnds) {
  const auto byte = static_cast<unsigned char>(*at);
  if (byte == '\t' || (keepLineEnds && byte == '\n')) {
    return false;
  }
  // A CR that ends a quoted line is the CR of a CR LF list, as the line was written.
  if (keepLineEnds && byte == '\r' && (at[1] == '\n' || at[1] == '\0')) {
    return false;
  }
  return byte < 0x20 || byte == 0x7F || isC1Control(at);  // NUL ends the text: never here
}

}  // namespace

void neutralizeControls(char* text, bool keepLineEnds) {
  char* to = text;
  for (const char* from = text; *from != '\0'; ++from) {
    if (!isNeutralized(from, keepLineEnds)) {
      *to++ = *from;
      continue;
    }
    // One mark for the two bytes of a C1 control; looked at before the mark overwrites them.
    const bool twoBytes = isC1Control(from);
    *to++ = '?';
    from += twoBytes ? 1 : 0;
  }
  *to = '\0';
}

namespace {

// A tally stops at the largest int instead of wrapping: a list of some billions of bad lines
// would otherwise turn errorCount negative and end a failed run with status 0.
void raiseTally(int& tally) {
  if (tally < INT_MAX) {
    ++tally;
  }
}

// Composes into messageLine from a va_list; a format error leaves it empty.
void composeLineV(const char* format, std::va_list arguments) {
  // vsnprintf never writes past the buffer and always terminates it, so a longer text is cut
  // to its first 511 characters.
  if (std::vsnprintf(messageLine.data(), messageLine.size(), format, arguments) < 0) {
    messageLine[0] = '\0';
  }
  neutralizeControls(messageLine.data(), true);
}

}  // namespace

const char* composeLine(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  composeLineV(format, arguments);
  va_end(arguments);
  return messageLine.data();
}

void message(MessageKind kind, long line, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  composeLineV(format, arguments);
  va_end(arguments);
  beginMessage(kind, line);
  writeBoth(messageLine.data());
  endLine();
}

void messageMore(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  composeLineV(format, arguments);
  va_end(arguments);
  emitKindText(messageLine.data());
  endLine();
}

void reportText(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  composeLineV(format, arguments);
  va_end(arguments);
  writeReport(messageLine.data());
}

void setConsoleSink(std::FILE* sink) { consoleSink = sink; }

void writeConsole(const char* text) { std::fputs(text, console()); }

std::FILE* consoleStream() { return console(); }

bool setVerbosity(long level) {
  if (level < 0 || level > kMaxVerbosity) {
    return false;
  }
  verbosityLevel = static_cast<int>(level);
  return true;
}

void beginMessage(MessageKind kind, long line) {
  currentMessageKind = kind;
  switch (kind) {
    case MessageKind::info:
      raiseTally(infoCount);
      break;
    case MessageKind::warning:
      raiseTally(warningCount);
      break;
    case MessageKind::error:
    case MessageKind::calculationError:
      raiseTally(errorCount);
      break;
    default:
      break;
  }
  const char* prefix = messageKindName(kind);
  if (line != 0) {
    writePlace(console(), line);
  }
  writeWithBlank(console(), prefix);
  if (reportFile != nullptr) {
    // The report file's copy of a line-numbered message carries the place instead of the kind.
    if (line != 0) {
      writePlace(reportFile, line);
    } else {
      writeWithBlank(reportFile, prefix);
    }
  }
}

void beginPlain() { beginMessage(MessageKind::plain, 0); }
void beginArgumentIssue() { beginMessage(MessageKind::argumentIssue, 0); }
void beginInfo(long line) { beginMessage(MessageKind::info, line); }
void beginWarning(long line) { beginMessage(MessageKind::warning, line); }
void beginError(long line) { beginMessage(MessageKind::error, line); }
void beginCalculationError() { beginMessage(MessageKind::calculationError, 0); }
void beginBug(long line) { beginMessage(MessageKind::bug, line); }

void emitText(const char* text) {
  if (text == nullptr) {
    return;
  }
  writeBoth(text);
}

void emitKindText(const char* text) {
  if (text == nullptr) {
    return;
  }
  const char* prefix = messageKindName(currentMessageKind);
  writeWithBlank(console(), prefix);
  std::fputs(text, console());
  if (reportFile != nullptr) {
    writeWithBlank(reportFile, prefix);
    std::fputs(text, reportFile);
  }
}

void endLine() { writeBoth("\n"); }

void writeReport(const char* text) {
  if (text == nullptr) {
    return;
  }
  std::fputs(text, reportFile != nullptr ? reportFile : console());
}

void setInputFileName(const char* name) {
  if (name == nullptr) {
    inputFileName[0] = '\0';
    return;
  }
  std::size_t length = std::strlen(name);
  if (length > kInputFileNameSize - 1) {
    length = kInputFileNameSize - 1;
  }
  std::memcpy(inputFileName.data(), name, length);
  inputFileName[length] = '\0';
  neutralizeControls(inputFileName.data(), false);
}

void useConsoleBuffer() {
  std::setvbuf(stdout, consoleBuffer.data(), bufferMode(stdout), consoleBuffer.size());
}

const char* inputFileNameText() { return inputFileName.data(); }

void useReportBuffer(std::FILE* file) {
  if (file != nullptr) {
    std::setvbuf(file, reportBuffer.data(), bufferMode(file), reportBuffer.size());
  }
}

const char* messageKindName(MessageKind kind) {
  const int code = static_cast<int>(kind);
  if (code < 0 || code >= kMessageKindCount) {
    return "";
  }
  return messageKindNames[static_cast<std::size_t>(code)];
}

void resetMessageChannel() {
  messageLine[0] = '\0';
  verbosityLevel = 0;
  infoCount = 0;
  warningCount = 0;
  errorCount = 0;
  currentMessageKind = MessageKind::plain;
  inputFileName[0] = '\0';
}

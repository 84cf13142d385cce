#include "output/message_channel.hpp"

#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdarg>
#include <cstring>
#include <string_view>

std::array<char, kMessageLineSize> messageLine{};
int verbosityLevel = 0;
std::FILE* reportFile = nullptr;
int infoCount = 0;
int warningCount = 0;
int errorCount = 0;

namespace {

constexpr int kMessageKindCount = 7;

constexpr std::array<std::string_view, kMessageKindCount> messageKindNames = {
  "!",        "! Argument-Issue:",        "! INFO:", "% WARNING:",
  "? ERROR:", "? ERROR in calculations:", "? BUG:",
};

// The prefix of a kind; empty (but a string) for a value outside the enumeration.
std::string_view kindNameOf(MessageKind kind) {
  const int code = static_cast<int>(kind);
  return code >= 0 && code < kMessageKindCount ? messageKindNames[static_cast<std::size_t>(code)]
                                               : std::string_view("");
}

// Each prefix followed by its blank, in room of one size, and the length of the two; the last
// one, a lone blank, for a value outside the enumeration.
constexpr std::size_t kPaddedPrefixSize = 32;
struct PaddedPrefix {
  std::array<char, kPaddedPrefixSize> bytes;
  std::size_t length;
};
constexpr std::array<PaddedPrefix, kMessageKindCount + 1> makePaddedPrefixes() {
  std::array<PaddedPrefix, kMessageKindCount + 1> padded{};
  for (std::size_t kind = 0; kind < padded.size(); ++kind) {
    const std::string_view prefix =
        kind < messageKindNames.size() ? messageKindNames[kind] : std::string_view();
    for (std::size_t i = 0; i < prefix.size(); ++i) {
      padded[kind].bytes[i] = prefix[i];
    }
    padded[kind].bytes[prefix.size()] = ' ';
    padded[kind].length = prefix.size() + 1;
  }
  return padded;
}
constexpr std::array<PaddedPrefix, kMessageKindCount + 1> kPaddedPrefixes = makePaddedPrefixes();

// The padded prefix of a kind, as kindNameOf gives it.
const PaddedPrefix& paddedPrefixOf(MessageKind kind) {
  const int code = static_cast<int>(kind);
  return kPaddedPrefixes[code >= 0 && code < kMessageKindCount ? static_cast<std::size_t>(code)
                                                               : kMessageKindCount];
}

MessageKind currentMessageKind = MessageKind::plain;
std::FILE* consoleSink = nullptr;
std::array<char, kInputFileNameSize> inputFileName{};
std::size_t inputFileNameLength = 0;  // kept, since every line-numbered message copies the name

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

// Writes count bytes to stream. The program writes from one thread, so glibc's stream lock is
// left out: a message for every line of a list would take and give it back every time.
void writeBytes(const char* bytes, std::size_t count, std::FILE* stream) {
#if defined(__GLIBC__)
  fwrite_unlocked(bytes, 1, count, stream);
#else
  std::fwrite(bytes, 1, count, stream);
#endif
}

// Both outputs take the same bytes; a failed write is left for the end of the run to notice
// (ferror on the stream), so nothing here checks results.
void writeBoth(const char* text) {
  std::fputs(text, console());
  if (reportFile != nullptr) {
    std::fputs(text, reportFile);
  }
}

// The place of a message, "%s:%ld " with the list's name and the line number, written without
// printf: a list with a problem on every line brings a message for each of its lines. Returns
// the characters written into place, which has room for kPlaceSize.
constexpr std::size_t kPlaceSize = kInputFileNameSize + 24;  // the name, ':', a long, ' '
constexpr std::size_t kLongDigits = 24;                      // a long's digits and sign
std::size_t placeText(char* place, long line) {
  // The digits end kLongDigits into digits, so that a copy of a fixed kLongDigits bytes from
  // their start stays inside it: a copy of known size is a few moves, not a call.
  std::array<char, 2 * kLongDigits> digits{};
  auto magnitude = static_cast<unsigned long>(line);
  if (line < 0) {
    magnitude = 0UL - magnitude;
  }
  std::size_t start = kLongDigits;
  // Two digits at a time from a table: the place is written for every message.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (magnitude >= 100) {
    const std::size_t pair = static_cast<std::size_t>(magnitude % 100) * 2;
    magnitude /= 100;
    digits[--start] = kPairs[pair + 1];
    digits[--start] = kPairs[pair];
  }
  if (magnitude >= 10) {
    const std::size_t pair = static_cast<std::size_t>(magnitude) * 2;
    digits[--start] = kPairs[pair + 1];
    digits[--start] = kPairs[pair];
  } else {
    digits[--start] = static_cast<char>('0' + magnitude);
  }
  if (line < 0) {
    digits[--start] = '-';
  }
  std::size_t length = inputFileNameLength;
  std::memcpy(place, inputFileName.data(), length);
  place[length++] = ':';
  std::memcpy(place + length, digits.data() + start, kLongDigits);
  length += kLongDigits - start;
  place[length++] = ' ';
  return length;
}

void writePlace(std::FILE* stream, long line) {
  std::array<char, kPlaceSize + kLongDigits> place{};
  std::fwrite(place.data(), 1, placeText(place.data(), line), stream);
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
  // Nearly every text holds no control at all: find the first one before rewriting anything.
  char* at = text;
  while (*at != '\0' && !isNeutralized(at, keepLineEnds)) {
    ++at;
  }
  char* to = at;
  for (const char* from = at; *from != '\0'; ++from) {
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

// Appends count characters of from to text[length...] within room; returns the new length.
std::size_t appendCut(char* text, std::size_t room, std::size_t length, const char* from,
                      std::size_t count) {
  const std::size_t taken = count < room - length ? count : room - length;
  std::memcpy(text + length, from, taken);
  return length + taken;
}

// A format with a conversion other than a plain %s or %%, which joinStrings leaves to vsnprintf.
constexpr std::size_t kNotJoined = SIZE_MAX;

// The first '%' of text, or its terminator: one scan of the format, where strchr would need a
// strlen after it.
const char* markOrEnd(const char* text) {
#if defined(__GLIBC__)
  return strchrnul(text, '%');
#else
  const char* mark = std::strchr(text, '%');
  return mark != nullptr ? mark : text + std::strlen(text);
#endif
}

// What vsnprintf writes for a format whose every conversion is a plain %s or %%, a null string
// too, at a tenth of its cost (most messages about a list's lines are such texts); returns the
// length written, or kNotJoined for any other format.
std::size_t joinStrings(char* text, std::size_t size, const char* format, std::va_list arguments) {
  const std::size_t room = size - 1;
  std::size_t length = 0;
  for (const char* from = format;;) {
    const char* mark = markOrEnd(from);
    length = appendCut(text, room, length, from, static_cast<std::size_t>(mark - from));
    if (*mark == '\0') {
      break;
    }
    if (mark[1] == '%') {
      length = appendCut(text, room, length, "%", 1);
    } else if (mark[1] != 's') {
      return kNotJoined;
    } else {
      const char* string = va_arg(arguments, const char*);
      string = string != nullptr ? string : "(null)";
      length = appendCut(text, room, length, string, std::strlen(string));
    }
    from = mark + 2;
  }
  text[length] = '\0';
  return length;
}

// True when some byte of text[0, length) may begin what neutralizeControls rewrites: a
// control, DEL, or 0xC2 (the first byte of a C1 control). Many bytes at a time, since every
// message passes here; a false alarm only costs the exact rewrite.
bool mayHoldControls(const char* text, std::size_t length) {
  std::size_t at = 0;
#if defined(__SSE2__)
  if (length >= 16) {
    const __m128i highestControl = _mm_set1_epi8(0x1F);
    const __m128i del = _mm_set1_epi8(0x7F);
    const __m128i c2 = _mm_set1_epi8(static_cast<char>(0xC2));
    // The last sixteen bytes are looked at from the end, so no byte is left for a slower loop.
    for (std::size_t next = 0;; next += 16) {
      at = next + 16 <= length ? next : length - 16;
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
      const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(bytes, highestControl), bytes);
      const __m128i other = _mm_or_si128(_mm_cmpeq_epi8(bytes, del), _mm_cmpeq_epi8(bytes, c2));
      if (_mm_movemask_epi8(_mm_or_si128(control, other)) != 0) {
        return true;
      }
      if (at + 16 == length) {
        return false;
      }
    }
  }
#else
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  for (; at + 8 <= length; at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text + at, sizeof word);
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    const std::uint64_t c2 = word ^ (kOnes * 0xC2);
    // A byte below 0x20 of word, or a zero byte of del or c2, sets its high bit here (a byte
    // with its own high bit set is masked out, except where a borrow reaches it: a false alarm).
    const std::uint64_t found = (((word - kOnes * 0x20) & ~word) | ((del - kOnes) & ~del) |
                                 ((c2 - kOnes) & ~c2)) &
                                kHighs;
    if (found != 0) {
      return true;
    }
  }
#endif
  for (; at < length; ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7F || byte == 0xC2) {
      return true;
    }
  }
  return false;
}

// The length of text[0, length) once neutralized, when its bytes from from on may hold what
// neutralizeControls rewrites (the bytes before from are known to hold none).
std::size_t neutralizedLength(char* text, std::size_t from, std::size_t length) {
  if (!mayHoldControls(text + from, length - from)) {
    return length;
  }
  neutralizeControls(text, true);
  return std::strlen(text);  // a C1 control's two bytes became one mark
}

}  // namespace

std::size_t composeText(char* text, std::size_t size, const char* format,
                        std::va_list arguments) {
  std::va_list joined;
  va_copy(joined, arguments);
  std::size_t length = joinStrings(text, size, format, joined);
  va_end(joined);
  if (length == kNotJoined) {
    // vsnprintf never writes past the buffer and always terminates it, so a longer text is cut
    // to its first size - 1 characters; a format error leaves it empty.
    const int written = std::vsnprintf(text, size, format, arguments);
    if (written < 0) {
      text[0] = '\0';
    }
    length = written < 0 ? 0 : std::min(static_cast<std::size_t>(written), size - 1);
  }
  return neutralizedLength(text, 0, length);
}

std::size_t composeSplitText(char* text, std::size_t size, const SplitFormat& format,
                             const char* string) {
  string = string != nullptr ? string : "(null)";
  const std::size_t room = size - 1;
  std::size_t length = appendCut(text, room, 0, format.before.data(), format.before.size());
  const std::size_t stringStart = length;
  length = appendCut(text, room, length, string, std::strlen(string));
  length = appendCut(text, room, length, format.after.data(), format.after.size());
  text[length] = '\0';
  // The format's pieces hold nothing to neutralize: the string's bytes are looked at, with as
  // many of the text's bytes before them as make sixteen, the most that is looked at at once.
  const std::size_t shortOf = length - stringStart < 16 ? 16 - (length - stringStart) : 0;
  return neutralizedLength(text, stringStart > shortOf ? stringStart - shortOf : 0, length);
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
  composeText(messageLine.data(), messageLine.size(), format, arguments);
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
  writeMessage(kind, line, messageLine.data());
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

namespace {

void countMessage(MessageKind kind) {
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
}

}  // namespace

void writeMessage(MessageKind kind, long line, const char* text) {
  writeMessageOfLength(kind, line, text, std::strlen(text));
}

static_assert(kPlaceSize + kLongDigits + kPaddedPrefixSize <= kMessageHeadSize,
              "a message head has room for the place, the copies of known size and the prefix");

std::size_t composeMessageHead(char* head, MessageKind kind, long line,
                               std::size_t& placeLength) {
  placeLength = line != 0 ? placeText(head, line) : 0;
  // The prefix and its blank as a copy of known size from a padded table: a few moves, not a
  // call. The bytes past the blank are overwritten by the text.
  const PaddedPrefix& prefix = paddedPrefixOf(kind);
  std::memcpy(head + placeLength, prefix.bytes.data(), kPaddedPrefixSize);
  return placeLength + prefix.length;
}

void writeComposedMessage(MessageKind kind, const char* whole, std::size_t placeLength,
                          std::size_t textStart, std::size_t end) {
  countMessage(kind);
  // The place, the prefix and its blank, the text and the line end, each output's in one call:
  // a list with a problem on every line writes a message for each of them.
  writeBytes(whole, end, console());
  if (reportFile != nullptr) {
    // The report file's copy of a line-numbered message carries the place instead of the kind.
    if (placeLength != 0) {
      writeBytes(whole, placeLength, reportFile);
      writeBytes(whole + textStart, end - textStart, reportFile);
    } else {
      writeBytes(whole, end, reportFile);
    }
  }
}

void writeMessageOfLength(MessageKind kind, long line, const char* text, std::size_t length) {
  std::array<char, kMessageHeadSize + kMessageLineSize> whole;
  std::size_t placeLength = 0;
  const std::size_t textStart = composeMessageHead(whole.data(), kind, line, placeLength);
  const std::size_t textLength = length < kMessageLineSize ? length : kMessageLineSize - 1;
  std::memcpy(whole.data() + textStart, text, textLength);
  const std::size_t end = textStart + textLength;
  whole[end] = '\n';
  writeComposedMessage(kind, whole.data(), placeLength, textStart, end + 1);
}

void beginMessage(MessageKind kind, long line) {
  countMessage(kind);
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
    inputFileNameLength = 0;
    return;
  }
  std::size_t length = std::strlen(name);
  if (length > kInputFileNameSize - 1) {
    length = kInputFileNameSize - 1;
  }
  std::memcpy(inputFileName.data(), name, length);
  inputFileName[length] = '\0';
  neutralizeControls(inputFileName.data(), false);
  inputFileNameLength = std::strlen(inputFileName.data());
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

const char* messageKindName(MessageKind kind) { return kindNameOf(kind).data(); }

void resetMessageChannel() {
  messageLine[0] = '\0';
  verbosityLevel = 0;
  infoCount = 0;
  warningCount = 0;
  errorCount = 0;
  currentMessageKind = MessageKind::plain;
  inputFileName[0] = '\0';
  inputFileNameLength = 0;
}

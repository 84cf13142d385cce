#ifndef QUORVA_OUTPUT_MESSAGE_CHANNEL_HPP
#define QUORVA_OUTPUT_MESSAGE_CHANNEL_HPP

#include <array>
#include <cstdarg>
#include <cstdio>
#include <string_view>

/// The kind of a message; the code decides the prefix and the tally.
enum class MessageKind : int {
  plain = 0,             ///< "!"
  argumentIssue = 1,     ///< "! Argument-Issue:"
  info = 2,              ///< "! INFO:", counted in infoCount
  warning = 3,           ///< "% WARNING:", counted in warningCount
  error = 4,             ///< "? ERROR:", counted in errorCount
  calculationError = 5,  ///< "? ERROR in calculations:", counted in errorCount
  bug = 6,               ///< "? BUG:", not counted
};

/// Size of the shared composition buffer: 511 characters and the terminator.
constexpr std::size_t kMessageLineSize = 512;
/// Size of the stored input file name: 255 characters and the terminator.
constexpr std::size_t kInputFileNameSize = 256;

/// The one shared composition buffer: compose a text, emit it, before composing the next.
extern std::array<char, kMessageLineSize> messageLine;
/// 0 to 4: how much optional detail the report sections print.
extern int verbosityLevel;
/// The highest verbosity level.
constexpr long kMaxVerbosity = 4;
/// Stores level 0 to kMaxVerbosity in verbosityLevel; false (level unchanged) otherwise.
bool setVerbosity(long level);
/// The report file opened by -o, or nullptr.
extern std::FILE* reportFile;
/// Tallies of the messages begun, by kind.
extern int infoCount;
extern int warningCount;
extern int errorCount;

/// Rewrites text in place so that no terminal escape can come from a list or a file name: each
/// byte 0x01 to 0x1F but TAB, each 0x7F and each U+0080 to U+009F becomes '?'. keepLineEnds
/// keeps LF (a message's own line breaks) and a CR that ends the text or a line of it (the CR
/// of a CR LF list). Every composed message and report text goes through it.
void neutralizeControls(char* text, bool keepLineEnds);

/// Composes printf-style into text, which has room for size characters and the terminator:
/// cut to size - 1 characters, empty after a format error, a format without conversions copied
/// (with "%%" as "%"), and neutralized. What message and the parser's kept messages share.
/// Returns the length of the text.
std::size_t composeText(char* text, std::size_t size, const char* format,
                        std::va_list arguments);

/// A message format whose one conversion is a %s, split at it when the program is compiled: a
/// message raised for line after line of a list is joined from its pieces without a scan of the
/// format. Its own text holds no control, DEL or 0xC2 byte and no other conversion, so that the
/// joined text is the one composeText gives (valid() says so; check it with a static_assert).
struct SplitFormat {
  std::string_view before;
  std::string_view after;
  bool split;

  constexpr explicit SplitFormat(std::string_view format)
      : before(format.substr(0, format.find("%s"))),
        after(format.find("%s") == std::string_view::npos ? std::string_view()
                                                          : format.substr(format.find("%s") + 2)),
        split(format.find("%s") != std::string_view::npos) {}
  /// True when the format splits as it should: one %s, and pieces that composeText would copy
  /// unchanged.
  constexpr bool valid() const { return split && plain(before) && plain(after); }

 private:
  static constexpr bool plain(std::string_view piece) {
    // NOLINTNEXTLINE(readability-use-anyofallof): std::all_of is not constexpr before C++20
    for (const char ch : piece) {
      const auto byte = static_cast<unsigned char>(ch);
      if (byte < 0x20 || byte == 0x7F || byte == 0xC2 || ch == '%') {
        return false;
      }
    }
    return true;
  }
};

/// composeText for a split format and its string (nullptr as "(null)"): the same text.
std::size_t composeSplitText(char* text, std::size_t size, const SplitFormat& format,
                             const char* string);

/// Composes printf-style into messageLine, cut to its first 511 characters; returns messageLine.
const char* composeLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// One whole message line: the kind's prefix (and, when line is not 0, the list's name and the
/// line number), the text composed printf-style into messageLine (cut to 511 characters), and the
/// end of the line. The kind's tally is raised.
void message(MessageKind kind, long line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
/// message() for a text composed already (at most 511 characters are written): the kind's
/// tally, the place when line is not 0, the prefix, the text and the line end.
void writeMessage(MessageKind kind, long line, const char* text);
/// writeMessage for a text whose length is known.
void writeMessageOfLength(MessageKind kind, long line, const char* text, std::size_t length);
/// Room for the head of a message line and what writing it may touch past its end.
constexpr std::size_t kMessageHeadSize = kInputFileNameSize + 96;
/// Writes the head of a message line into head (room for kMessageHeadSize): the place when
/// line is not 0 (the list's name, ':', the line number, a blank), then the kind's prefix and a
/// blank. Returns the head's length, where the text goes; placeLength gets the place's length.
std::size_t composeMessageHead(char* head, MessageKind kind, long line, std::size_t& placeLength);
/// Writes a message line composed whole, whole[0, end): a head from composeMessageHead, the text
/// from textStart and its line feed. Does what writeMessageOfLength does after composing: the
/// kind's tally, the line to the console, and to the report file with the place (placeLength
/// bytes, 0 for none) in place of the prefix.
void writeComposedMessage(MessageKind kind, const char* whole, std::size_t placeLength,
                          std::size_t textStart, std::size_t end);
/// A further line of the last message: its kind's prefix, a blank, the composed text, the end of
/// the line. No tally is raised.
void messageMore(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// Report body text composed printf-style (the format carries its own newlines) and written as
/// writeReport writes it.
void reportText(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// Text to the console alone, unchanged: no prefix, not to the report file.
void writeConsole(const char* text);
/// The console stream (standard output, or the sink a test installed).
std::FILE* consoleStream();
/// Where console output goes: standard output unless a test installs another stream; nullptr
/// restores standard output.
void setConsoleSink(std::FILE* sink);

/// Starts a message: sets the current kind, raises its tally, writes the prefix (and, when line
/// is not 0, the file name and line number) to the console and the report file.
void beginMessage(MessageKind kind, long line);
void beginPlain();
void beginArgumentIssue();
void beginInfo(long line);
void beginWarning(long line);
void beginError(long line);
void beginCalculationError();
void beginBug(long line);

/// Writes text unchanged to the console and the report file; nullptr does nothing.
void emitText(const char* text);
/// Writes the current kind's prefix, a blank and text to both outputs; nullptr does nothing.
void emitKindText(const char* text);
/// Ends a line on both outputs.
void endLine();
/// Report body text: to the report file when one is open, otherwise to the console.
void writeReport(const char* text);
/// Names the list being read (cut to 255 characters); nullptr empties it.
void setInputFileName(const char* name);
/// Gives the console a large output buffer (line buffered on a terminal); must come before
/// anything is written to it, so main calls it first.
void useConsoleBuffer();
/// The name of the list being read, as stored by setInputFileName; "" outside reading.
const char* inputFileNameText();
/// Gives a report file just opened (nothing written to it yet) a large output buffer; one file
/// at a time, since the buffer is shared: the earlier report file must be closed first.
void useReportBuffer(std::FILE* file);
/// The prefix of a kind; "" for a code outside 0 to 6.
const char* messageKindName(MessageKind kind);

/// Returns the channel to its start state (tallies, kind, name, verbosity); leaves reportFile.
void resetMessageChannel();

#endif

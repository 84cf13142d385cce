#ifndef QUORVA_INPUT_LIST_BLOCKS_HPP
#define QUORVA_INPUT_LIST_BLOCKS_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "input/list_reader.hpp"
#include "input/list_records.hpp"
#include "output/byte_marks.hpp"

/// Of a line, only the first kLineLimit characters are parsed.
constexpr std::size_t kLineLimit = kLineLength - 1;
/// A list is read in blocks of this many characters.
constexpr std::size_t kReadBlockSize = std::size_t{ 64 } * 1024;

/// Bytes after the terminator that may be read (never used) by a scan of sixty-four at a time.
constexpr std::size_t kScanSlack = 64;

/// The block a list is read into: room for one block after an unfinished record carried over,
/// for a terminator after it, and for the slack of a scan. Only the list being read uses it.
extern std::array<char, kReadBlockSize + kMaxRecordText + 1 + kScanSlack> listBlock;

/// What makes a piece of a list not plain, besides a NUL and a CR of its own (one that is not
/// right before the line feed).
struct PlainRules {
  /// One more character that ends the plain part (a TAB in a comma-separated list); a line
  /// feed when there is none.
  char stop;
  /// A quotation mark after the third TAB, where a cell may open that goes on over the next
  /// lines (a tab-separated list's notes).
  bool quoteAfterThirdTab;
};
inline constexpr PlainRules kTabListRules{ '\n', true };
inline constexpr PlainRules kCommaListRules{ '\t', false };

/// The end of the plain line whose first stop (NUL, CR, LF or the rules' own) is at stop.
inline std::size_t endAtStop(const char* piece, std::size_t stop, std::size_t window) {
  if (piece[stop] == '\n') {
    return stop;
  }
  const bool crLf = piece[stop] == '\r' && stop + 1 < window && piece[stop + 1] == '\n';
  return crLf ? stop + 1 : window;
}

#if defined(__SSE2__)
/// Whether a quotation mark of the line [0, stop) stands after its third TAB.
bool hasQuoteAfterThirdTab(const char* piece, std::size_t stop);

/// Whether the line [0, stop) has fewer than three TABs: counted sixteen bytes at a time in one
/// register, each lane's count held at 255 so that none wraps.
inline bool hasFewerThanThreeTabs(const char* piece, std::size_t stop) {
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i one = _mm_set1_epi8(1);
  __m128i counts = _mm_setzero_si128();
  std::size_t at = 0;
  for (; at + 16 <= stop; at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(piece + at));
    counts = _mm_adds_epu8(counts, _mm_and_si128(_mm_cmpeq_epi8(bytes, tab), one));
  }
  const __m128i positions = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i inLine = _mm_cmplt_epi8(positions, _mm_set1_epi8(static_cast<char>(stop - at)));
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(piece + at));
  counts =
      _mm_adds_epu8(counts, _mm_and_si128(_mm_cmpeq_epi8(bytes, tab), _mm_and_si128(inLine, one)));
  const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
  return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4) < 3;
}

/// The bytes of the sixty-four at at that equal one of chars, as bits: bit i for at[i].
template <typename... Chars>
inline std::uint64_t marksOf64(const char* at, Chars... chars) {
  std::uint64_t marks = 0;
  for (std::size_t part = 0; part < 64; part += 16) {
    marks |= std::uint64_t{ marksOf(at + part, chars...) } << part;
  }
  return marks;
}

/// Whether the line [0, stop) has fewer than three TABs, for a stop in the first sixty-four
/// bytes: the TABs before it as bits, their lowest two cleared.
inline bool hasFewerThanThreeTabsIn64(const char* piece, std::uint64_t beforeStop) {
  std::uint64_t tabs = marksOf64(piece, '\t') & beforeStop;
  tabs &= tabs - 1;
  tabs &= tabs - 1;
  return tabs == 0;
}

/// plainLineEnd for a tab-separated list, sixty-four bytes at a time. Nearly every line ends
/// within its first sixty-four bytes, so the loop is left at once, where a scan of sixteen
/// bytes a step leaves it after one step or two or three as the lines' lengths vary, which the
/// processor cannot foresee.
inline std::size_t plainTabLineEnd(const char* piece, std::size_t window, char ruleStop) {
  bool quoted = false;
  for (std::size_t at = 0;; at += 64) {
    const std::uint64_t stops = marksOf64(piece + at, '\n', '\0', '\r', ruleStop);
    const std::uint64_t quotes = marksOf64(piece + at, '"');
    if (stops != 0) {
      const std::size_t stop = at + static_cast<std::size_t>(__builtin_ctzll(stops));
      // Only the line's own quotation marks count, not those of the lines after it.
      const std::uint64_t beforeStop = (stops & (0 - stops)) - 1;
      quoted = quoted || (quotes & beforeStop) != 0;
      // Most lines with a quotation mark (a quoted name or amount) have fewer than three TABs,
      // and are plain once they are counted, without a look for where the TABs are.
      if (quoted &&
          !(at == 0 ? hasFewerThanThreeTabsIn64(piece, beforeStop)
                    : hasFewerThanThreeTabs(piece, stop)) &&
          hasQuoteAfterThirdTab(piece, stop)) {
        return window;
      }
      return endAtStop(piece, stop, window);
    }
    quoted = quoted || quotes != 0;
  }
}

/// plainLineEnd for a comma-separated list, whose quotation marks are left to the reading of
/// its cells: sixteen bytes at a time, where the longer step of a tab-separated list measured
/// slower.
inline std::size_t plainCommaLineEnd(const char* piece, std::size_t window, char ruleStop) {
  for (std::size_t at = 0;; at += 16) {
    const unsigned stops = marksOf(piece + at, '\n', '\0', '\r', ruleStop);
    if (stops != 0) {
      return endAtStop(piece, at + static_cast<std::size_t>(__builtin_ctz(stops)), window);
    }
  }
}

/// The position of the line feed that ends the plain line at piece, or window when the line is
/// not plain within piece[0, window): its first NUL, CR, LF or rules.stop is an LF, or a CR
/// right before an LF, and (by the rules) no quotation mark stands after its third TAB.
/// piece[window] must be a NUL and kScanSlack bytes after it readable. Inline: a line is cut at
/// every line feed of the list, and this scan is most of the cost.
inline std::size_t plainLineEnd(const char* piece, std::size_t window, PlainRules rules) {
  return rules.quoteAfterThirdTab ? plainTabLineEnd(piece, window, rules.stop)
                                  : plainCommaLineEnd(piece, window, rules.stop);
}
#else
/// plainLineEnd where sixteen bytes cannot be compared at once.
std::size_t plainLineEnd(const char* piece, std::size_t window, PlainRules rules);
#endif
/// plainLineEnd one byte at a time: where sixteen bytes cannot be compared at once, and to check
/// the faster one against.
std::size_t plainLineEndByBytes(const char* piece, std::size_t window, PlainRules rules);

/// A list read in large blocks and cut into lines in place, rather than a system call's worth of
/// text at a time through fgets. A line is everything before its line feed (or before the end of
/// the file), however long: lines are numbered as an editor numbers them. Of a longer line only
/// the first kLineLimit characters are given; the rest is passed over, never given as a line of
/// its own. A read error drops the unfinished line. The reader of a list is a local value, so
/// that the compiler may keep its fields in registers while the lines are parsed.
struct ListBlocks {
  std::FILE* file;
  std::size_t start;  ///< first character of the next line
  std::size_t end;    ///< one past the last character read
  bool atEnd;         ///< nothing more will come from the file
  bool failed;        ///< a read error ended the list early
  int readError;      ///< errno of that read error
  /// The character that a terminator replaced in the block while a line was parsed.
  char* terminator;
  char replaced;
  std::size_t pieceLength;
  bool plainPiece;  ///< the last piece is plain by plainRules (see plainLineEnd)
  std::size_t lineLimit;   ///< of a line, only the first lineLimit characters are given
  PlainRules plainRules;   ///< what makes a piece not plain, by the list
  bool longLine;           ///< the line goes on past the piece: skipRest passes over the rest
  unsigned long refills;   ///< times the block was filled: offsets into it change then

  /// The next line, cut to kLineLimit characters and zero-terminated in place without its line
  /// feed; nullptr at the end.
  char* nextPiece() {
    longLine = false;
    for (;;) {
      char* piece = listBlock.data() + start;
      const std::size_t available = end - start;
      // The longest line kept whole and its line feed.
      const std::size_t window = available < lineLimit + 1 ? available : lineLimit + 1;
      // Most lines: one scan, bounded by a terminator put at the end of the window for it,
      // finds the line feed and shows that the line is plain. A line that ends in CR LF is
      // plain too, cut at its line feed with the CR kept, as the longer way cuts it: exports
      // from Windows end every line so.
      const char atWindowEnd = piece[window];
      piece[window] = '\0';
      const std::size_t lineEnd = plainLineEnd(piece, window, plainRules);
      piece[window] = atWindowEnd;
      plainPiece = lineEnd < window;
      if (plainPiece) {
        pieceLength = lineEnd + 1;
        return cut(piece, piece + lineEnd);
      }
      if (char* unplain = nextUnplainPiece(piece, available, window)) {
        return unplain;
      }
      if (atEnd) {
        return nullptr;
      }
      refill(available);
    }
  }
  /// Gives back what the terminator of the last line replaced, and moves past the piece.
  void endPiece() {
    *terminator = replaced;
    start += pieceLength;
  }
  /// The next record by rules, zero-terminated in place without its line feed, its extent and
  /// cells in scan; nullptr at the end. With join false it is one line.
  char* nextRecord(const RecordRules& rules, bool join, RecordScan& scan);
  /// Gives back what the terminator of the last piece replaced, leaving it unread.
  // NOLINTNEXTLINE(readability-make-member-function-const): it writes the block it reads
  void uncut() { *terminator = replaced; }
  /// The unread text.
  const char* unread() const { return listBlock.data() + start; }
  /// Passes over the rest of a long line, its line feed included. True when the rest holds text:
  /// anything but the CR of a CR LF line end.
  bool skipRest();
  /// True when the unread text starts with the count bytes.
  bool startsWith(const char* bytes, std::size_t count) const;
  /// Reads the next block after the carried characters of an unfinished line.
  void refill(std::size_t carried);

 private:
  char* cut(char* piece, char* at) {
    terminator = at;
    replaced = *at;
    *at = '\0';
    return piece;
  }
  // A piece with a NUL or a CR, a long one, or the last of the list; nullptr when there is none
  // in the window.
  char* nextUnplainPiece(char* piece, std::size_t available, std::size_t window);
};

/// A reader at the start of file, its first block read.
ListBlocks startListBlocks(std::FILE* file);

/// Lines after the current piece whose name lookups were asked for (prefetchDonor): those before
/// ahead in the block, valid while the block was filled refills times.
struct LookAhead {
  std::size_t ahead;
  std::size_t lines;
  unsigned long refills;
};

/// Keeps the lookups of the next few lines after the piece [start, pieceEnd) asked for, as far
/// as the block (up to end) holds them, so that with a large donor table the waits on memory of
/// several lines overlap. Takes values rather than the reader, so that the loop over the lines
/// keeps its registers: a run with the default table pays only the test of its size.
void prepareLinesAhead(LookAhead& look, std::size_t start, std::size_t pieceEnd, std::size_t end,
                       unsigned long refills);

#endif

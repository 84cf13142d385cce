#ifndef QUORVA_INPUT_LIST_BLOCKS_HPP
#define QUORVA_INPUT_LIST_BLOCKS_HPP

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "input/list_reader.hpp"
#include "input/list_records.hpp"

/// Of a line, only the first kLineLimit characters are parsed.
constexpr std::size_t kLineLimit = kLineLength - 1;
/// A list is read in blocks of this many characters.
constexpr std::size_t kReadBlockSize = std::size_t{ 64 } * 1024;

/// A piece of a tab-separated list is plain without a CR (a line end of its own) and without a
/// quotation mark (which may open a cell that goes on over the next lines).
inline constexpr const char* kTabListStops = "\r\n\"";
/// A piece of a comma-separated list is plain without a CR and without a TAB.
inline constexpr const char* kCommaListStops = "\r\n\t";

/// The block a list is read into: room for one block after an unfinished record carried over,
/// and for a terminator after it. Only the list being read uses it.
extern std::array<char, kReadBlockSize + kMaxRecordText + 1> listBlock;

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
  bool plainPiece;         ///< the last piece holds no NUL and none of plainStops
  std::size_t lineLimit;   ///< of a line, only the first lineLimit characters are given
  const char* plainStops;  ///< what makes a piece not plain: CR and LF, and more by the list
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
      // finds the line feed and shows that nothing before it is a NUL, a CR or a quotation mark
      // (which may open a cell that goes on over the next lines).
      const char atWindowEnd = piece[window];
      piece[window] = '\0';
      const std::size_t plainLength = std::strcspn(piece, plainStops);
      piece[window] = atWindowEnd;
      plainPiece = plainLength < window && piece[plainLength] == '\n';
      if (plainPiece) {
        pieceLength = plainLength + 1;
        return cut(piece, piece + plainLength);
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

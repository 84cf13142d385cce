#ifndef QUORVA_INPUT_LIST_BLOCKS_HPP
#define QUORVA_INPUT_LIST_BLOCKS_HPP

#include <array>
#include <cstddef>
#include <cstdio>

#include "input/list_reader.hpp"

/// Of a line, only the first kLineLimit characters are parsed.
constexpr std::size_t kLineLimit = kLineLength - 1;
/// A list is read in blocks of this many characters.
constexpr std::size_t kReadBlockSize = std::size_t{ 64 } * 1024;

/// A list read in large blocks and cut into lines in place, rather than a system call's worth of
/// text at a time through fgets. A line is everything before its line feed (or before the end of
/// the file), however long: lines are numbered as an editor numbers them. Of a longer line only
/// the first kLineLimit characters are given; the rest is passed over, never given as a line of
/// its own. A read error drops the unfinished line.
struct ListBlocks {
  std::FILE* file;
  /// Room for one block after an unfinished line carried over, and for a terminator after it.
  std::array<char, kReadBlockSize + kLineLength> block;
  std::size_t start;  ///< first character of the next line
  std::size_t end;    ///< one past the last character read
  bool atEnd;         ///< nothing more will come from the file
  bool failed;        ///< a read error ended the list early
  int readError;      ///< errno of that read error
  /// The character that a terminator replaced in the block while a line was parsed.
  char* terminator;
  char replaced;
  std::size_t pieceLength;
  bool plainPiece;  ///< the last piece holds neither a NUL nor a CR
  bool longLine;    ///< the line goes on past the piece: skipRest passes over the rest

  /// The next line, cut to kLineLimit characters and zero-terminated in place without its line
  /// feed; nullptr at the end.
  char* nextPiece();
  /// Gives back what the terminator of the last line replaced, and moves past the piece.
  void endPiece() {
    *terminator = replaced;
    start += pieceLength;
  }
  /// Passes over the rest of a long line, its line feed included. True when the rest holds text:
  /// anything but the CR of a CR LF line end.
  bool skipRest();
  /// True when the unread text starts with the count bytes.
  bool startsWith(const char* bytes, std::size_t count) const;

 private:
  char* cut(char* piece, char* at);
  void refill(std::size_t carried);
  friend void resetListBlocks(std::FILE* file);
};

/// The one list being read.
extern ListBlocks listBlocks;

/// Forgets the list read before and starts reading file (nullptr reads nothing): its first block
/// is read at once.
void resetListBlocks(std::FILE* file);

#endif

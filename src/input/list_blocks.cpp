#include "input/list_blocks.hpp"

#include <cerrno>
#include <cstring>

ListBlocks listBlocks;

char* ListBlocks::nextPiece() {
  longLine = false;
  for (;;) {
    char* piece = block.data() + start;
    const std::size_t available = end - start;
    // The longest line kept whole and its line feed.
    const std::size_t window = available < kLineLimit + 1 ? available : kLineLimit + 1;
    // Most lines: one scan, bounded by a terminator put at the end of the window for it, finds
    // the line feed and shows that nothing before it is a NUL or a CR.
    const char atWindowEnd = piece[window];
    piece[window] = '\0';
    const std::size_t plainLength = std::strcspn(piece, "\r\n");
    piece[window] = atWindowEnd;
    plainPiece = plainLength < window && piece[plainLength] == '\n';
    if (plainPiece) {
      pieceLength = plainLength + 1;
      return cut(piece, piece + plainLength);
    }
    if (auto* lineFeed = static_cast<char*>(std::memchr(piece, '\n', window))) {
      pieceLength = static_cast<std::size_t>(lineFeed - piece) + 1;
      return cut(piece, lineFeed);
    }
    if (available > kLineLimit) {
      pieceLength = kLineLimit;
      longLine = true;
      return cut(piece, piece + kLineLimit);
    }
    if (atEnd) {
      if (failed || available == 0) {
        return nullptr;
      }
      pieceLength = available;
      return cut(piece, piece + available);
    }
    refill(available);
  }
}

bool ListBlocks::skipRest() {
  std::size_t restLength = 0;
  bool text = false;
  for (;;) {
    const char* from = block.data() + start;
    const std::size_t available = end - start;
    const auto* lineFeed = static_cast<const char*>(std::memchr(from, '\n', available));
    const std::size_t length =
        lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - from) : available;
    const bool leadingReturn = restLength == 0 && length > 0 && from[0] == '\r';
    text = text || length > (leadingReturn ? 1U : 0U);
    restLength += length;
    if (lineFeed != nullptr) {
      start += length + 1;
      return text;
    }
    start = end;
    if (atEnd) {
      return text;
    }
    refill(0);
  }
}

bool ListBlocks::startsWith(const char* bytes, std::size_t count) const {
  return end - start >= count && std::memcmp(block.data() + start, bytes, count) == 0;
}

char* ListBlocks::cut(char* piece, char* at) {
  terminator = at;
  replaced = *at;
  *at = '\0';
  return piece;
}

void ListBlocks::refill(std::size_t carried) {
  std::memmove(block.data(), block.data() + start, carried);
  start = 0;
  end = carried;
  const std::size_t got = std::fread(block.data() + end, 1, kReadBlockSize, file);
  end += got;
  if (std::ferror(file) != 0) {
    // Taken at once: parsing the lines still in the block may change errno.
    readError = errno;
    failed = true;
    atEnd = true;
  } else if (got == 0 || std::feof(file) != 0) {
    atEnd = true;
  }
}

void resetListBlocks(std::FILE* file) {
  listBlocks.file = file;
  listBlocks.start = 0;
  listBlocks.end = 0;
  listBlocks.atEnd = file == nullptr;
  listBlocks.failed = false;
  listBlocks.readError = 0;
  listBlocks.terminator = nullptr;
  listBlocks.replaced = '\0';
  listBlocks.pieceLength = 0;
  listBlocks.plainPiece = false;
  listBlocks.longLine = false;
  if (file != nullptr) {
    listBlocks.refill(0);
  }
}

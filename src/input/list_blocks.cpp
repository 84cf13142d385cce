#include "input/list_blocks.hpp"

#include <cerrno>
#include <cstring>

std::array<char, kReadBlockSize + kLineLength> listBlock;

char* ListBlocks::nextUnplainPiece(char* piece, std::size_t available, std::size_t window) {
  if (auto* lineFeed = static_cast<char*>(std::memchr(piece, '\n', window))) {
    pieceLength = static_cast<std::size_t>(lineFeed - piece) + 1;
    return cut(piece, lineFeed);
  }
  if (available > kLineLimit) {
    pieceLength = kLineLimit;
    longLine = true;
    return cut(piece, piece + kLineLimit);
  }
  if (atEnd && !failed && available != 0) {
    pieceLength = available;
    return cut(piece, piece + available);
  }
  return nullptr;
}

bool ListBlocks::skipRest() {
  std::size_t restLength = 0;
  bool text = false;
  for (;;) {
    const char* from = listBlock.data() + start;
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
  return end - start >= count && std::memcmp(listBlock.data() + start, bytes, count) == 0;
}

void ListBlocks::refill(std::size_t carried) {
  std::memmove(listBlock.data(), listBlock.data() + start, carried);
  start = 0;
  end = carried;
  const std::size_t got = std::fread(listBlock.data() + end, 1, kReadBlockSize, file);
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

ListBlocks startListBlocks(std::FILE* file) {
  ListBlocks blocks{ file, 0, 0, false, false, 0, nullptr, '\0', 0, false, false };
  blocks.refill(0);
  return blocks;
}

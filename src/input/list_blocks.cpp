#include "input/list_blocks.hpp"

#include <array>
#include <cerrno>
#include <cstring>

#include "input/line_scan.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/donor_table.hpp"
#include "output/byte_marks.hpp"

std::array<char, kReadBlockSize + kMaxRecordText + 1 + kScanSlack> listBlock;

namespace {

// Lines ahead of the one being parsed whose name lookups are asked for.
constexpr std::size_t kLookAheadLines = 8;

// The name a donation line [line, lineFeed) will look up when it is plain, as nearly every line
// is; whether it is plain is left to the parser: another line only costs a useless hint.
void prefetchNameOf(const char* line, const char* lineFeed) {
  const auto* tab =
      static_cast<const char*>(std::memchr(line, '\t', static_cast<std::size_t>(lineFeed - line)));
  if (tab == nullptr) {
    return;
  }
  const PlainName name = nameBeforeTab(line, static_cast<int>(tab - line));
  if (name.length > 0) {
    prefetchDonor(donorTable, line + name.start, static_cast<std::size_t>(name.length));
  }
}

}  // namespace

std::size_t plainLineEndByBytes(const char* piece, std::size_t window, PlainRules rules) {
  int tabs = 0;
  bool quoteAfterThirdTab = false;
  std::size_t at = 0;
  for (;; ++at) {
    const char ch = piece[at];
    if (ch == '\0' || ch == '\r' || ch == '\n' || ch == rules.stop) {
      break;
    }
    quoteAfterThirdTab = quoteAfterThirdTab || (ch == '"' && tabs >= 3);
    tabs += ch == '\t' ? 1 : 0;
  }
  if (rules.quoteAfterThirdTab && quoteAfterThirdTab) {
    return window;
  }
  return endAtStop(piece, at, window);
}

#if defined(__SSE2__)
namespace {

// The TABs of sixteen bytes are counted by halves from a table.
constexpr std::array<unsigned char, 256> makeOnes() {
  std::array<unsigned char, 256> ones{};
  for (std::size_t i = 1; i < ones.size(); ++i) {
    ones[i] = static_cast<unsigned char>(ones[i / 2] + (i & 1U));
  }
  return ones;
}
constexpr std::array<unsigned char, 256> kOnes = makeOnes();

}  // namespace

// Sixteen bytes at a time: asked of a line that has a quotation mark and three TABs or more.
bool hasQuoteAfterThirdTab(const char* piece, std::size_t stop) {
  int tabsToPass = 3;
  std::size_t at = 0;
  unsigned tabs = 0;
  for (;; at += 16) {
    if (at >= stop) {
      return false;
    }
    tabs = marksOf(piece + at, '\t') & firstBits(stop - at);
    const int count = kOnes[tabs & 0xFFU] + kOnes[tabs >> 8];
    if (count >= tabsToPass) {
      break;
    }
    tabsToPass -= count;
  }
  for (int passed = 1; passed < tabsToPass; ++passed) {
    tabs &= tabs - 1;
  }
  const unsigned third = tabs & (0U - tabs);
  // The quotation marks after the third TAB in its sixteen bytes, then in the rest of the line.
  unsigned after = ~((third << 1) - 1);
  for (; at < stop; at += 16, after = ~0U) {
    if ((marksOf(piece + at, '"') & firstBits(stop - at) & after) != 0) {
      return true;
    }
  }
  return false;
}
#else
std::size_t plainLineEnd(const char* piece, std::size_t window, PlainRules rules) {
  return plainLineEndByBytes(piece, window, rules);
}
#endif

char* ListBlocks::nextUnplainPiece(char* piece, std::size_t available, std::size_t window) {
  if (auto* lineFeed = static_cast<char*>(std::memchr(piece, '\n', window))) {
    pieceLength = static_cast<std::size_t>(lineFeed - piece) + 1;
    return cut(piece, lineFeed);
  }
  if (available > lineLimit) {
    pieceLength = lineLimit;
    longLine = true;
    return cut(piece, piece + lineLimit);
  }
  if (atEnd && !failed && available != 0) {
    pieceLength = available;
    return cut(piece, piece + available);
  }
  return nullptr;
}

char* ListBlocks::nextRecord(const RecordRules& rules, bool join, RecordScan& scan) {
  longLine = false;
  for (;;) {
    char* text = listBlock.data() + start;
    const std::size_t available = end - start;
    scanRecord(text, available, atEnd, failed, rules, join, scan);
    if (scan.status == RecordStatus::none) {
      return nullptr;
    }
    if (scan.status == RecordStatus::complete) {
      longLine = scan.longLine;
      pieceLength = scan.consumed;
      return cut(text, text + scan.textLength);
    }
    refill(available);
  }
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
  ++refills;
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
  ListBlocks blocks{ file, 0, 0,     false,      false,          0,     nullptr,
                     '\0', 0, false, kLineLimit, kTabListRules, false, 0 };
  blocks.refill(0);
  return blocks;
}

// Not inlined: see the declaration.
[[gnu::noinline]] void prepareLinesAhead(LookAhead& look, std::size_t start, std::size_t pieceEnd,
                                         std::size_t end, unsigned long refills) {
  if (look.refills != refills || look.ahead <= start) {
    look = LookAhead{ pieceEnd, 0, refills };
  } else if (look.lines > 0) {
    --look.lines;  // the current piece was the first of them
  }
  while (look.lines < kLookAheadLines && look.ahead < end) {
    const char* line = listBlock.data() + look.ahead;
    const auto* lineFeed = static_cast<const char*>(std::memchr(line, '\n', end - look.ahead));
    if (lineFeed == nullptr) {
      break;
    }
    prefetchNameOf(line, lineFeed);
    look.ahead = static_cast<std::size_t>(lineFeed + 1 - listBlock.data());
    ++look.lines;
  }
}

#include "ledger/name_folding.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "ledger/name_match.hpp"
#include "output/utf8.hpp"

using unicode_data::kCaseFolds;
using unicode_data::kCombiningClasses;
using unicode_data::kCompositions;
using unicode_data::kDecomposedPoints;
using unicode_data::kDecompositions;

namespace {

// Hangul syllables decompose and compose by arithmetic, not by table.
constexpr std::uint32_t kHangulFirst = 0xAC00;
constexpr std::uint32_t kLeadingFirst = 0x1100;
constexpr std::uint32_t kVowelFirst = 0x1161;
constexpr std::uint32_t kTrailingFirst = 0x11A7;
constexpr std::uint32_t kLeadingCount = 19;
constexpr std::uint32_t kVowelCount = 21;
constexpr std::uint32_t kTrailingCount = 28;
constexpr std::uint32_t kVowelsTimesTrailing = kVowelCount * kTrailingCount;
constexpr std::uint32_t kHangulCount = kLeadingCount * kVowelsTimesTrailing;

// The first code point with a decomposition, a combining class or a folding outside ASCII.
constexpr std::uint32_t kFirstDecomposed = 0xC0;
constexpr std::uint32_t kFirstCombining = 0x300;

constexpr std::size_t kPointRoom = kStoredNameLength * unicode_data::kDecomposedPointsPerByte;

template <typename Table, typename Key>
auto findRow(const Table& table, std::uint64_t wanted, Key key) {
  const auto* row = std::lower_bound(table.begin(), table.end(), wanted,
                                     [&](const auto& r, std::uint64_t w) { return key(r) < w; });
  return (row != table.end() && key(*row) == wanted) ? row : nullptr;
}

std::uint8_t combiningClassOf(std::uint32_t point) {
  if (point < kFirstCombining) {
    return 0;
  }
  const auto* row = findRow(kCombiningClasses, point, [](const auto& r) { return r.point; });
  return row != nullptr ? row->combiningClass : 0;
}

std::uint32_t foldPoint(std::uint32_t point) {
  if (point < 0x80) {
    return point >= 'A' && point <= 'Z' ? point + ('a' - 'A') : point;
  }
  const auto* row = findRow(kCaseFolds, point, [](const auto& r) { return r.from; });
  return row != nullptr ? row->to : point;
}

// The code points of a name on their way to the folded form.
struct Points {
  std::array<std::uint32_t, kPointRoom> at;
  std::size_t count;
};

void decomposeInto(std::uint32_t point, Points& points) {
  if (point >= kHangulFirst && point < kHangulFirst + kHangulCount) {
    const std::uint32_t index = point - kHangulFirst;
    points.at[points.count++] = kLeadingFirst + index / kVowelsTimesTrailing;
    points.at[points.count++] = kVowelFirst + (index % kVowelsTimesTrailing) / kTrailingCount;
    if (index % kTrailingCount != 0) {
      points.at[points.count++] = kTrailingFirst + index % kTrailingCount;
    }
    return;
  }
  const auto* row = point < kFirstDecomposed
                        ? nullptr
                        : findRow(kDecompositions, point, [](const auto& r) { return r.point; });
  if (row == nullptr) {
    points.at[points.count++] = point;
    return;
  }
  for (std::size_t i = 0; i < row->count; ++i) {
    points.at[points.count++] = kDecomposedPoints[row->first + i];
  }
}

// Marks that follow one another in order of their combining classes, as NFD orders them; a
// stable insertion sort, as runs of marks are short.
void orderMarks(Points& points) {
  for (std::size_t i = 1; i < points.count; ++i) {
    const std::uint32_t point = points.at[i];
    const std::uint8_t combining = combiningClassOf(point);
    std::size_t j = i;
    while (combining != 0 && j > 0 && combiningClassOf(points.at[j - 1]) > combining) {
      points.at[j] = points.at[j - 1];
      --j;
    }
    points.at[j] = point;
  }
}

// The composition of first and second, or 0.
std::uint32_t composePair(std::uint32_t first, std::uint32_t second) {
  if (first >= kLeadingFirst && first < kLeadingFirst + kLeadingCount && second >= kVowelFirst &&
      second < kVowelFirst + kVowelCount) {
    return kHangulFirst + ((first - kLeadingFirst) * kVowelCount + (second - kVowelFirst)) *
                              kTrailingCount;
  }
  if (first >= kHangulFirst && first < kHangulFirst + kHangulCount &&
      (first - kHangulFirst) % kTrailingCount == 0 && second > kTrailingFirst &&
      second < kTrailingFirst + kTrailingCount) {
    return first + (second - kTrailingFirst);
  }
  const std::uint64_t pair = (std::uint64_t{ first } << 21) | second;
  const auto* row = findRow(kCompositions, pair, [](const auto& r) { return r.pair; });
  return row != nullptr ? row->composite : 0;
}

// Canonical composition in place: each mark joins the starter before it unless a mark of the
// same or a lower class (or a starter) stands between them.
void compose(Points& points) {
  if (points.count == 0) {
    return;
  }
  std::size_t starter = 0;
  std::size_t kept = 1;
  int lastClass = combiningClassOf(points.at[0]) == 0 ? 0 : 256;
  for (std::size_t i = 1; i < points.count; ++i) {
    const std::uint32_t point = points.at[i];
    const int combining = combiningClassOf(point);
    const bool blocked = lastClass != 0 && lastClass >= combining;
    const std::uint32_t composite = blocked ? 0 : composePair(points.at[starter], point);
    if (composite != 0) {
      points.at[starter] = composite;
      continue;
    }
    if (combining == 0) {
      starter = kept;
    }
    lastClass = combining;
    points.at[kept++] = point;
  }
  points.count = kept;
}

}  // namespace

std::size_t foldName(const char* name, std::size_t length, char* folded) {
  Points points;
  points.count = 0;
  for (std::size_t at = 0; at < length;) {
    const DecodedPoint decoded = decodeUtf8(name + at, length - at);
    if (decoded.bytes == 0) {
      return 0;
    }
    decomposeInto(decoded.point, points);
    at += decoded.bytes;
  }
  orderMarks(points);
  // Folding makes no code point that decomposes, and changes no mark's class but that of
  // U+0345, which becomes a letter: the marks stay in order (checked by the generator).
  for (std::size_t i = 0; i < points.count; ++i) {
    points.at[i] = foldPoint(points.at[i]);
  }
  compose(points);
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < points.count; ++i) {
    bytes += encodeUtf8(points.at[i], folded + bytes);
  }
  folded[bytes] = '\0';
  return bytes;
}

namespace {

bool isAscii(const char* text, std::size_t length) {
  unsigned char seen = 0;
  for (std::size_t i = 0; i < length; ++i) {
    seen |= static_cast<unsigned char>(text[i]);
  }
  return seen < 0x80;
}

}  // namespace

NameKey filingKeyOf(const char* name, std::size_t length) {
  if (isAscii(name, length)) {
    return keyOfLength(name, length);
  }
  std::array<char, kFoldedNameRoom> folded;
  const std::size_t foldedLength = foldName(name, length, folded.data());
  if (foldedLength == 0) {
    return keyOfLength(name, length);
  }
  return NameKey{ length, keyOfLength(folded.data(), foldedLength).hash };
}

bool foldedSpellingsMatch(const char* stored, const char* name, std::size_t length) {
  const std::size_t storedLength = strnlen(stored, kStoredNameLength);
  if (isAscii(stored, storedLength) && isAscii(name, length)) {
    return false;
  }
  std::array<char, kFoldedNameRoom> storedFolded;
  std::array<char, kFoldedNameRoom> nameFolded;
  const std::size_t storedBytes = foldName(stored, storedLength, storedFolded.data());
  const std::size_t nameBytes = foldName(name, length, nameFolded.data());
  return storedBytes != 0 && storedBytes == nameBytes &&
         std::memcmp(storedFolded.data(), nameFolded.data(), nameBytes) == 0;
}

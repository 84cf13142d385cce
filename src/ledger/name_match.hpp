#ifndef QUORVA_LEDGER_NAME_MATCH_HPP
#define QUORVA_LEDGER_NAME_MATCH_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

// When two names are the same donor's: ASCII letters compared without regard to case, so that
// the match never depends on the locale; a name with other characters also by its folded form
// (name_folding.hpp), to which its hash belongs. Everything that compares names or hashes them
// for a lookup folds through foldWord and foldName, here and there and nowhere else. ASCII
// names, nearly all of them, never leave this file.

/// Eight characters as one word.
inline std::uint64_t loadWord(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

/// Fewer than eight characters, as loadWord would give them followed by zeros.
inline std::uint64_t loadShortWord(const char* at, std::size_t length) {
  std::array<char, sizeof(std::uint64_t)> bytes{};
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = at[i];
  }
  return loadWord(bytes.data());
}

/// Each byte from 'A' to 'Z' gains the 0x20 that makes it lower case; no other byte changes.
inline std::uint64_t foldWord(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  constexpr std::uint64_t kFromA = 0x3f3f3f3f3f3f3f3fULL;  // 0x80 - 'A' in every byte
  constexpr std::uint64_t kPastZ = 0x2525252525252525ULL;  // 0x80 - ('Z' + 1)
  const std::uint64_t low = word & kLow7;
  const std::uint64_t upper = (low + kFromA) & ~(low + kPastZ) & ~word & kHigh;
  return word | (upper >> 2);
}

/// The part of a name that a lookup compares (at most a stored name's length), and its hash,
/// which two matching names share.
struct NameKey {
  std::size_t length;
  std::uint32_t hash;
};

inline std::uint64_t mixWord(std::uint64_t hash, std::uint64_t word) {
  return (hash ^ word) * 0x9e3779b97f4a7c15ULL;
}

/// The key of the first length characters of name taken as bytes, ASCII letters folded. Eight
/// characters at a time, and inlined where names are looked up on every donation line: the call
/// would cost as much as the hash.
[[gnu::always_inline]] inline NameKey keyOfLength(const char* name, std::size_t length) {
  std::uint64_t hash = mixWord(0, length);
  if (length >= sizeof(std::uint64_t)) {
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) < length; i += sizeof(std::uint64_t)) {
      hash = mixWord(hash, foldWord(loadWord(name + i)));
    }
    // The last eight characters, overlapping the word before when the length is no multiple.
    hash = mixWord(hash, foldWord(loadWord(name + length - sizeof(std::uint64_t))));
  } else {
    hash = mixWord(hash, foldWord(loadShortWord(name, length)));
  }
  // The last character sits in the top byte of its word, where the multiplication carries a
  // difference no further: folding the high half down spreads it over the bits the slot takes,
  // so that names differing only at their end (Smith 1, Smith 2) do not share a cluster.
  hash = (hash ^ (hash >> 32)) * 0xff51afd7ed558ccdULL;
  return NameKey{ length, static_cast<std::uint32_t>(hash >> 32) };
}

/// The key a name is filed under in the index: keyOfLength for an ASCII name, the key of its
/// folded form (with the name's own length) for any other, so that names that are one share
/// it. A lookup tries keyOfLength first, which finds every name spelt as it was filed (or in
/// other ASCII letter case), and this one only when that fails.
NameKey filingKeyOf(const char* name, std::size_t length);

/// Eight characters of a stored name and of a given one. Most lines spell a name as it was
/// first written, so the words are folded only when they differ.
[[gnu::always_inline]] inline bool sameWord(std::uint64_t stored, std::uint64_t name) {
  return stored == name || foldWord(stored) == foldWord(name);
}

/// False when two names cannot match for their first characters alone: folding changes no bit of
/// a character but a letter's 0x20. A test cheaper than namesMatch, for a walk over many names.
inline bool firstCharactersMayMatch(const char* stored, const char* name) {
  return ((stored[0] ^ name[0]) & ~0x20) == 0;
}

/// True when stored ends after length characters that match those of name. Reads the first
/// length + 1 characters of stored, however short the name it holds. Compared eight characters
/// at a time, folded, as the key is made; inlined where names are looked up on every line.
[[gnu::always_inline]] inline bool namesMatch(const char* stored, const char* name,
                                              std::size_t length) {
  if (stored[length] != '\0') {
    return false;
  }
  if (length < sizeof(std::uint64_t)) {
    return sameWord(loadShortWord(stored, length), loadShortWord(name, length));
  }
  for (std::size_t i = 0; i + sizeof(std::uint64_t) < length; i += sizeof(std::uint64_t)) {
    if (!sameWord(loadWord(stored + i), loadWord(name + i))) {
      return false;
    }
  }
  const std::size_t last = length - sizeof(std::uint64_t);
  return sameWord(loadWord(stored + last), loadWord(name + last));
}

/// For a stored name and a given one (its first length characters) whose bytes namesMatch found
/// to differ: true when either has a character outside ASCII and their folded forms are the
/// same. Out of line: only a name spelt another way, or a rare clash of hashes, comes here.
bool foldedSpellingsMatch(const char* stored, const char* name, std::size_t length);

#endif

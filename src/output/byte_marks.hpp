#ifndef QUORVA_OUTPUT_BYTE_MARKS_HPP
#define QUORVA_OUTPUT_BYTE_MARKS_HPP

// Sixteen bytes of text compared at once: where lines, cells and fields end is found this way,
// and every reader of text uses it, so it lives in the lowest subsystem. Only where the processor
// has SSE2; each user keeps a byte-at-a-time way for the others.

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>

/// The bytes of the sixteen at at that equal one of chars, as bits: bit i for at[i]. All
/// sixteen bytes must be readable.
template <typename... Chars>
inline unsigned marksOf(const char* at, Chars... chars) noexcept {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  __m128i found = _mm_setzero_si128();
  ((found = _mm_or_si128(found, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(chars)))), ...);
  return static_cast<unsigned>(_mm_movemask_epi8(found));
}
#endif

/// The bits of the first count of sixteen bytes.
constexpr unsigned firstBits(std::size_t count) {
  return count >= 16 ? 0xFFFFU : (1U << count) - 1;
}

#endif

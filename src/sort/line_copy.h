// Copying a NUL-terminated line in whole chunks, finding its end on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sort/byte_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Bytes the copy may read past the line's NUL and write past its last byte; the buffers keep
// that much slack.
constexpr size_t line_copy_overrun = 64;

// copy_line, eight bytes at a time (where SSE2 is missing).
inline size_t copy_line_words(char* to, const char* from) {
  for (size_t n = 0;; n += 8) {
    uint64_t w;
    std::memcpy(&w, from + n, sizeof w);
    std::memcpy(to + n, &w, sizeof w);
    uint64_t zeros = zero_byte_highs(w);
    if (zeros != 0) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      return n + static_cast<size_t>(__builtin_clzll(zeros) / 8);
#else
      return n + static_cast<size_t>(__builtin_ctzll(zeros) / 8);
#endif
    }
  }
}

// Copies the line at `from` up to its NUL to `to` and returns its length. The chunk that holds
// the NUL is copied whole, so bytes after the line at `to` are overwritten (the caller writes
// the line end over them).
inline size_t copy_line(char* to, const char* from) {
#if defined(__SSE2__)
  // Sixty-four bytes a step: most lines take one, with no branch on their length.
  const __m128i zero = _mm_setzero_si128();
  for (size_t n = 0;; n += 64) {
    uint64_t nuls = 0;
    for (int k = 0; k < 4; ++k) {
      __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n + 16 * k));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to + n + 16 * k), chunk);
      uint64_t mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, zero)));
      nuls |= mask << (16 * k);
    }
    if (nuls != 0) {
      return n + static_cast<size_t>(__builtin_ctzll(nuls));
    }
  }
#else
  return copy_line_words(to, from);
#endif
}

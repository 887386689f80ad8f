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
inline size_t copy_line_words(char* to, const char* from, size_t room, bool* ended) {
  for (size_t n = 0; n < room; n += 8) {
    uint64_t w;
    std::memcpy(&w, from + n, sizeof w);
    std::memcpy(to + n, &w, sizeof w);
    uint64_t zeros = zero_byte_highs(w);
    if (zeros != 0) {
      *ended = true;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      return n + static_cast<size_t>(__builtin_clzll(zeros) / 8);
#else
      return n + static_cast<size_t>(__builtin_ctzll(zeros) / 8);
#endif
    }
  }
  *ended = false;
  return room;
}

// Copies the line at `from` to `to` up to its NUL, or at least `room` bytes of it, in whole
// chunks; returns how many bytes of it were copied: all of it when `ended` is set (its end lay in
// a chunk copied), else `room`. Up to line_copy_overrun bytes past those counted are overwritten
// at `to` (the caller writes the line end, or the next piece, over them).
inline size_t copy_line(char* to, const char* from, size_t room, bool* ended) {
#if defined(__SSE2__)
  // Sixty-four bytes a step: most lines take one, with no branch on their length.
  const __m128i zero = _mm_setzero_si128();
  for (size_t n = 0; n < room; n += 64) {
    uint64_t nuls = 0;
    for (int k = 0; k < 4; ++k) {
      __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n + 16 * k));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to + n + 16 * k), chunk);
      uint64_t mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, zero)));
      nuls |= mask << (16 * k);
    }
    if (nuls != 0) {
      *ended = true;
      return n + static_cast<size_t>(__builtin_ctzll(nuls));
    }
  }
  *ended = false;
  return room;
#else
  return copy_line_words(to, from, room, ended);
#endif
}

// Finding the next line end (CR) or NUL in the text, sixteen bytes at a time.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Bytes the search may read past the byte it finds; the buffers keep that much slack.
constexpr size_t byte_search_overread = 16;

// The first CR or NUL at or after `p`; one must lie within the text.
inline const char* find_cr_or_nul(const char* p) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (;; p += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, zero)));
    if (mask != 0) {
      return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
  }
#else
  // Word-wise: a byte is zero in w exactly where it is NUL, in w ^ CRs where it is CR.
  constexpr uint64_t ones = 0x0101010101010101ull;
  constexpr uint64_t highs = 0x8080808080808080ull;
  constexpr uint64_t crs = ones * '\r';
  for (;; p += 8) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    uint64_t x = w ^ crs;
    if ((((w - ones) & ~w) | ((x - ones) & ~x)) & highs) {
      for (int i = 0; i < 8; ++i) {
        if (p[i] == '\r' || p[i] == '\0') {
          return p + i;
        }
      }
    }
  }
#endif
}

// Finding CRs and NULs in the text: the next one, sixteen bytes at a time, or every CR, LF and
// NUL in a block of 64 bytes as bit masks. The word-wise forms serve where SSE2 is missing (the
// 32-bit Windows build) and are checked against the SSE2 ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Bytes the search may read past the byte it finds; the buffers keep that much slack.
constexpr size_t byte_search_overread = 16;

// Bytes examined at once by find_line_end_bits.
constexpr size_t byte_block = 64;

// Bit i of `crs` (`lfs`, `nuls`) is set when byte i of a block is CR (LF, NUL).
struct block_bits {
  uint64_t crs;
  uint64_t lfs;
  uint64_t nuls;
};

// The high bit of each zero byte of `w`, exactly (no borrow crosses a byte).
inline uint64_t zero_byte_highs(uint64_t w) {
  constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((w & low7) + low7) | w | low7);
}

// One bit per byte from the high bits of `highs`, byte 0 of the word as bit 0.
inline unsigned gather_highs(uint64_t highs) {
  return static_cast<unsigned>(((highs >> 7) * 0x0102040810204080ull) >> 56);
}

// find_cr_or_nul, eight bytes at a time: a byte is zero in w exactly where it is NUL, in
// w ^ CRs where it is CR.
inline const char* find_cr_or_nul_words(const char* p) {
  constexpr uint64_t crs = 0x0101010101010101ull * '\r';
  for (;; p += 8) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    if ((zero_byte_highs(w) | zero_byte_highs(w ^ crs)) != 0) {
      for (int i = 0; i < 8; ++i) {
        if (p[i] == '\r' || p[i] == '\0') {
          return p + i;
        }
      }
    }
  }
}

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
  return find_cr_or_nul_words(p);
#endif
}

// find_line_end_bits, eight bytes at a time.
inline block_bits find_line_end_bits_words(const char* p) {
  block_bits bits{0, 0, 0};
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  constexpr uint64_t crs = 0x0101010101010101ull * '\r';
  constexpr uint64_t lfs = 0x0101010101010101ull * '\n';
  for (int k = 0; k < 8; ++k) {
    uint64_t w;
    std::memcpy(&w, p + 8 * k, sizeof w);
    bits.crs |= static_cast<uint64_t>(gather_highs(zero_byte_highs(w ^ crs))) << (8 * k);
    bits.lfs |= static_cast<uint64_t>(gather_highs(zero_byte_highs(w ^ lfs))) << (8 * k);
    bits.nuls |= static_cast<uint64_t>(gather_highs(zero_byte_highs(w))) << (8 * k);
  }
#else
  for (size_t i = 0; i < byte_block; ++i) {
    bits.crs |= static_cast<uint64_t>(p[i] == '\r') << i;
    bits.lfs |= static_cast<uint64_t>(p[i] == '\n') << i;
    bits.nuls |= static_cast<uint64_t>(p[i] == '\0') << i;
  }
#endif
  return bits;
}

// The CRs, LFs and NULs among the byte_block bytes at `p`.
inline block_bits find_line_end_bits(const char* p) {
#if defined(__SSE2__)
  block_bits bits{0, 0, 0};
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    uint64_t crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)));
    uint64_t lfs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)));
    uint64_t nuls = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, zero)));
    bits.crs |= crs << (16 * k);
    bits.lfs |= lfs << (16 * k);
    bits.nuls |= nuls << (16 * k);
  }
  return bits;
#else
  return find_line_end_bits_words(p);
#endif
}

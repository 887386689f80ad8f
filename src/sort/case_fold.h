// Case folding of keys: 'a' to 'z' read as 'A' to 'Z', a byte or a word of eight at a time.
#pragma once

#include <cstdint>

// The high bit of every byte 'a' to 'z' of `word`, without a branch: the high bit of a byte's
// low seven bits plus 0x1F (0x05) is set from 'a' ('{') on.
inline uint64_t lower_case_highs(uint64_t word) {
  constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
  constexpr uint64_t highs = 0x8080808080808080ull;
  uint64_t low = word & low7;
  return (low + 0x1F1F1F1F1F1F1F1Full) & ~(low + 0x0505050505050505ull) & ~word & highs;
}

// Every byte 'a' to 'z' of `word` as 'A' to 'Z', the others as they are.
inline uint64_t fold_word(uint64_t word) {
  return word - (lower_case_highs(word) >> 2);
}

// 'a' to 'z' as 'A' to 'Z', without a branch.
inline unsigned char fold_byte(unsigned char c) {
  unsigned lower = static_cast<unsigned char>(c - 'a') < 26u ? 1u : 0u;
  return static_cast<unsigned char>(c - (lower << 5));
}

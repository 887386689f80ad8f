// Line comparators.
#include "sort/line_compare.h"

#include <cstring>

#include "sort/line_table.h"
#include "sort/run_settings.h"

namespace {

// Four-byte words whatever the build: the buffers' slack covers three bytes past a line's end.
inline uint32_t load_word(const unsigned char* p) {
  uint32_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

inline bool has_zero_byte(uint32_t word) {
  return ((word - 0x01010101u) & ~word & 0x80808080u) != 0;
}

inline int32_t compare_bytes(const unsigned char* a, const unsigned char* b) {
  for (int i = 0; i < 4; ++i) {
    if (a[i] != b[i]) {
      return a[i] < b[i] ? -1 : 1;
    }
    if (a[i] == 0) {
      return 0;
    }
  }
  return 0;
}

}  // namespace

int32_t compare_lines(const char* a, const char* b) {
  if (a == b) {
    return 0;
  }
  const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
  for (;;) {
    for (int i = 0; i < 4; ++i) {
      uint32_t wp = load_word(p);
      uint32_t wq = load_word(q);
      if (wp != wq) {
        return compare_bytes(p, q);
      }
      if (has_zero_byte(wp)) {
        return 0;
      }
      p += 4;
      q += 4;
    }
  }
}

int32_t compare_folded_then_exact(const char* a, const char* b) {
  int32_t result = compare_lines(a, b);
  if (result != 0) {
    return result;
  }
  return compare_lines(a + text_offset, b + text_offset);
}

int compare_entries(const void* p, const void* q) {
  return line_compare(*static_cast<char* const*>(p), *static_cast<char* const*>(q));
}

int compare_entries_reversed(const void* p, const void* q) {
  return line_compare(*static_cast<char* const*>(q), *static_cast<char* const*>(p));
}

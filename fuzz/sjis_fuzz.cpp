// The Shift-JIS searches on arbitrary bytes: every result lies inside the text, at the start of
// a character, and holds the code searched for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sjis.h"

namespace {

bool is_character_start(const char* text, const char* position) {
  uint16_t code;
  for (const char* p = text;;) {
    if (p == position) {
      return true;
    }
    if (p > position) {
      return false;
    }
    const char* next = sjis_next_char(p, &code);
    if (next == p) {
      return false;
    }
    p = next;
  }
}

void check(const char* text, size_t length, const char* found, uint16_t code) {
  if (found == nullptr) {
    return;
  }
  if (found < text || found > text + length || !is_character_start(text, found)) {
    std::abort();
  }
  uint16_t read;
  sjis_next_char(found, &read);
  if (read != code) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> block(data, data + size);
  block.push_back('\0');
  const char* text = block.data();
  size_t length = std::strlen(text);
  uint16_t codes[] = {'\\', ':', 0x1B, 0,
                      static_cast<uint16_t>(size > 1 ? data[0] << 8 | data[1] : 0)};
  for (uint16_t code : codes) {
    check(text, length, sjis_find_first_char(text, code), code);
    check(text, length, sjis_find_last_char(text, code), code);
  }
  check(text, length, sjis_find_string(text, "\\"), '\\');
  return 0;
}

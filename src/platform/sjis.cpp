// Shift-JIS character reading and searching.
#include "platform/sjis.h"

#include <cstring>

const char* sjis_next_char(const char* position, uint16_t* code) {
  unsigned char first = static_cast<unsigned char>(position[0]);
  if (first == 0) {
    *code = 0;
    return position;
  }
  if (sjis_is_lead_byte(first)) {
    unsigned char second = static_cast<unsigned char>(position[1]);
    if (second == 0) {
      *code = 0;
      return position + 1;
    }
    *code = static_cast<uint16_t>(first << 8 | second);
    return position + 2;
  }
  *code = first;
  return position + 1;
}

const char* sjis_find_last_char(const char* text, uint16_t code) {
  const char* found = nullptr;
  uint16_t current;
  for (const char* p = text;;) {
    const char* next = sjis_next_char(p, &current);
    if (current == 0) {
      return found;
    }
    if (current == code) {
      found = p;
    }
    p = next;
  }
}

const char* sjis_find_first_char(const char* text, uint16_t code) {
  uint16_t current;
  for (const char* p = text;;) {
    const char* next = sjis_next_char(p, &current);
    if (current == code) {
      return p;
    }
    if (current == 0) {
      return nullptr;
    }
    p = next;
  }
}

const char* sjis_find_string(const char* text, const char* needle) {
  size_t length = std::strlen(needle);
  if (length == 0) {
    return text;
  }
  uint16_t current;
  for (const char* p = text;;) {
    if (std::strncmp(p, needle, length) == 0) {
      return p;
    }
    const char* next = sjis_next_char(p, &current);
    if (current == 0) {
      return nullptr;
    }
    p = next;
  }
}

// Reading and searching byte strings by Shift-JIS characters, so that the second byte of a
// double-byte character is never taken for a backslash, a colon or ESC.
#pragma once

#include <cstdint>

// True for the fixed set of lead bytes, 0x81 to 0x9F and 0xE0 to 0xFC.
constexpr bool sjis_is_lead_byte(unsigned char value) {
  return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
}

// Reads the character at `position` into `code` (0 at the end, also for a lead byte right
// before the NUL) and returns the position after it (at the NUL when the end was read).
const char* sjis_next_char(const char* position, uint16_t* code);

// Start of the last character with `code`, or null.
const char* sjis_find_last_char(const char* text, uint16_t code);

// Start of the first character with `code`, or null; code 0 finds the character read as the end.
const char* sjis_find_first_char(const char* text, uint16_t code);

// Start of the first occurrence of `needle`, compared from character starts only, or null.
const char* sjis_find_string(const char* text, const char* needle);

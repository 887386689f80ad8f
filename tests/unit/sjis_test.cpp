#include "platform/sjis.h"

#include <gtest/gtest.h>

namespace {

struct find_case {
  const char* text;
  uint16_t code;
  int first;  // offset of the expected result, -1 for none
  int last;
};

// Second bytes that look like ASCII must never be found, whichever direction is searched.
TEST(SjisFind, SearchesByCharacters) {
  const find_case cases[] = {
      {"\x95\\\\", '\\', 2, 2},  // 0x95 0x5C is one character, then a real backslash
      {"C:\\a\\b", '\\', 2, 4},     {"abc", '\\', -1, -1},
      {"\x95\\.txt", '\\', -1, -1},  // a name made of such a character holds no backslash
      {"a:b:c", ':', 1, 3},         {"\x81:x:", ':', 3, 3},  // 0x81 0x3A is one character
      {"\xE0\x1B\x1B", 0x1B, 2, 2},  // an ESC as a second byte is not an ESC
      {"\xFC", '\\', -1, -1},        // a lone lead byte before the end
      {"x\x82\xA0y", 0x82A0, 1, 1},  // double-byte codes are found whole
      {"\xA0\\", '\\', 1, 1},        // 0xA0 is not a lead byte
  };
  for (const find_case& c : cases) {
    const char* first = sjis_find_first_char(c.text, c.code);
    const char* last = sjis_find_last_char(c.text, c.code);
    EXPECT_EQ(first == nullptr ? -1 : first - c.text, c.first) << c.text;
    EXPECT_EQ(last == nullptr ? -1 : last - c.text, c.last) << c.text;
  }
}

TEST(SjisFind, CodeZeroFindsTheEnd) {
  const char empty[] = "";
  EXPECT_EQ(sjis_find_first_char(empty, 0), empty);
  const char lead_last[] = "ab\x82";
  EXPECT_EQ(sjis_find_first_char(lead_last, 0), lead_last + 2);
  const char plain[] = "ab";
  EXPECT_EQ(sjis_find_first_char(plain, 0), plain + 2);
}

TEST(SjisNextChar, ReadsOneOrTwoBytes) {
  uint16_t code = 1;
  const char text[] = "a\x82\xA0\x9F";
  const char* p = sjis_next_char(text, &code);
  EXPECT_EQ(code, 'a');
  EXPECT_EQ(p, text + 1);
  p = sjis_next_char(p, &code);
  EXPECT_EQ(code, 0x82A0);
  EXPECT_EQ(p, text + 3);
  p = sjis_next_char(p, &code);  // lead byte right before the NUL
  EXPECT_EQ(code, 0);
  EXPECT_EQ(p, text + 4);
  p = sjis_next_char(p, &code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(p, text + 4);
}

TEST(SjisFindString, FindsBackslashOnlyAtCharacterStarts) {
  const char text[] = "\\\\srv\x95\\x\\share\\";
  EXPECT_EQ(sjis_find_string(text, "\\"), text);
  EXPECT_EQ(sjis_find_string(text + 2, "\\"), text + 8);
  EXPECT_EQ(sjis_find_string("\x95\\", "\\"), nullptr);
  EXPECT_EQ(sjis_find_string("", "\\"), nullptr);
}

}  // namespace

#include "sort/line_compare.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A line placed at every offset of a word, with the slack the buffers give it after its NUL.
class placed_line {
 public:
  placed_line(const std::string& text, size_t offset) : block_(offset + text.size() + 8, '\x55') {
    std::memcpy(block_.data() + offset, text.data(), text.size());
    block_[offset + text.size()] = '\0';
    start_ = block_.data() + offset;
  }
  const char* c_str() const { return start_; }

 private:
  std::vector<char> block_;
  const char* start_;
};

int sign(int32_t v) {
  return (v > 0) - (v < 0);
}

struct compare_case {
  std::string a;
  std::string b;
  int expected;
};

TEST(CompareLines, OrdersUnsignedBytesAtEveryAlignment) {
  std::vector<compare_case> cases = {
      {"", "", 0},
      {"", "a", -1},
      {"ab", "abc", -1},
      {"abc", "abd", -1},
      {"abcd", "abcd", 0},
      {"abcdefgh", "abcdefgi", -1},
      {"abcdefghijklmnopq", "abcdefghijklmnopr", -1},  // past one loop pass of 16 bytes
      {"abcdefghijklmnop", "abcdefghijklmnop", 0},
      {"abcdefghijklmnop", "abcdefghijklmnopx", -1},
      {"\x80", "\x7f", 1},
      {"\xff", "\x01", 1},
      {"\x82\xA0", "z", 1},
      {"A", "a", -1},
      {"a\x01", "a", 1},
      {std::string(300, 'q'), std::string(300, 'q'), 0},
      {std::string(300, 'q') + "a", std::string(300, 'q') + "b", -1},
  };
  for (size_t i = 0; i < 20; ++i) {  // a difference at each byte of a word
    std::string a(20, 'm');
    std::string b = a;
    b[i] = 'n';
    cases.push_back({a, b, -1});
    cases.push_back({a.substr(0, i), a, -1});
  }
  for (const compare_case& c : cases) {
    for (size_t offset_a = 0; offset_a < 4; ++offset_a) {
      for (size_t offset_b = 0; offset_b < 4; ++offset_b) {
        placed_line a(c.a, offset_a);
        placed_line b(c.b, offset_b);
        EXPECT_EQ(sign(compare_lines(a.c_str(), b.c_str())), c.expected)
            << "'" << c.a << "' vs '" << c.b << "' at " << offset_a << "," << offset_b;
        EXPECT_EQ(sign(compare_lines(b.c_str(), a.c_str())), -c.expected);
      }
    }
  }
}

TEST(CompareLines, SamePointerIsEqual) {
  const char line[] = "x";
  EXPECT_EQ(compare_lines(line, line), 0);
}

}  // namespace

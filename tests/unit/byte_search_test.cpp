// The line-end searches and the line copy, in their SSE2 and word-wise forms, against a byte
// loop, on bytes chosen to trip the word tricks (neighbours of CR and NUL, high bits set).
#include "sort/byte_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sort/line_copy.h"

namespace {

constexpr char tricky_bytes[] = {'\r',   '\0',   '\n',   'a',    '\x01', '\x0c', '\x0e',
                                 '\x7f', '\x80', '\x8d', '\xff', '\xfe', '\x8c', '\x81'};

std::string tricky_text(std::mt19937& random, size_t size) {
  std::string text(size, 'x');
  for (char& c : text) {
    if (random() % 3 == 0) {
      c = tricky_bytes[random() % sizeof tricky_bytes];
    }
  }
  return text;
}

TEST(ByteSearch, BlockBitsMatchAByteLoop) {
  std::mt19937 random(1);
  for (int round = 0; round < 2000; ++round) {
    std::string block = tricky_text(random, byte_block);
    block_bits expected{0, 0, 0};
    for (size_t i = 0; i < byte_block; ++i) {
      expected.crs |= static_cast<uint64_t>(block[i] == '\r') << i;
      expected.lfs |= static_cast<uint64_t>(block[i] == '\n') << i;
      expected.nuls |= static_cast<uint64_t>(block[i] == '\0') << i;
    }
    for (block_bits (*find)(const char*) : {find_line_end_bits, find_line_end_bits_words}) {
      block_bits got = find(block.data());
      ASSERT_EQ(got.crs, expected.crs) << round;
      ASSERT_EQ(got.lfs, expected.lfs) << round;
      ASSERT_EQ(got.nuls, expected.nuls) << round;
    }
  }
}

TEST(ByteSearch, NextLineEndMatchesAByteLoop) {
  std::mt19937 random(2);
  for (int round = 0; round < 2000; ++round) {
    std::string text = tricky_text(random, random() % 100) + '\0';
    size_t start = random() % text.size();
    size_t expected = text.find_first_of(std::string("\r\0", 2), start);
    text.append(byte_search_overread, 'x');
    for (const char* (*find)(const char*) : {find_cr_or_nul, find_cr_or_nul_words}) {
      ASSERT_EQ(static_cast<size_t>(find(text.data() + start) - text.data()), expected) << round;
    }
  }
}

// The whole line when the room allows it; else the room's worth of it, or the whole line when
// its end lay in the last chunk copied.
TEST(LineCopy, CopiesUpToTheNulOrTheRoom) {
  std::mt19937 random(3);
  for (int round = 0; round < 2000; ++round) {
    std::string line = tricky_text(random, random() % 200);
    line = line.substr(0, line.find('\0'));
    std::string from = line + '\0' + tricky_text(random, line_copy_overrun);
    size_t room = 1 + random() % 240;
    for (size_t (*copy)(char*, const char*, size_t, bool*) : {copy_line, copy_line_words}) {
      std::string to(room + line.size() + line_copy_overrun, '#');
      bool ended = false;
      size_t copied = copy(to.data(), from.data(), room, &ended);
      if (line.size() < room) {
        ASSERT_TRUE(ended) << round;
      }
      ASSERT_EQ(copied, ended ? line.size() : room) << round;
      ASSERT_LE(copied, line.size()) << round;
      ASSERT_EQ(to.substr(0, copied), line.substr(0, copied)) << round;
    }
  }
}

}  // namespace

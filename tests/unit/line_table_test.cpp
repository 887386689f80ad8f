#include "sort/line_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "unit/pipeline.h"

namespace {

using namespace std::string_literals;

struct split_case {
  const char* name;
  std::string input;
  std::vector<std::string> lines;
  std::string output;  // written in table order, without sorting
};

// CR LF alone ends a line: a lone CR or LF, the very last byte included, is a byte of its line.
TEST(SplitLines, LineEndsAndTheDataEnd) {
  const split_case cases[] = {
      {"two lines", "b\r\na\r\n", {"b", "a"}, "b\r\na\r\n"},
      {"no final line end", "b\r\na", {"b", "a"}, "b\r\na"},
      {"empty", "", {""}, ""},
      {"lone Ctrl-Z", "\x1a", {""}, ""},
      {"trailing Ctrl-Z", "a\r\nb\r\n\x1a", {"a", "b"}, "a\r\nb\r\n"},
      {"two Ctrl-Z", "a\x1a\x1a", {"a\x1a"}, "a\x1a"},
      {"LF only", "a\nb\n", {"a\nb\n"}, "a\nb\n"},
      {"CR only", "a\rb\rc\r", {"a\rb\rc\r"}, "a\rb\rc\r"},
      {"lone CR in a line", "a\rb\r\n", {"a\rb"}, "a\rb\r\n"},
      {"final lone CR", "a\r", {"a\r"}, "a\r"},
      {"CR CR LF", "b\r\r\na\r\n", {"b\r", "a"}, "b\r\r\na\r\n"},
      {"LF CR", "a\n\rb", {"a\n\rb"}, "a\n\rb"},
      {"only CR LF", "\r\n", {""}, "\r\n"},
      {"blank lines", "\r\n\r\n", {"", ""}, "\r\n\r\n"},
      // A UTF-8 byte-order mark at the start stays first, outside every line.
      {"mark",
       "\xEF\xBB\xBF"
       "b\r\na\r\n",
       {"b", "a"},
       "\xEF\xBB\xBF"
       "b\r\na\r\n"},
      {"mark alone", "\xEF\xBB\xBF", {""}, "\xEF\xBB\xBF"},
      {"mark, CR LF", "\xEF\xBB\xBF\r\n", {""}, "\xEF\xBB\xBF\r\n"},
      {"mark, Ctrl-Z",
       "\xEF\xBB\xBF"
       "a\x1a",
       {"a"},
       "\xEF\xBB\xBF"
       "a"},
      {"mark later", "a\r\n\xEF\xBB\xBF", {"a", "\xEF\xBB\xBF"}, "a\r\n\xEF\xBB\xBF"},
      {"part of a mark",
       "\xEF\xBB"
       "a",
       {"\xEF\xBB"
        "a"},
       "\xEF\xBB"
       "a"},
  };
  for (const split_case& c : cases) {
    pipeline_result r = split_only(c.input);
    ASSERT_EQ(r.split, split_status::ok) << c.name;
    EXPECT_EQ(r.lines, c.lines) << c.name;
    EXPECT_EQ(r.lines, reference_split(c.input).lines) << c.name;
    EXPECT_EQ(r.output, c.output) << c.name;
  }
}

// A NUL the split would stop at would lose the rest of the file.
TEST(SplitLines, RefusesNulAnywhere) {
  const std::string inputs[] = {"a\0b\r\n"s, "\0"s,  "ab\r\n\0"s, "a\r\r\0b"s,
                                "ab\0\r\n"s, "a\0"s, "a\r\0b"s,   "x\r\0"s};
  for (const std::string& input : inputs) {
    EXPECT_EQ(split_only(input).split, split_status::nul_byte) << input.size();
  }
}

// Long random inputs put line ends, lone and doubled CRs and LFs and NULs at every place in and
// around the 64-byte blocks the split looks at together.
TEST(SplitLines, BlocksSplitAsByteByByte) {
  const std::string pieces[] = {
      "a",   "bcdefghijklmnopqrstuvwxyz0123456789", "\r\n", "\r\n", "\r\n", "\r", "\n", "\r\r",
      "\x1a"};
  std::mt19937 random(64);
  for (int round = 0; round < 3000; ++round) {
    std::string input;
    int length = static_cast<int>(random() % 600);
    bool with_nul = round % 4 == 0;
    while (static_cast<int>(input.size()) < length) {
      input += pieces[random() % std::size(pieces)];
      if (with_nul && random() % 40 == 0) {
        input += '\0';
      }
    }
    pipeline_result expected = reference_split(input);
    pipeline_result got = split_only(input);
    ASSERT_EQ(got.split, expected.split) << round;
    if (got.split == split_status::ok) {
      ASSERT_EQ(got.lines, expected.lines) << round;
    }
  }
}

// The output is assembled a piece at a time: lines longer than a piece, and lines across the
// pieces' borders, come out whole.
TEST(AssembleOutput, PiecesJoinToTheWholeOutput) {
  const std::string long_line(output_piece_size * 5 / 2, 'q');
  std::string many;
  for (int i = 0; many.size() < 3 * output_piece_size; ++i) {
    many += std::string(1 + i % 97, static_cast<char>('a' + i % 26)) + "\r\n";
  }
  const std::string inputs[] = {long_line, long_line + "\r\n", "a\r\n" + long_line + "\r\nb",
                                many,      many + "z",         many + long_line};
  for (const std::string& input : inputs) {
    pipeline_result r = split_only(input);
    ASSERT_EQ(r.split, split_status::ok);
    EXPECT_EQ(r.output.size(), input.size());
    EXPECT_TRUE(r.output == input) << input.size();
  }
}

std::string blank_lines(size_t line_ends, bool final_line) {
  std::string text;
  text.reserve(line_ends * 2 + 1);
  for (size_t i = 0; i < line_ends; ++i) {
    text += "\r\n";
  }
  if (final_line) {
    text += "z";
  }
  return text;
}

TEST(SplitLines, TableHoldsFiveMillionAndOneLines) {
  pipeline_result full = split_only(blank_lines(5000000, true));
  ASSERT_EQ(full.split, split_status::ok);
  EXPECT_EQ(full.lines.size(), 5000001u);
  EXPECT_EQ(full.lines.back(), "z");
  EXPECT_EQ(split_only(blank_lines(5000001, false)).split, split_status::ok);
  EXPECT_EQ(split_only(blank_lines(5000001, true)).split, split_status::too_many_lines);
}

}  // namespace

namespace {

// A file of `fake_file_size` bytes of 'y', handed out `fake_piece` bytes a call at most.
size_t fake_file_size = 0;
size_t fake_piece = 0;
size_t fake_offset = 0;

int64_t fake_read(int, void* buffer, size_t count) {
  size_t n = std::min({count, fake_piece, fake_file_size - fake_offset});
  std::memset(buffer, 'y', n);
  fake_offset += n;
  return static_cast<int64_t>(n);
}

bool quiet_close(int) {
  return true;
}

// Only a file that ends exactly where its stated size says is read whole.
TEST(ReadInput, FileMustEndAtItsStatedSize) {
  struct read_case {
    size_t file_size;
    size_t piece;
    read_status expected;
  };
  const read_case cases[] = {{5, 5, read_status::ok},
                             {5, 1, read_status::ok},
                             {2, 2, read_status::short_read},
                             {6, 1, read_status::larger_than_stated},
                             {900, 64, read_status::larger_than_stated}};
  for (const read_case& c : cases) {
    ASSERT_EQ(allocate_buffers(5), buffer_status::ok);
    platform.file_close = quiet_close;
    platform.file_read = fake_read;
    fake_file_size = c.file_size;
    fake_piece = c.piece;
    fake_offset = 0;
    EXPECT_EQ(read_input(-1), c.expected) << c.file_size << " " << c.piece;
    if (c.expected == read_status::ok) {
      EXPECT_EQ(std::string(text_buffer, 5), "yyyyy");
    }
    platform_restore_defaults();
    release_buffers();
  }
}

}  // namespace

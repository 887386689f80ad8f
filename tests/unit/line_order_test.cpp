#include "sort/line_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "unit/pipeline.h"
#include "unit/reference_order.h"

namespace {

std::string join_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

struct order_case {
  std::vector<std::string> input;
  std::vector<const char*> switches;
  std::vector<std::string> expected;
};

TEST(OrderLines, OrdersOfTheSwitches) {
  const std::vector<std::string> bbaa = {"b", "a", "B", "A"};
  const order_case cases[] = {
      {bbaa, {}, {"A", "B", "a", "b"}},
      {bbaa, {"/R"}, {"b", "a", "B", "A"}},
      {bbaa, {"/L"}, {"A", "a", "B", "b"}},
      {bbaa, {"/L", "/R"}, {"b", "B", "a", "A"}},
      {bbaa, {"/N", "/L"}, {"A", "a", "B", "b"}},
      {{"abc", "ab", ""}, {}, {"", "ab", "abc"}},
      {{"\x82\xA0", "z", "~"}, {}, {"z", "~", "\x82\xA0"}},
      {{"xxb", "yya", "x"}, {"/+3"}, {"x", "yya", "xxb"}},
      {{"xxb", "yya", "x"}, {"/+3", "/R"}, {"xxb", "yya", "x"}},
      {{"11b", "22B", "33a", "44A"}, {"/+3", "/L"}, {"44A", "33a", "22B", "11b"}},
      {{"\x82\x61", "\x82\x41", "\x82\x42"}, {"/L"}, {"\x82\x41", "\x82\x61", "\x82\x42"}},
      {{"q", "q", "q"}, {"/R"}, {"q", "q", "q"}},
      // keys that fill a cached word exactly, and one that goes on past it
      {{"abcdefghi", "abcdefgh", "abcdefgh\x01"}, {}, {"abcdefgh", "abcdefgh\x01", "abcdefghi"}},
      {{"abcdefghijklmnopq", "abcdefghijklmnop"}, {}, {"abcdefghijklmnop", "abcdefghijklmnopq"}},
  };
  for (const order_case& c : cases) {
    std::string label = c.switches.empty() ? "(none)" : c.switches[0];
    pipeline_result r = run_pipeline(join_lines(c.input), c.switches);
    ASSERT_EQ(r.split, split_status::ok);
    EXPECT_EQ(r.lines, c.expected) << label;
    EXPECT_EQ(r.output, join_lines(c.expected)) << label;
  }
}

// A UTF-8 byte-order mark is no part of the first line's key, and stays first in every order;
// the column skip counts from the line's own start.
TEST(OrderLines, ByteOrderMarkStaysFirst) {
  const std::string mark = "\xEF\xBB\xBF";
  struct mark_case {
    std::vector<const char*> switches;
    std::string input;
    std::string output;
  };
  const mark_case cases[] = {
      {{}, mark + "m\r\na\r\nz\r\n", mark + "a\r\nm\r\nz\r\n"},
      {{"/R"}, mark + "m\r\na\r\nz\r\n", mark + "z\r\nm\r\na\r\n"},
      {{"/+2"}, mark + "xb\r\nya\r\n", mark + "ya\r\nxb\r\n"},
      {{"/+3"}, mark + "x\r\naab\r\nbba", mark + "x\r\nbba\r\naab"},
      {{"/N"}, mark + "b\r\nA\r\n", mark + "A\r\nb\r\n"},
      {{"/L", "/R"}, mark + "a\r\nA\r\nb", mark + "b\r\na\r\nA"},
  };
  for (const mark_case& c : cases) {
    pipeline_result r = run_pipeline(c.input, c.switches);
    ASSERT_EQ(r.split, split_status::ok);
    EXPECT_EQ(r.output, c.output) << (c.switches.empty() ? "(none)" : c.switches[0]);
  }
}

// Lines of equal keys come out in input order, in either direction: under /N lines that differ
// only in case, under /+n lines equal from the column on; the text is written unfolded.
TEST(OrderLines, EqualKeysKeepTheirInputOrder) {
  const order_case cases[] = {
      {{"b", "a", "B", "A"}, {"/N"}, {"a", "A", "b", "B"}},
      {{"b", "a", "B", "A"}, {"/N", "/R"}, {"b", "B", "a", "A"}},
      {{"3x", "1y", "2x", "4y", "5x"}, {"/+2"}, {"3x", "2x", "5x", "1y", "4y"}},
      {{"3x", "1y", "2x", "4y", "5x"}, {"/+2", "/R"}, {"1y", "4y", "3x", "2x", "5x"}},
      {{"1ab", "2AB", "3ab"}, {"/+2", "/L", "/R"}, {"1ab", "3ab", "2AB"}},
  };
  for (const order_case& c : cases) {
    pipeline_result r = run_pipeline(join_lines(c.input), c.switches);
    EXPECT_EQ(r.lines, c.expected) << c.switches[0] << " and " << c.switches.size() - 1 << " more";
  }
}

// Random lines over the bytes that matter (case pairs, high bytes, 0x01, 0x7F, lead bytes)
// in every switch combination, checked against the reference model.
TEST(OrderLines, MatchesTheReferenceModel) {
  const std::string alphabet = "aAbBzZ\x01\x7f\x80\x81\x9f\xe0\xfc\xff 0~[`{";
  std::mt19937 random(12345);
  struct mode {
    std::vector<const char*> switches;
    reference_order model;
  };
  const mode modes[] = {
      {{}, {}},
      {{"/R"}, {true, false, false, 0}},
      {{"/N"}, {false, true, false, 0}},
      {{"/L"}, {false, true, true, 0}},
      {{"/+3"}, {false, false, false, 2}},
      {{"/N", "/R"}, {true, true, false, 0}},
      {{"/L", "/R"}, {true, true, true, 0}},
      {{"/L", "/+2"}, {false, true, true, 1}},
      {{"/R", "/+4"}, {true, false, false, 3}},
  };
  for (int round = 0; round < 40; ++round) {
    std::vector<std::string> lines(std::uniform_int_distribution<int>(1, 300)(random));
    for (std::string& line : lines) {
      line.resize(std::uniform_int_distribution<size_t>(0, 12)(random));
      for (char& c : line) {
        c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
      }
    }
    std::string input = join_lines(lines);
    for (const mode& m : modes) {
      pipeline_result r = run_pipeline(input, m.switches);
      ASSERT_EQ(r.split, split_status::ok);
      EXPECT_EQ(r.lines, m.model.sorted(lines)) << "round " << round;
      EXPECT_EQ(r.output, join_lines(r.lines));
    }
  }
}

}  // namespace

// The fast sort against the plain one (qsort of the pointers with the comparators) on random
// inputs in every switch combination.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "corpus_lines.h"
#include "sort/line_table.h"
#include "sort/run_settings.h"
#include "unit/pipeline.h"

namespace {

// The plain sort: pointers moved by the column skip, keys folded in place over an unfolded
// copy, qsort with entry_compare, then text and line starts restored.
std::vector<std::string> plain_sort(const std::string& input,
                                    const std::vector<const char*>& switches) {
  reset_run_settings();
  for (const char* s : switches) {
    apply_switch(s);
  }
  std::vector<std::string> lines;
  if (allocate_buffers(static_cast<int32_t>(input.size())) != buffer_status::ok) {
    return lines;
  }
  std::memcpy(text_buffer, input.data(), input.size());
  if (split_lines() == split_status::ok) {
    size_t bytes = static_cast<size_t>(input_size) + 1;
    for (int32_t i = 0; i < line_count; ++i) {
      for (int32_t n = 0; n < column_skip && *line_table[i] != '\0'; ++n) {
        ++line_table[i];
      }
    }
    if (fold_case) {
      std::memcpy(spare_buffer, text_buffer, bytes);
      for (int32_t i = 0; i < line_count; ++i) {
        for (char* p = line_table[i]; *p != '\0'; ++p) {
          if (*p >= 'a' && *p <= 'z') {
            *p = static_cast<char>(*p - 32);
          }
        }
      }
    }
    std::qsort(line_table, static_cast<size_t>(line_count), sizeof(char*), entry_compare);
    if (fold_case) {
      std::memcpy(text_buffer, spare_buffer, bytes);
    }
    for (int32_t i = 0; i < line_count; ++i) {
      while (line_table[i][-1] != '\0') {
        --line_table[i];
      }
      lines.emplace_back(line_table[i]);
    }
  }
  release_buffers();
  reset_run_settings();
  return lines;
}

// What the order is defined by: the key after the column skip, folded for /N and /L, with the
// unfolded key after it for /L.
std::string order_key(const std::string& line, size_t skip, bool fold, bool tie_break) {
  std::string key = line.substr(std::min(skip, line.size()));
  std::string folded = key;
  if (fold) {
    for (char& c : folded) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 32);
      }
    }
  }
  return tie_break ? folded + '\0' + key : folded;
}

std::string random_input(std::mt19937& random) {
  static const std::string edge_bytes = "aAbBzZyY\x01\x7f\x80\x81\x9f\xe0\xfc\xff\x40\x60 ~0";
  std::uniform_int_distribution<int> pick(0, 99);
  int line_total = std::uniform_int_distribution<int>(0, 3000)(random);
  std::vector<std::string> pool;
  std::string input;
  for (int i = 0; i < line_total; ++i) {
    std::string line;
    int kind = pick(random);
    if (kind < 15 && !pool.empty()) {
      line = pool[random() % pool.size()];  // a duplicate
    } else if (kind < 30 && !pool.empty()) {
      line = pool[random() % pool.size()];  // a shared prefix, then more
      line.resize(std::min(line.size(), static_cast<size_t>(random() % 40)));
      for (int n = static_cast<int>(random() % 12); n > 0; --n) {
        line += edge_bytes[random() % edge_bytes.size()];
      }
    } else {
      int length = kind < 95 ? static_cast<int>(random() % 20) : static_cast<int>(random() % 300);
      for (int n = 0; n < length; ++n) {
        line += edge_bytes[random() % edge_bytes.size()];
      }
    }
    pool.push_back(line);
    input += line;
    input += "\r\n";
  }
  if (!input.empty() && pick(random) < 20) {
    input.resize(input.size() - 2);  // no final line end
  }
  return input;
}

// The fast sort's lines against the plain sort's: the same lines, in the same order of keys.
void expect_same_order(const std::string& input, const std::vector<const char*>& mode,
                       const std::string& name) {
  std::string label = name + ":";
  bool fold = false;
  bool tie_break = false;
  size_t skip = 0;
  for (const char* s : mode) {
    label += std::string(" ") + s;
    fold = fold || s[1] == 'N' || s[1] == 'L';
    tie_break = s[1] == 'L' || (tie_break && s[1] != 'N');
    if (s[1] == '+') {
      skip = static_cast<size_t>(std::max(0, std::atoi(s + 2) - 1));
    }
  }
  pipeline_result fast = run_pipeline(input, mode);
  std::vector<std::string> plain = plain_sort(input, mode);
  ASSERT_EQ(fast.lines.size(), plain.size()) << label;
  size_t mismatch = plain.size();
  for (size_t i = 0; i < plain.size() && mismatch == plain.size(); ++i) {
    if (order_key(fast.lines[i], skip, fold, tie_break) !=
        order_key(plain[i], skip, fold, tie_break)) {
      mismatch = i;
    }
  }
  EXPECT_EQ(mismatch, plain.size())
      << label << ": '" << fast.lines[mismatch] << "' where '" << plain[mismatch] << "'";
  std::vector<std::string> a = fast.lines;
  std::vector<std::string> b = plain;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  EXPECT_EQ(a, b) << label;
}

const std::vector<std::vector<const char*>> modes = {
    {},      {"/R"},        {"/N"},        {"/L"},        {"/N", "/R"},        {"/L", "/R"},
    {"/+2"}, {"/+5", "/R"}, {"/+3", "/N"}, {"/+2", "/L"}, {"/+4", "/L", "/R"}, {"/+40"},
    {"/+12"}};

TEST(SortDifferential, FastSortMatchesThePlainSort) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 60; ++round) {
    std::string input = random_input(random);
    for (const std::vector<const char*>& mode : modes) {
      expect_same_order(input, mode, "round " + std::to_string(round));
    }
  }
}

// The benchmark's corpora, at small sizes: logs, source code, duplicates, keyed records, mixed
// case, paths, presorted and reversed input.
TEST(SortDifferential, CorporaSortAsThePlainSort) {
  for (const corpus_kind& kind : corpus_kinds()) {
    std::string input;
    for (const std::string& line : corpus_lines(kind.name, 4000)) {
      input += line + "\r\n";
    }
    ASSERT_EQ(reference_split(input).lines.size(), 4000u) << kind.name;
    for (const std::vector<const char*>& mode : modes) {
      expect_same_order(input, mode, std::string("corpus ") + kind.name);
    }
  }
}

}  // namespace

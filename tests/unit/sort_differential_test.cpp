// The fast sort against the reference model, equal keys in input order, on random inputs and
// the benchmark's corpora in every switch combination.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "corpus_lines.h"
#include "sort/line_table.h"
#include "unit/pipeline.h"
#include "unit/reference_order.h"

namespace {

// The order of the model, equal keys in input order: the input's lines, split by the line rule
// of the model, sorted stably by the reference order of the switches.
std::vector<std::string> model_sort(const std::string& input,
                                    const std::vector<const char*>& mode) {
  reference_order order;
  for (const char* s : mode) {
    order.reverse = order.reverse || s[1] == 'R';
    order.fold = order.fold || s[1] == 'N' || s[1] == 'L';
    order.tie_break = s[1] == 'L' || (order.tie_break && s[1] != 'N');
    if (s[1] == '+') {
      order.skip = static_cast<size_t>(std::max(0, std::atoi(s + 2) - 1));
    }
  }
  return order.sorted(reference_split(input).lines);
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

// The fast sort's lines, and the comparator sort's it falls back to, against the model's, line
// for line: the same lines, equal keys in input order.
void expect_same_order(const std::string& input, const std::vector<const char*>& mode,
                       const std::string& name) {
  std::string label = name + ":";
  for (const char* s : mode) {
    label += std::string(" ") + s;
  }
  std::vector<std::string> model = model_sort(input, mode);
  for (auto run : {run_pipeline, run_pipeline_by_comparators}) {
    pipeline_result sorted = run(input, mode);
    ASSERT_EQ(sorted.lines.size(), model.size()) << label;
    size_t mismatch = 0;
    while (mismatch < model.size() && sorted.lines[mismatch] == model[mismatch]) {
      ++mismatch;
    }
    EXPECT_EQ(mismatch, model.size())
        << label << ": '" << sorted.lines[mismatch] << "' where '" << model[mismatch] << "'"
        << (run == run_pipeline ? "" : " (comparator sort)");
  }
}

const std::vector<std::vector<const char*>> modes = {
    {},      {"/R"},        {"/N"},        {"/L"},        {"/N", "/R"},        {"/L", "/R"},
    {"/+2"}, {"/+5", "/R"}, {"/+3", "/N"}, {"/+2", "/L"}, {"/+4", "/L", "/R"}, {"/+40"},
    {"/+12"}};

TEST(SortDifferential, FastSortMatchesTheModel) {
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
TEST(SortDifferential, CorporaSortAsTheModel) {
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

// The benchmark corpora as lines, the same on every run: random lines and the text people
// really sort (logs, source code, duplicated words, fixed-width records, mixed case, paths,
// Shift-JIS). The benchmarks write them to files; the tests sort them at small sizes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct corpus_kind {
  char name;
  size_t lines;             // in the benchmark's file
  const char* description;  // for the usage text
};

// Every kind, in the benchmark's order.
const std::vector<corpus_kind>& corpus_kinds();

// `count` lines of the corpus `kind`, without line ends; empty for an unknown kind.
std::vector<std::string> corpus_lines(char kind, size_t count);

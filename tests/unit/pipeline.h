// Runs the in-memory part of a sort (split, order, assemble) on bytes, as the program does.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "sort/line_table.h"

struct pipeline_result {
  split_status split;
  std::vector<std::string> lines;  // in output order
  std::string output;              // the bytes the program would write
};

// Sorts `input` with the given switches (as command-line arguments, "/R" and so on).
pipeline_result run_pipeline(const std::string& input, const std::vector<const char*>& switches);

// Splits `input` into lines only, without ordering them.
pipeline_result split_only(const std::string& input);

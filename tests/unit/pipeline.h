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

// The same with the comparator sort the program falls back to.
pipeline_result run_pipeline_by_comparators(const std::string& input,
                                            const std::vector<const char*>& switches);

// Splits `input` into lines only, without ordering them.
pipeline_result split_only(const std::string& input);

// The line rule, a byte at a time, as the model the split is checked against: a trailing Ctrl-Z
// is dropped, a NUL anywhere is refused, a UTF-8 byte-order mark at the start belongs to no
// line, CR LF alone ends a line, and a final CR LF ends the last line without an empty one after
// it.
pipeline_result reference_split(std::string input);

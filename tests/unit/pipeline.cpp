// The in-memory pipeline for the tests.
#include "unit/pipeline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sort/line_order.h"
#include "sort/run_settings.h"

namespace {

// The tests and fuzzers cannot go on without it: said, not mistaken for a result.
[[noreturn]] void no_memory(const char* what) {
  std::fprintf(stderr, "pipeline: no memory for %s\n", what);
  std::abort();
}

using order_function = bool (*)(char** table, int32_t count, int32_t size);

// `order` null: split only.
pipeline_result run(const std::string& input, const std::vector<const char*>& switches,
                    order_function order) {
  reset_run_settings();
  for (const char* s : switches) {
    apply_switch(s);
  }
  pipeline_result result{};
  if (allocate_buffers(static_cast<int32_t>(input.size())) != buffer_status::ok) {
    no_memory("the buffers");
  }
  if (!input.empty()) {
    std::memcpy(text_buffer, input.data(), input.size());
  }
  result.split = split_lines();
  if (result.split == split_status::ok) {
    if (order != nullptr) {
      if (!order(line_table, line_count, input_size)) {
        no_memory("the sort");
      }
    }
    for (int32_t i = 0; i < line_count; ++i) {
      result.lines.emplace_back(line_table[i]);
    }
    output_cursor assembly;
    const char* piece = nullptr;
    for (size_t count; (count = next_output_piece(&assembly, &piece)) > 0;) {
      result.output.append(piece, count);
    }
  }
  release_buffers();
  reset_run_settings();
  return result;
}

}  // namespace

pipeline_result run_pipeline(const std::string& input, const std::vector<const char*>& switches) {
  return run(input, switches, order_lines);
}

pipeline_result run_pipeline_by_comparators(const std::string& input,
                                            const std::vector<const char*>& switches) {
  return run(input, switches, order_by_comparators);
}

pipeline_result split_only(const std::string& input) {
  return run(input, {}, nullptr);
}

pipeline_result reference_split(std::string input) {
  pipeline_result r{split_status::ok, {}, {}};
  if (!input.empty() && input.back() == '\x1a') {
    input.pop_back();
  }
  if (input.find('\0') != std::string::npos) {
    r.split = split_status::nul_byte;
    return r;
  }
  // A UTF-8 byte-order mark at the very start is the file's, no line's.
  size_t start = input.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  for (size_t i = start; i + 1 < input.size(); ++i) {
    if (input[i] == '\r' && input[i + 1] == '\n') {
      r.lines.push_back(input.substr(start, i - start));
      start = i + 2;
      ++i;
    }
  }
  if (start < input.size() || r.lines.empty()) {
    r.lines.push_back(input.substr(start));
  }
  if (r.lines.size() > static_cast<size_t>(line_table_capacity)) {
    r = {split_status::too_many_lines, {}, {}};
  }
  return r;
}

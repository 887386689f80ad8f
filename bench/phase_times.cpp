// Times each phase of one sort in milliseconds, as the program runs them:
//   velatr_phase_times FILE [switches...]
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "sort/line_order.h"
#include "sort/line_table.h"
#include "sort/output_file.h"
#include "sort/run_settings.h"

namespace {

using clock_type = std::chrono::steady_clock;

double milliseconds_since(clock_type::time_point& from) {
  clock_type::time_point now = clock_type::now();
  double ms = std::chrono::duration<double, std::milli>(now - from).count();
  from = now;
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: velatr_phase_times FILE [switches...]\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    apply_switch(argv[i]);
  }
  clock_type::time_point t = clock_type::now();
  int fd = -1;
  int32_t size = 0;
  if (open_sized_input(argv[1], &fd, &size) != open_status::ok) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  if (allocate_buffers(size) != buffer_status::ok) {
    return 1;
  }
  double allocate = milliseconds_since(t);
  if (read_input(fd) != read_status::ok) {
    return 1;
  }
  double read = milliseconds_since(t);
  if (split_lines() != split_status::ok) {
    return 1;
  }
  double split = milliseconds_since(t);
  if (!order_lines(line_table, line_count, input_size)) {
    return 1;
  }
  double sort = milliseconds_since(t);
  // The output is written as it is assembled, as the program does.
  std::string out = std::string(argv[1]) + ".phase-times.out";
  output_cursor assembly;
  if (write_output(out.c_str(), output_source{next_output_piece, &assembly}) != write_status::ok) {
    return 1;
  }
  double write = milliseconds_since(t);
  platform.file_remove(out.c_str());
  std::printf("allocate %.0f  read %.0f  split %.0f  sort %.0f  write %.0f ms  (%d lines)\n",
              allocate, read, split, sort, write, line_count);
  return 0;
}

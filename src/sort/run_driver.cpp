// The run driver: switches, input, drive check, buffers, and the four timed phases.
#include "sort/run_driver.h"

#include <cstdint>
#include <ctime>

#include "console/console.h"
#include "console/usage_text.h"
#include "platform/platform.h"
#include "sort/drive_space.h"
#include "sort/line_order.h"
#include "sort/line_table.h"
#include "sort/output_file.h"
#include "sort/run_settings.h"

namespace {

constexpr int exit_success = 0;
constexpr int exit_failure = 1;

long seconds_between(std::time_t from, std::time_t to) {
  return static_cast<long>(to - from);
}

int fail(const char* message) {
  con_print_line(message);
  return exit_failure;
}

// Opens the input and takes its size, printing the failure.
bool open_input(const char* name, int* fd, int32_t* size) {
  switch (open_sized_input(name, fd, size)) {
    case open_status::open_failed:
      con_print_line("\nInput file open err.");
      return false;
    case open_status::too_large:
      con_print_line("\nMemory err1");
      return false;
    case open_status::ok:
      break;
  }
  return true;
}

const char* write_failure_message(write_status status) {
  switch (status) {
    case write_status::replace_failed:
      return "\nOutput file remove err.";
    case write_status::open_failed:
      return "\nOutput file open err.";
    case write_status::write_failed:
    case write_status::ok:
      break;
  }
  return "\nOutput file write err.";
}

}  // namespace

int run_velatr(int argc, char** argv) {
  platform_guard_standard_streams();
  ansi_write("\x1b*");
  show_banner("VELTAR 5ML", "$Revision: 3.40 $", "32bit Speed Sort (Win32)",
              "$Date: 103/01/21 16:17:24 $");
  if (argc < 3) {
    print_usage();
    return exit_failure;
  }
  std::time_t t0 = std::time(nullptr);
  read_switches(argc, argv);
  const char* input_name = argv[1];
  const char* output_name = argv[2];

  int input = -1;
  int32_t size = 0;
  if (!open_input(input_name, &input, &size)) {
    return exit_failure;
  }
  if (skip_drive_check) {
    con_print_line("\nPretermit option '/X'");
  } else if (!check_output_space(output_name, size)) {
    platform.file_close(input);
    return exit_failure;
  }
  // A replace another program's hold would refuse is said now, not after the sort.
  if (output_held(output_name)) {
    platform.file_close(input);
    return fail("\nOutput file remove err.");
  }
  switch (allocate_buffers(size)) {
    case buffer_status::text_failed:
      platform.file_close(input);
      return fail("\nMemory err1");
    case buffer_status::spare_failed:
      platform.file_close(input);
      return fail("\nMemory err2");
    case buffer_status::ok:
      break;
  }

  con_printf("\x1b[mInit");
  std::time_t t1 = std::time(nullptr);
  con_printf("      %ld (Sec)", seconds_between(t0, t1));
  if (command_summary[0] != '\0') {
    con_printf("      Command = %s\n", command_summary);
  } else {
    con_print_line("");
  }

  con_printf("Read");
  if (read_input(input) != read_status::ok) {
    return fail("\nInput file read err.");
  }
  switch (split_lines()) {
    case split_status::too_many_lines:
      return fail("Too many Lines.");
    case split_status::nul_byte:
      return fail("\nInput file NUL err.");
    case split_status::ok:
      break;
  }
  std::time_t t2 = std::time(nullptr);
  con_printf("      %ld (Sec)      %d(L)\n", seconds_between(t1, t2), line_count);

  con_printf("Sort");
  // Only the comparator sort, run when the records' memory could not be had, takes more.
  if (!order_lines(line_table, line_count, input_size)) {
    return fail("\nMemory err2");
  }
  std::time_t t3 = std::time(nullptr);
  con_printf("      %ld (Sec)\n", seconds_between(t2, t3));

  con_printf("Write");
  output_cursor assembly;
  write_status written = write_output(output_name, output_source{next_output_piece, &assembly});
  if (written != write_status::ok) {
    return fail(write_failure_message(written));
  }
  std::time_t t4 = std::time(nullptr);
  con_printf("     %ld (Sec)      Success\n", seconds_between(t3, t4));
  return exit_success;
}

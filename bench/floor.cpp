// The floor of any whole-file sort: the input read into fresh memory, split into its lines and
// written back in text order, through the program's own functions, without the sort:
//   velatr_floor INPUT OUTPUT
#include <cstdio>

#include "sort/line_table.h"
#include "sort/output_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velatr_floor INPUT OUTPUT\n");
    return 2;
  }
  int fd = -1;
  int32_t size = 0;
  if (open_sized_input(argv[1], &fd, &size) != open_status::ok ||
      allocate_buffers(size) != buffer_status::ok || read_input(fd) != read_status::ok ||
      split_lines() != split_status::ok) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  output_cursor assembly;
  return write_output(argv[2], output_source{next_output_piece, &assembly}) == write_status::ok ? 0
                                                                                                : 1;
}

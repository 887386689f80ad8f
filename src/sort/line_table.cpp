// Buffers, reading, splitting into lines and assembling the output.
#include "sort/line_table.h"

#include <cstring>

#include "platform/large_memory.h"
#include "platform/platform.h"
#include "sort/byte_search.h"
#include "sort/line_copy.h"

char* line_table[line_table_capacity];
int32_t line_count = 0;
char* text_buffer = nullptr;
char* spare_buffer = nullptr;
ptrdiff_t text_offset = 0;
int32_t input_size = 0;

// The copy's last chunk may start at the final NUL; the output may run two bytes past the data.
static_assert(buffer_slack >= 3 + line_copy_overrun && buffer_slack > byte_search_overread);

namespace {

constexpr char carriage_return = '\r';
constexpr char ctrl_z = 0x1A;
// Lines ahead of the copy whose bytes are fetched early while assembling.
constexpr int32_t prefetch_distance = 16;

size_t allocated_size = 0;

size_t block_size(size_t data) {
  return data + 1 + buffer_slack;
}

// One block: a NUL in front of the data, the slack after it zeroed so that reads past a line's
// end see defined bytes.
char* allocate_block(size_t size) {
  char* block = static_cast<char*>(allocate_large(block_size(size)));
  if (block == nullptr) {
    return nullptr;
  }
  block[0] = '\0';
  std::memset(block + 1 + size, 0, buffer_slack);
  return block + 1;
}

}  // namespace

void release_buffers() {
  if (text_buffer != nullptr) {
    release_large(text_buffer - 1, block_size(allocated_size));
  }
  if (spare_buffer != nullptr) {
    release_large(spare_buffer - 1, block_size(allocated_size));
  }
  text_buffer = nullptr;
  spare_buffer = nullptr;
}

buffer_status allocate_buffers(int32_t size) {
  // The table's pages are touched by the split; whole huge pages fault in 512 times less often.
  advise_huge_pages(line_table, sizeof line_table);
  size_t bytes = static_cast<size_t>(size);
  allocated_size = bytes;
  text_buffer = allocate_block(bytes);
  if (text_buffer == nullptr) {
    return buffer_status::text_failed;
  }
  spare_buffer = allocate_block(bytes);
  if (spare_buffer == nullptr) {
    return buffer_status::spare_failed;
  }
  input_size = size;
  text_offset = spare_buffer - text_buffer;
  return buffer_status::ok;
}

read_status read_input(int fd) {
  size_t wanted = static_cast<size_t>(input_size);
  size_t got = 0;
  while (got < wanted) {
    int64_t n = platform.file_read(fd, text_buffer + got, wanted - got);
    if (n <= 0) {
      break;
    }
    got += static_cast<size_t>(n);
  }
  platform.file_close(fd);
  return got == wanted ? read_status::ok : read_status::short_read;
}

split_status split_lines() {
  char* data = text_buffer;
  int32_t size = input_size;
  if (size > 0 && data[size - 1] == ctrl_z) {
    --size;
  }
  input_size = size;
  // A final CR LF ends the last line; no empty line follows it.
  int32_t end = size;
  if (size >= 2 && data[size - 2] == carriage_return) {
    data[size - 2] = '\0';
    end = size - 2;
  }
  data[size] = '\0';

  line_table[0] = data;
  int32_t count = 1;
  const char* p = data;
  for (;;) {
    p = find_cr_or_nul(p);
    int32_t i = static_cast<int32_t>(p - data);
    if (*p == '\0') {
      // Any NUL but the data's end would cut the file short here. The scan may step over
      // `end` when that CR is the discarded byte after another CR.
      line_count = count;
      return i == end || i == size ? split_status::ok : split_status::nul_byte;
    }
    if (count == line_table_capacity) {
      line_count = count;
      return split_status::too_many_lines;
    }
    if (i == size - 1) {
      data[i] = '\0';
      line_count = count;
      return split_status::ok;
    }
    // The byte after a CR is taken for its LF, whatever it is.
    data[i] = '\0';
    data[i + 1] = '\0';
    line_table[count++] = data + i + 2;
    p = data + i + 2;
  }
}

size_t assemble_output() {
  char* out = spare_buffer;
  for (int32_t i = 0; i < line_count; ++i) {
    if (i + prefetch_distance < line_count) {
      __builtin_prefetch(line_table[i + prefetch_distance]);
      __builtin_prefetch(line_table[i + prefetch_distance] + 48);  // a line across two
    }
    out += copy_line(out, line_table[i]);
    out[0] = '\r';
    out[1] = '\n';
    out[2] = '\0';
    out += 2;
  }
  size_t assembled = static_cast<size_t>(out - spare_buffer);
  size_t size = static_cast<size_t>(input_size);
  return assembled < size ? assembled : size;
}

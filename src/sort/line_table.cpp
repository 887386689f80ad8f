// Buffers, reading, splitting into lines and assembling the output.
#include "sort/line_table.h"

#include <cstring>

#include "platform/large_memory.h"
#include "platform/platform.h"
#include "sort/byte_search.h"
#include "sort/line_copy.h"
#include "sort/radix_sort.h"

char* line_table[line_table_capacity];
int32_t line_count = 0;
char* text_buffer = nullptr;
char* spare_buffer = nullptr;
size_t spare_size = 0;
ptrdiff_t text_offset = 0;
int32_t input_size = 0;
int32_t byte_order_mark = 0;

// The copy's last chunk may start at the final NUL; the output may run two bytes past the data.
static_assert(buffer_slack >= 3 + line_copy_overrun && buffer_slack > byte_search_overread);

namespace {

constexpr char carriage_return = '\r';
constexpr char line_feed = '\n';
constexpr char ctrl_z = 0x1A;
constexpr char utf8_mark[3] = {'\xEF', '\xBB', '\xBF'};
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

open_status open_sized_input(const char* name, int* fd, int32_t* size) {
  int input = platform.file_open_read(name);
  if (input < 0) {
    return open_status::open_failed;
  }
  file_info info;
  if (!platform.file_status(input, &info) || info.kind != file_kind::regular) {
    platform.file_close(input);
    return open_status::open_failed;
  }
  // Sized as 64 bits first, so that 4 GiB + 1 is never taken for 1 byte.
  if (info.size > INT32_MAX) {
    platform.file_close(input);
    return open_status::too_large;
  }
  *fd = input;
  *size = static_cast<int32_t>(info.size);
  return open_status::ok;
}

void release_buffers() {
  if (text_buffer != nullptr) {
    release_large(text_buffer - 1, block_size(allocated_size));
  }
  if (spare_buffer != nullptr) {
    release_large(spare_buffer - 1, block_size(spare_size));
  }
  text_buffer = nullptr;
  spare_buffer = nullptr;
  spare_size = 0;
}

// The records of as many lines as the table holds, with room to align them; never more than the
// input's own size (the records of a text of very short lines get a block of their own).
size_t spare_size_for(int32_t size) {
  constexpr size_t most_records =
      static_cast<size_t>(line_table_capacity) * sizeof(line_record) + alignof(line_record);
  size_t bytes = static_cast<size_t>(size);
  return bytes < most_records ? bytes : most_records;
}

buffer_status allocate_buffers(int32_t size) {
  size_t bytes = static_cast<size_t>(size);
  allocated_size = bytes;
  text_buffer = allocate_block(bytes);
  if (text_buffer == nullptr) {
    return buffer_status::text_failed;
  }
  spare_size = spare_size_for(size);
  spare_buffer = allocate_block(spare_size);
  if (spare_buffer == nullptr) {
    spare_size = 0;
    return buffer_status::spare_failed;
  }
  input_size = size;
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
  // The stated size may lie (a file of /proc, one that grew while read): the end must be here.
  char past_end;
  bool at_end = got == wanted && platform.file_read(fd, &past_end, 1) == 0;
  platform.file_close(fd);
  if (got != wanted) {
    return read_status::short_read;
  }
  return at_end ? read_status::ok : read_status::larger_than_stated;
}

namespace {

// Where the split stands: the data, the lines found so far.
struct split_state {
  char* data;
  int32_t size;
  int32_t end;  // where the final CR LF, made NUL, began (or size)
  int32_t count;
};

enum class step_result { next_line, ok, too_many_lines, nul_byte };

// Finds the next CR LF from `p` on, one byte at a time, and records the line after it; `p`
// moves to where the search goes on. A CR that no LF follows is a byte of its line.
step_result split_step(split_state& s, const char*& p) {
  p = find_cr_or_nul(p);
  int32_t i = static_cast<int32_t>(p - s.data);
  if (*p == '\0') {
    // Any NUL but the data's end would cut the file short here.
    return i == s.end || i == s.size ? step_result::ok : step_result::nul_byte;
  }
  if (s.data[i + 1] != '\n') {
    ++p;
    return step_result::next_line;
  }
  if (s.count == line_table_capacity) {
    return step_result::too_many_lines;
  }
  s.data[i] = '\0';
  s.data[i + 1] = '\0';
  line_table[s.count++] = s.data + i + 2;
  p = s.data + i + 2;
  return step_result::next_line;
}

// Records every CR LF of the block at `p` at once, when the block holds no NUL and the table has
// room; the block and the byte after it lie inside the data. Returns where the search goes on,
// or null when the block needs the byte-wise steps.
const char* split_plain_block(split_state& s, const char* p) {
  block_bits bits = find_line_end_bits(p);
  // A CR as the block's last byte may have its LF just after the block.
  uint64_t lf_after = p[byte_block] == '\n' ? 1 : 0;
  uint64_t ends = bits.crs & (bits.lfs >> 1 | lf_after << (byte_block - 1));
  if (bits.nuls != 0 || s.count + __builtin_popcountll(ends) > line_table_capacity) {
    return nullptr;
  }
  char* block = s.data + (p - s.data);
  int32_t count = s.count;
  for (uint64_t left = ends; left != 0; left &= left - 1) {
    int i = __builtin_ctzll(left);
    block[i] = '\0';
    block[i + 1] = '\0';
    line_table[count++] = block + i + 2;
  }
  s.count = count;
  return p + byte_block + (ends >> (byte_block - 1));
}

}  // namespace

split_status split_lines() {
  char* data = text_buffer;
  int32_t size = input_size;
  if (size > 0 && data[size - 1] == ctrl_z) {
    --size;
  }
  input_size = size;
  // A final CR LF ends the last line; no empty line follows it.
  int32_t end = size;
  if (size >= 2 && data[size - 2] == carriage_return && data[size - 1] == line_feed) {
    data[size - 2] = '\0';
    end = size - 2;
  }
  data[size] = '\0';

  // A UTF-8 byte-order mark belongs to the file, not to its first line: it is no part of any
  // key, and the output starts with it. The NUL over its last byte ends the walk back to the
  // first line's start.
  byte_order_mark = 0;
  if (size >= 3 && std::memcmp(data, utf8_mark, sizeof utf8_mark) == 0) {
    byte_order_mark = sizeof utf8_mark;
    data[2] = '\0';
  }
  line_table[0] = data + byte_order_mark;
  split_state s{data, size, end, 1};
  const char* p = data + byte_order_mark;
  // Blocks that end, with the byte after them, before the data's last byte.
  int32_t plain_limit = size - static_cast<int32_t>(byte_block) - 1;
  for (;;) {
    const char* block_end = p + byte_block;
    if (p - data < plain_limit) {
      const char* next = split_plain_block(s, p);
      if (next != nullptr) {
        p = next;
        continue;
      }
    } else {
      block_end = data + size + 1;
    }
    // Byte-wise, up to the end of the block (or of the data).
    while (p < block_end) {
      step_result r = split_step(s, p);
      if (r != step_result::next_line) {
        line_count = s.count;
        return r == step_result::ok               ? split_status::ok
               : r == step_result::too_many_lines ? split_status::too_many_lines
                                                  : split_status::nul_byte;
      }
    }
  }
}

size_t next_output_piece(void* state, const char** piece) {
  // Past its capacity the buffer takes the chunk a copy may run on and a line end.
  static char buffer[output_piece_size + 2 * line_copy_overrun];
  output_cursor& cursor = *static_cast<output_cursor*>(state);
  char* out = buffer;
  char* const limit = buffer + output_piece_size;
  if (cursor.produced == 0 && cursor.line == 0 && cursor.offset == 0) {
    std::memcpy(out, utf8_mark, static_cast<size_t>(byte_order_mark));
    out += byte_order_mark;
  }
  while (cursor.line < line_count && out < limit) {
    int32_t i = cursor.line;
    if (i + prefetch_distance < line_count) {
      __builtin_prefetch(line_table[i + prefetch_distance]);
      __builtin_prefetch(line_table[i + prefetch_distance] + 48);  // a line across two
    }
    bool ended = false;
    size_t copied =
        copy_line(out, line_table[i] + cursor.offset, static_cast<size_t>(limit - out), &ended);
    out += copied;
    if (!ended) {
      cursor.offset += copied;  // a line longer than the rest of the piece
      break;
    }
    out[0] = '\r';
    out[1] = '\n';
    out += 2;
    cursor.offset = 0;
    ++cursor.line;
  }
  // The last line's end is not written when the input had none.
  size_t length = static_cast<size_t>(out - buffer);
  size_t left = static_cast<size_t>(input_size) - cursor.produced;
  length = length < left ? length : left;
  cursor.produced += length;
  *piece = buffer;
  return length;
}

// The text buffers, the table of line starts, and the trip from input file to output bytes.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t line_table_capacity = 5000001;

// Entry i points at the first byte of line i, a NUL-terminated string in the text buffer.
extern char* line_table[line_table_capacity];
extern int32_t line_count;

// The data areas of the two buffers; each block has a NUL in front and slack after the data. The
// text buffer holds the input; the spare buffer the sort's records, so it is only as large as
// the records of the most lines there can be (spare_size bytes), which keeps a 32-bit process's
// address space for the text.
extern char* text_buffer;
extern char* spare_buffer;
extern size_t spare_size;
// Where a line's unfolded copy lies from the line, in bytes, while the comparator sort runs on
// folded text.
extern ptrdiff_t text_offset;
// Bytes of data, less a dropped trailing Ctrl-Z once the lines are split.
extern int32_t input_size;
// Bytes of the UTF-8 byte-order mark the data start with (3), kept first in the output; else 0.
extern int32_t byte_order_mark;

// Bytes after the data in each block: the terminator, the slack of the word-wise comparison, of
// the sixteen-byte line-end search and of the chunked line copy, and the up to two extra bytes
// of the assembled output with their NUL.
constexpr size_t buffer_slack = 128;

enum class open_status { ok, open_failed, too_large };
enum class buffer_status { ok, text_failed, spare_failed };
enum class read_status { ok, short_read, larger_than_stated };
enum class split_status { ok, too_many_lines, nul_byte };

// Opens the input for reading and takes its size: only a regular file has a size that means
// anything, and sizes are signed 32-bit counts (2 GiB and more is too large). The file is closed
// again on failure.
open_status open_sized_input(const char* name, int* fd, int32_t* size);

// Bytes of the spare buffer for an input of `size` bytes: its records, or fewer when the input
// cannot hold that many lines.
size_t spare_size_for(int32_t size);

// Allocates the text buffer for `size` bytes of data and the spare buffer for its records;
// reports which allocation failed.
buffer_status allocate_buffers(int32_t size);

// Frees both buffers (the program leaves that to its exit; tests and tools call it).
void release_buffers();

// Reads input_size bytes from `fd` into the text buffer, makes sure the file ends there, and
// closes it.
read_status read_input(int fd);

// Prepares the data end and fills line_table; lowers input_size for a trailing Ctrl-Z.
split_status split_lines();

// Bytes of output assembled at a time: the output is written as it is assembled, so that only a
// piece of it is ever in memory.
constexpr size_t output_piece_size = size_t{1} << 20;

// Where the assembly of the output stands; a fresh one starts at the first line.
struct output_cursor {
  int32_t line = 0;     // the next line to copy
  size_t offset = 0;    // bytes of it already given (a line longer than a piece)
  size_t produced = 0;  // bytes given so far
};

// The next piece of the output from `state`, an output_cursor: the lines in table order, each
// with CR LF, the whole cut to the input's length. Sets `piece` to it and returns its length, 0
// at the end; the piece lasts until the next call. The shape of an output_source.
size_t next_output_piece(void* state, const char** piece);

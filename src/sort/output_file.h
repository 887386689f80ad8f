// Replacing the output file without ever destroying what was there.
#pragma once

#include <cstddef>

enum class write_status { ok, remove_failed, open_failed, write_failed };

// The output, handed out a piece at a time: `next` sets its second argument to the next piece
// of `state` and returns its length, 0 at the end.
struct output_source {
  size_t (*next)(void* state, const char** piece);
  void* state;
};

// Writes the pieces of `source` as the new contents of the file `name`, or of what its symbolic
// links lead to (the links stay). A regular file, or a new one, is written to a temporary file
// beside it, given the old file's access, and renamed over it; a device or FIFO, and anything
// under /dev or /proc, is written in place; a directory is refused. On failure the old file is
// as it was and no temporary is left.
write_status write_output(const char* name, output_source source);

// The same for `count` bytes at hand.
write_status write_output(const char* name, const char* bytes, size_t count);

// The temporary name used for `name`: in the same directory, unique to this process and try.
void temporary_name_for(const char* name, unsigned attempt, char* out, size_t out_size);

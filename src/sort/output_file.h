// Replacing the output file without ever destroying what was there.
#pragma once

#include <cstddef>

// How a write ended: replace_failed, the old output could not be replaced (it is read-only, its
// directory takes no new file, the new file cannot be given its access, or the rename failed:
// "Output file remove err."); open_failed, no output could be made ("Output file open err.");
// write_failed, the data did not all reach the file or the run was interrupted ("Output file
// write err."). After any of them the old output is as it was.
enum class write_status { ok, replace_failed, open_failed, write_failed };

// The output, handed out a piece at a time: `next` sets its second argument to the next piece
// of `state` and returns its length, 0 at the end.
struct output_source {
  size_t (*next)(void* state, const char** piece);
  void* state;
};

// Writes the pieces of `source` as the new contents of the file `name`, or of what its symbolic
// links lead to (the links stay). A regular file, or a new one, is written to a private
// temporary file beside it, given the old file's access before any data, and renamed over it; a
// device, FIFO or socket is written in place without truncation, and a descriptor's name
// (/dev/stdout) through that descriptor; a directory is refused. On failure the old file is as
// it was and no temporary is left.
write_status write_output(const char* name, output_source source);

// True when the existing file the output would replace is held open by another program so that
// the replace would fail (Windows only), to be said before the work rather than after it.
bool output_held(const char* name);

// The temporary name used for `name`: in the same directory, unique to this process and try.
void temporary_name_for(const char* name, unsigned attempt, char* out, size_t out_size);

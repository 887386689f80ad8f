// The output file, replaced through a temporary file in its directory.
#include "sort/output_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/interrupt_guard.h"
#include "platform/platform.h"

namespace {

constexpr unsigned create_attempts = 100;

// Writes all of a piece, in as many calls as the system needs (a call may write less than it
// was given); stops early when interrupted.
bool write_all(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    if (interrupt_requested()) {
      return false;
    }
    int64_t put = platform.file_write(fd, bytes, count);
    if (put <= 0) {
      return false;
    }
    bytes += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

// Writes every piece of `source`.
bool write_source(int fd, output_source source) {
  const char* piece = nullptr;
  for (size_t count; (count = source.next(source.state, &piece)) > 0;) {
    if (!write_all(fd, piece, count)) {
      return false;
    }
  }
  return !interrupt_requested();
}

// Guarded as a replace is, so that a file-size limit fails the write instead of ending the
// process, and an interrupt ends it only once the device is closed.
write_status write_in_place(const char* name, output_source source) {
  interrupt_guard_begin();
  int fd = platform.file_open_write(name);
  if (fd < 0) {
    interrupt_guard_end();
    return write_status::open_failed;
  }
  bool written = write_source(fd, source);
  bool closed = platform.file_close(fd);
  interrupt_guard_end();
  return written && closed ? write_status::ok : write_status::write_failed;
}

write_status write_replacing(const char* name, bool replaces, output_source source) {
  // A directory that refuses new files refuses to let the old output go too.
  write_status cannot_create = replaces ? write_status::replace_failed : write_status::open_failed;
  std::string temporary(std::strlen(name) + 64, '\0');
  // Guarded before the temporary file exists, so that no interrupt can leave it behind.
  interrupt_guard_begin();
  int fd = -1;
  bool named = false;  // whether the name exists before the file is kept
  for (unsigned attempt = 0; attempt < create_attempts && fd < 0; ++attempt) {
    temporary_name_for(name, attempt, temporary.data(), temporary.size());
    fd = platform.file_create_temporary(temporary.c_str(), replaces ? name : nullptr, &named);
    if (fd < 0 && !platform.path_taken(temporary.c_str())) {
      break;  // not a name clash: the directory will not take the file
    }
  }
  if (fd < 0) {
    interrupt_guard_end();
    return cannot_create;
  }
  // The new file is as private as the old one before any of the data is in it.
  bool same_access = platform.file_copy_access(replaces ? name : nullptr, fd);
  bool written = same_access && write_source(fd, source);
  // A replaced file must be on the disk before the old one goes.
  bool flushed = written && (!replaces || platform.file_flush(fd));
  // Only a complete file is given its name: until then the system removes it with the process.
  bool kept =
      flushed && !interrupt_requested() && platform.file_keep_temporary(fd, temporary.c_str());
  bool closed = platform.file_close(fd);
  write_status status = write_status::ok;
  // An interrupt before the rename keeps the old output: the new one is given up.
  if (!same_access) {
    status = write_status::replace_failed;
  } else if (!(written && flushed && closed) || interrupt_requested()) {
    status = write_status::write_failed;
  } else if (!kept || !platform.file_rename(temporary.c_str(), name)) {
    status = replaces ? write_status::replace_failed : write_status::open_failed;
  }
  if (status != write_status::ok && (named || kept)) {
    platform.file_remove(temporary.c_str());
  }
  interrupt_guard_end();  // an interrupt ends the process here, with nothing left behind
  return status;
}

}  // namespace

void temporary_name_for(const char* name, unsigned attempt, char* out, size_t out_size) {
  size_t directory = platform_directory_length(name);
  std::snprintf(out, out_size, "%.*s.velatr-%u-%u.tmp", static_cast<int>(directory), name,
                platform_process_id(), attempt);
}

bool output_held(const char* name) {
  std::string target;
  return platform.follow_links(name, &target) == name_target::plain &&
         platform.path_status(target.c_str()).kind == file_kind::regular &&
         platform.file_held(target.c_str());
}

write_status write_output(const char* name, output_source source) {
  std::string target;
  switch (platform.follow_links(name, &target)) {
    case name_target::loop:
      return write_status::open_failed;
    case name_target::descriptor:
      return write_in_place(target.c_str(), source);
    case name_target::plain:
      break;
  }
  // What the name is decides, not where it is: a regular file is replaced (under /dev/shm too),
  // a device, FIFO or socket written in place.
  file_info existing = platform.path_status(target.c_str());
  switch (existing.kind) {
    case file_kind::directory:
      return write_status::open_failed;
    case file_kind::other:
      return write_in_place(target.c_str(), source);
    case file_kind::regular:
      if (existing.read_only) {
        return write_status::replace_failed;
      }
      return write_replacing(target.c_str(), true, source);
    case file_kind::missing:
      break;
  }
  return write_replacing(target.c_str(), false, source);
}

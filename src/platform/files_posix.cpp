// File calls of the stand-in layer: POSIX descriptors in binary mode.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/platform_defaults.h"

namespace {

int open_retrying(const char* name, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(name, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

file_info info_from(const struct stat& st) {
  // Permission bits do not stop a rename here: the directory decides.
  file_info info{file_kind::other, 0, false};
  if (S_ISREG(st.st_mode)) {
    info.kind = file_kind::regular;
    info.size = static_cast<int64_t>(st.st_size);
  } else if (S_ISDIR(st.st_mode)) {
    info.kind = file_kind::directory;
  }
  return info;
}

// Opened without waiting, so that a FIFO given as the input is refused instead of hanging.
int posix_open_read(const char* name) {
  return open_retrying(name, O_RDONLY | O_NONBLOCK);
}

// A FIFO waits for its reader here, as for any other program writing to it.
int posix_open_write(const char* name) {
  return open_retrying(name, O_WRONLY | O_NOCTTY);
}

int posix_create_new(const char* name) {
  return open_retrying(name, O_RDWR | O_CREAT | O_EXCL | O_NOCTTY, 0666);
}

bool posix_file_status(int fd, file_info* info) {
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    return false;
  }
  *info = info_from(st);
  return true;
}

file_info posix_path_status(const char* name) {
  struct stat st;
  if (::stat(name, &st) != 0) {
    return file_info{file_kind::missing, 0, false};
  }
  return info_from(st);
}

int64_t posix_read(int fd, void* buffer, size_t count) {
  ssize_t got;
  do {
    got = ::read(fd, buffer, count);
  } while (got < 0 && errno == EINTR);
  return got;
}

int64_t posix_write(int fd, const void* bytes, size_t count) {
  ssize_t put;
  do {
    put = ::write(fd, bytes, count);
  } while (put < 0 && errno == EINTR);
  return put;
}

bool posix_flush(int fd) {
  return ::fsync(fd) == 0;
}

bool posix_close(int fd) {
  return ::close(fd) == 0 || errno == EINTR;
}

bool posix_rename(const char* from, const char* to) {
  return ::rename(from, to) == 0;
}

bool posix_remove(const char* name) {
  return ::unlink(name) == 0;
}

}  // namespace

void set_default_file_calls(platform_calls& calls) {
  calls.file_open_read = posix_open_read;
  calls.file_open_write = posix_open_write;
  calls.file_create_new = posix_create_new;
  calls.file_status = posix_file_status;
  calls.path_status = posix_path_status;
  calls.file_read = posix_read;
  calls.file_write = posix_write;
  calls.file_flush = posix_flush;
  calls.file_close = posix_close;
  calls.file_rename = posix_rename;
  calls.file_remove = posix_remove;
}

void platform_guard_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
      int null_fd = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (null_fd >= 0 && null_fd != fd) {
        ::dup2(null_fd, fd);
        ::close(null_fd);
      }
    }
  }
}

unsigned platform_process_id() {
  return static_cast<unsigned>(::getpid());
}

bool platform_windows_paths() {
  return false;
}

size_t platform_max_path() {
  return PATH_MAX;
}

// File calls of the stand-in layer: POSIX descriptors in binary mode.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

// The descriptor a name stands for (/dev/stdout, /dev/fd/1, /proc/self/fd/1 and the like), or
// -1: such a name means the descriptor the program was given, not a new opening of its file.
int descriptor_named(const char* name) {
  static const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
  const std::string path = name;
  for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                    std::string("/proc/thread-self/fd/"), own}) {
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
        path.find_first_not_of("0123456789", prefix.size()) == std::string::npos &&
        path.size() - prefix.size() < 6) {
      return std::atoi(path.c_str() + prefix.size());
    }
  }
  const char* const standard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
  for (int fd = 0; fd < 3; ++fd) {
    if (path == standard[fd]) {
      return fd;
    }
  }
  return -1;
}

// Opened without waiting, so that a FIFO given as the input is refused instead of hanging.
int posix_open_read(const char* name) {
  return open_retrying(name, O_RDONLY | O_NONBLOCK);
}

// A descriptor's name writes through a copy of that descriptor, so that a `>>` append or a pipe
// works as the shell set it up. Anything else (a device, a FIFO, which waits for its reader
// here) is opened without truncation: nothing is cut that was not asked to be.
int posix_open_write(const char* name) {
  int descriptor = descriptor_named(name);
  if (descriptor >= 0) {
    return ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
  }
  return open_retrying(name, O_WRONLY | O_NOCTTY);
}

// The unnamed file of the run, which posix_keep_temporary links in under its name.
int unnamed_fd = -1;

// Unnamed (O_TMPFILE) where the file system has it, so that no kill, not even SIGKILL or a
// power cut, can leave it behind; else a named file, as private.
int posix_create_temporary(const char* name, const char*, bool* named) {
  *named = false;
  struct stat st;
  if (::lstat(name, &st) == 0 || errno != ENOENT) {
    errno = EEXIST;
    return -1;
  }
#ifdef O_TMPFILE
  size_t directory = platform_directory_length(name);
  std::string folder = directory == 0 ? std::string(".") : std::string(name, directory);
  int unnamed = open_retrying(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
  if (unnamed >= 0) {
    unnamed_fd = unnamed;
    return unnamed;
  }
#endif
  unnamed_fd = -1;
  int fd = open_retrying(name, O_RDWR | O_CREAT | O_EXCL | O_NOCTTY, 0600);
  *named = fd >= 0;
  return fd;
}

bool posix_keep_temporary(int fd, const char* name) {
  if (fd != unnamed_fd) {
    return true;  // named from the start
  }
  unnamed_fd = -1;
  // Through /proc, which needs no privilege; AT_EMPTY_PATH where /proc is not mounted.
  char path[64];
  std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, path, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0) {
    return true;
  }
  return ::linkat(fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0;
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

// Owner and group first: a change of owner clears the set-id bits that the mode then restores.
// Root gives the file the old owner and group; any other user the old group where it is one of
// theirs (the system refuses the others, and the file keeps the user's own group).
bool posix_copy_access(const char* from, int fd) {
  struct stat st;
  if (from == nullptr) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return ::fchmod(fd, 0666 & ~mask) == 0;
  }
  if (::stat(from, &st) != 0) {
    return false;
  }
  mode_t mode = st.st_mode & 07777;
  if (::geteuid() == 0) {
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      return false;
    }
  } else if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
    if (errno != EPERM) {
      return false;
    }
    // The old group's rights are not handed to another group.
    mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
  }
  return ::fchmod(fd, mode) == 0;
}

bool posix_path_taken(const char* name) {
  struct stat st;
  return ::lstat(name, &st) == 0 || errno != ENOENT;
}

// A file another process has open is still replaced by a rename.
bool posix_file_held(const char*) {
  return false;
}

}  // namespace

void set_default_file_calls(platform_calls& calls) {
  calls.file_open_read = posix_open_read;
  calls.file_open_write = posix_open_write;
  calls.file_create_temporary = posix_create_temporary;
  calls.file_keep_temporary = posix_keep_temporary;
  calls.file_status = posix_file_status;
  calls.path_status = posix_path_status;
  calls.file_read = posix_read;
  calls.file_write = posix_write;
  calls.file_flush = posix_flush;
  calls.file_close = posix_close;
  calls.file_rename = posix_rename;
  calls.file_remove = posix_remove;
  calls.file_copy_access = posix_copy_access;
  calls.path_taken = posix_path_taken;
  calls.follow_links = platform_follow_links;
  calls.file_held = posix_file_held;
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

size_t platform_directory_length(const char* name) {
  const char* slash = std::strrchr(name, '/');
  return slash == nullptr ? 0 : static_cast<size_t>(slash - name) + 1;
}

name_target platform_follow_links(const char* name, std::string* final_name) {
  // As many links as the system itself follows before it gives up.
  constexpr int most_links = 40;
  std::string path = name;
  for (int links = 0; links <= most_links; ++links) {
    *final_name = path;
    // A descriptor's name leads where the descriptor does: it is not a link to follow.
    if (descriptor_named(path.c_str()) >= 0) {
      return name_target::descriptor;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      return name_target::plain;
    }
    char target[PATH_MAX];
    ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0) {
      return name_target::plain;
    }
    target[length] = '\0';
    // A relative target is read from the link's own directory.
    std::string directory = path.substr(0, platform_directory_length(path.c_str()));
    path = target[0] == '/' ? std::string(target) : directory + target;
  }
  return name_target::loop;
}

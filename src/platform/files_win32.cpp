// File calls on Windows: the C runtime's descriptors in binary mode, MoveFileExA to replace.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

#include "platform/platform_defaults.h"
#include "sort/sjis.h"

namespace {

// One call of the runtime moves at most an unsigned int's worth; keep well inside it.
constexpr size_t largest_call = size_t{1} << 30;

file_info info_from(const struct _stati64& st) {
  file_info info{file_kind::other, 0, (st.st_mode & _S_IWRITE) == 0};
  if ((st.st_mode & _S_IFMT) == _S_IFREG) {
    info.kind = file_kind::regular;
    info.size = static_cast<int64_t>(st.st_size);
  } else if ((st.st_mode & _S_IFMT) == _S_IFDIR) {
    info.kind = file_kind::directory;
  }
  return info;
}

int win_open_read(const char* name) {
  return _open(name, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int win_open_write(const char* name) {
  return _open(name, _O_WRONLY | _O_BINARY | _O_NOINHERIT);
}

int win_create_new(const char* name) {
  return _open(name, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool win_file_status(int fd, file_info* info) {
  struct _stati64 st;
  if (_fstati64(fd, &st) != 0) {
    return false;
  }
  *info = info_from(st);
  return true;
}

// Asked of the object itself, so that devices such as NUL and CON are told from files.
file_info win_path_status(const char* name) {
  HANDLE object = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (object == INVALID_HANDLE_VALUE) {
    return file_info{file_kind::missing, 0, false};
  }
  file_info info{file_kind::other, 0, false};
  BY_HANDLE_FILE_INFORMATION details;
  if (GetFileType(object) == FILE_TYPE_DISK && GetFileInformationByHandle(object, &details)) {
    info.read_only = (details.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if ((details.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      info.kind = file_kind::directory;
    } else {
      info.kind = file_kind::regular;
      info.size = static_cast<int64_t>(details.nFileSizeHigh) << 32 | details.nFileSizeLow;
    }
  }
  CloseHandle(object);
  return info;
}

int64_t win_read(int fd, void* buffer, size_t count) {
  unsigned wanted = static_cast<unsigned>(count < largest_call ? count : largest_call);
  return _read(fd, buffer, wanted);
}

int64_t win_write(int fd, const void* bytes, size_t count) {
  unsigned wanted = static_cast<unsigned>(count < largest_call ? count : largest_call);
  return _write(fd, bytes, wanted);
}

bool win_flush(int fd) {
  return _commit(fd) == 0;
}

bool win_close(int fd) {
  return _close(fd) == 0;
}

// A read-only file is never replaced, as Windows itself refuses (Wine does not always).
bool win_rename(const char* from, const char* to) {
  DWORD attributes = GetFileAttributesA(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool win_remove(const char* name) {
  return DeleteFileA(name) != 0;
}

// The attributes that say who sees the file (hidden, system) and how it is kept; the new file
// takes the directory's security descriptor, as any new file does.
bool win_copy_access(const char* from, int fd) {
  DWORD attributes = GetFileAttributesA(from);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  FILE_BASIC_INFO info{};  // times of zero are left as they are
  info.FileAttributes = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (info.FileAttributes == 0) {
    return true;  // zero would mean "unchanged", and a new file has none of them
  }
  HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != 0;
}

bool win_path_taken(const char* name) {
  if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

void set_default_file_calls(platform_calls& calls) {
  calls.file_open_read = win_open_read;
  calls.file_open_write = win_open_write;
  calls.file_create_new = win_create_new;
  calls.file_status = win_file_status;
  calls.path_status = win_path_status;
  calls.file_read = win_read;
  calls.file_write = win_write;
  calls.file_flush = win_flush;
  calls.file_close = win_close;
  calls.file_rename = win_rename;
  calls.file_remove = win_remove;
  calls.file_copy_access = win_copy_access;
  calls.path_taken = win_path_taken;
}

void platform_guard_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (_get_osfhandle(fd) == -1) {
      int null_fd = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
      if (null_fd >= 0 && null_fd != fd) {
        _dup2(null_fd, fd);
        _close(null_fd);
      }
    }
  }
}

unsigned platform_process_id() {
  return static_cast<unsigned>(GetCurrentProcessId());
}

bool platform_windows_paths() {
  return true;
}

size_t platform_max_path() {
  return MAX_PATH;
}

size_t platform_directory_length(const char* name) {
  const char* last = sjis_find_last_char(name, '/');
  const char* backslash = sjis_find_last_char(name, '\\');
  if (backslash != nullptr && (last == nullptr || backslash > last)) {
    last = backslash;
  }
  if (last == nullptr) {
    last = sjis_find_first_char(name, ':');
  }
  return last == nullptr ? 0 : static_cast<size_t>(last - name) + 1;
}

// The name is opened as it is: the system resolves what it names.
name_target platform_follow_links(const char* name, std::string* final_name) {
  *final_name = name;
  return name_target::plain;
}

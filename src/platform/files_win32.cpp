// File calls on Windows: the C runtime's descriptors in binary mode over the wide calls, names
// in UTF-8 converted to UTF-16, MoveFileExW to replace.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/interrupt_guard.h"
#include "platform/platform_defaults.h"
#include "platform/wide_names_win32.h"

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

// Shared for deletion too, so that the program's own hold on the input never stops the replace
// of an in-place sort, nor anyone else's.
int win_open_read(const char* name) {
  HANDLE file = CreateFileW(wide_path(name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return -1;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    CloseHandle(file);
  }
  return fd;
}

int win_open_write(const char* name) {
  return _wopen(wide_path(name).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
}

// The file of win_create_temporary, until it is kept.
HANDLE temporary_handle = INVALID_HANDLE_VALUE;

// Marks the open file to be deleted when its last handle closes, or not; true when it took.
bool set_delete_on_close(HANDLE file, bool deleted) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = deleted ? TRUE : FALSE;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) !=
         0;
}

// Deleted by the system when its handle closes, however the process ends (End task, a closed
// console, log-off), until win_keep_temporary keeps it. The new file of an encrypted (EFS) one
// is encrypted from its creation, so that no byte of the sorted text reaches the disk in the
// clear; where it cannot be, it is not made.
int win_create_temporary(const char* name, const char* replaced, bool* named) {
  *named = false;
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (replaced != nullptr) {
    DWORD old_attributes = GetFileAttributesW(wide_path(replaced).c_str());
    if (old_attributes != INVALID_FILE_ATTRIBUTES &&
        (old_attributes & FILE_ATTRIBUTE_ENCRYPTED) != 0) {
      attributes = FILE_ATTRIBUTE_ENCRYPTED;
    }
  }
  // WRITE_DAC: the creator may always set the access of its own file.
  HANDLE file =
      CreateFileW(wide_path(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC,
                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, attributes, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return -1;
  }
  // Where the mark does not take, the file is an ordinary new one, removed by the writer on
  // failure as before.
  *named = !set_delete_on_close(file, true);
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY | _O_NOINHERIT);
  temporary_handle = fd < 0 ? INVALID_HANDLE_VALUE : file;
  if (fd < 0) {
    set_delete_on_close(file, true);
    CloseHandle(file);
    *named = false;
  }
  return fd;
}

// The handle itself, as it was created: not asked of the C runtime, whose answer for the
// descriptors 0 to 2 is standard handles'.
bool win_keep_temporary(int, const char*) {
  HANDLE file = temporary_handle;
  temporary_handle = INVALID_HANDLE_VALUE;
  return file != INVALID_HANDLE_VALUE && set_delete_on_close(file, false);
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
  HANDLE object = CreateFileW(wide_path(name).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

// FILE_RENAME_INFO with its flags (FileRenameInfoEx, Windows 10 1607 on), laid out as the system
// reads it; the name follows it.
struct rename_info_ex {
  DWORD flags;
  HANDLE root_directory;
  DWORD name_bytes;
  WCHAR name[1];
};
constexpr auto file_rename_info_ex = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD rename_replace_if_exists = 0x1;
constexpr DWORD rename_posix_semantics = 0x2;

// The system's own form of a name for a rename by handle (\??\C:\... or \??\UNC\server\...),
// empty when it has no full path.
std::wstring system_name(const std::wstring& name) {
  std::wstring full = without_long_prefix(full_path(name));
  if (full.empty()) {
    return full;
  }
  return full.rfind(L"\\\\", 0) == 0 ? L"\\??\\UNC\\" + full.substr(2) : L"\\??\\" + full;
}

// The rename with POSIX semantics to `target` (a system_name), which replaces a file that others
// hold open while they share it for deletion (they keep reading the old one); false where the
// system does not offer it.
bool rename_over_held_file(const std::wstring& from, const std::wstring& target) {
  if (target.empty()) {
    return false;
  }
  HANDLE file = CreateFileW(from.c_str(), DELETE | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  size_t name_bytes = target.size() * sizeof(WCHAR);
  std::string block(sizeof(rename_info_ex) + name_bytes, '\0');
  auto* info = reinterpret_cast<rename_info_ex*>(block.data());
  info->flags = rename_replace_if_exists | rename_posix_semantics;
  info->name_bytes = static_cast<DWORD>(name_bytes);
  std::memcpy(info->name, target.data(), name_bytes);
  BOOL renamed =
      SetFileInformationByHandle(file, file_rename_info_ex, info, static_cast<DWORD>(block.size()));
  DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return renamed != 0;
}

// How long a program that holds the output (a viewer, an indexer, antivirus) is waited out.
constexpr unsigned rename_attempts = 30;
constexpr DWORD rename_pause_ms = 100;

// A read-only file is never replaced, as Windows itself refuses (Wine does not always). A
// holder that shares the file for deletion does not stop the replace where the system has
// POSIX renames; one that does not, or an older system, is waited out for a few seconds.
bool win_rename(const char* from, const char* to) {
  std::wstring source = wide_path(from);
  std::wstring target = wide_path(to);
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  std::wstring target_system_name = system_name(target);
  for (unsigned attempt = 1;; ++attempt) {
    if (rename_over_held_file(source, target_system_name) ||
        MoveFileExW(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
      return true;
    }
    DWORD error = GetLastError();
    bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                error == ERROR_LOCK_VIOLATION;
    if (!held || attempt == rename_attempts || interrupt_requested()) {
      return false;
    }
    Sleep(rename_pause_ms);
  }
}

// Opening for deletion is what the replace needs: a holder that does not share the file for
// deletion refuses it.
bool win_file_held(const char* name) {
  HANDLE file = CreateFileW(wide_path(name).c_str(), DELETE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

bool win_remove(const char* name) {
  return DeleteFileW(wide_path(name).c_str()) != 0;
}

// Wine keeps no access lists: it makes a file's Unix mode of what is set (any list gives 0775),
// so there a replaced file keeps the mode a new one gets, as before.
bool access_lists_kept() {
  HMODULE system = GetModuleHandleW(L"ntdll.dll");
  return system == nullptr || GetProcAddress(system, "wine_get_version") == nullptr;
}

// The old file's access list, protected from inheritance or not as it was, so that the new one
// is exactly as private; its owner and group where the system lets the user give them.
bool copy_security(const std::wstring& from, HANDLE file) {
  if (!access_lists_kept()) {
    return true;
  }
  PSID owner = nullptr;
  PSID group = nullptr;
  PACL access = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(
          from.c_str(), SE_FILE_OBJECT,
          DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION,
          &owner, &group, &access, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  // Giving a file to someone else takes a privilege most users lack: the creator stays owner.
  // First, as Wine recomputes the file's mode from what is set last.
  SetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION,
                  owner, group, nullptr, nullptr);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  SECURITY_INFORMATION which =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                          : UNPROTECTED_DACL_SECURITY_INFORMATION);
  bool copied = SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, access, nullptr) ==
                ERROR_SUCCESS;
  LocalFree(descriptor);
  return copied;
}

// Compressed as the old file was, before any data is in it.
bool copy_compression(DWORD attributes, HANDLE file) {
  if ((attributes & FILE_ATTRIBUTE_COMPRESSED) == 0) {
    return true;
  }
  USHORT format = COMPRESSION_FORMAT_DEFAULT;
  DWORD returned = 0;
  return DeviceIoControl(file, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned,
                         nullptr) != 0;
}

// The new file is given all the old one has that says who may read it and how it is kept: its
// access list, owner where allowed, compression, creation time, and the hidden, system, archive
// and not-indexed attributes. A new output takes the folder's, as any new file does.
bool win_copy_access(const char* from, int fd) {
  if (from == nullptr) {
    return true;
  }
  std::wstring old_file = wide_path(from);
  WIN32_FILE_ATTRIBUTE_DATA old{};
  if (!GetFileAttributesExW(old_file.c_str(), GetFileExInfoStandard, &old)) {
    return false;
  }
  HANDLE file = temporary_handle != INVALID_HANDLE_VALUE
                    ? temporary_handle
                    : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (!copy_security(old_file, file) || !copy_compression(old.dwFileAttributes, file)) {
    return false;
  }
  // The file is the same document, made anew: it keeps the day it was created. The other
  // times, left zero, are left as they are; attributes of zero mean "unchanged" too.
  FILE_BASIC_INFO info{};
  info.CreationTime.LowPart = old.ftCreationTime.dwLowDateTime;
  info.CreationTime.HighPart = static_cast<LONG>(old.ftCreationTime.dwHighDateTime);
  info.FileAttributes =
      old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != 0;
}

bool win_path_taken(const char* name) {
  if (GetFileAttributesW(wide_path(name).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

void set_default_file_calls(platform_calls& calls) {
  calls.file_open_read = win_open_read;
  calls.file_open_write = win_open_write;
  calls.file_create_temporary = win_create_temporary;
  calls.file_keep_temporary = win_keep_temporary;
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
  calls.follow_links = platform_follow_links;
  calls.file_held = win_file_held;
}

void platform_guard_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    // -1 for a descriptor that is closed, -2 for one that has no standard handle behind it.
    if (_get_osfhandle(fd) < 0) {
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

// The wide calls take a name of 32,767 characters behind \\?\; three UTF-8 bytes a character.
size_t platform_max_path() {
  return 3 * 32767 + 1;
}

// Names are UTF-8 here, whose multi-byte characters hold no byte below 0x80: the separators
// and the drive colon are found byte by byte, whatever the system's code page.
size_t platform_directory_length(const char* name) {
  const char* last = std::strrchr(name, '/');
  const char* backslash = std::strrchr(name, '\\');
  if (backslash != nullptr && (last == nullptr || backslash > last)) {
    last = backslash;
  }
  if (last == nullptr) {
    last = std::strchr(name, ':');
  }
  return last == nullptr ? 0 : static_cast<size_t>(last - name) + 1;
}

// What the name finally is, as a full path: for a file that exists, the path the system opens
// (through any symbolic links and junctions, so that the target is replaced in its own folder and
// its drive measured, and the link stays); for a new one, its full path (C:out.txt in the current
// folder of C:). A device (NUL, CON, a pipe) keeps its name.
name_target platform_follow_links(const char* name, std::string* final_name) {
  *final_name = name;
  std::wstring wide = wide_path(name);
  HANDLE object =
      CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  std::wstring final_path;
  if (object != INVALID_HANDLE_VALUE) {
    if (GetFileType(object) != FILE_TYPE_DISK) {
      CloseHandle(object);
      return name_target::plain;
    }
    DWORD length = GetFinalPathNameByHandleW(object, nullptr, 0, FILE_NAME_NORMALIZED);
    if (length > 0) {
      final_path.resize(length);
      length = GetFinalPathNameByHandleW(object, final_path.data(), length, FILE_NAME_NORMALIZED);
      final_path.resize(length < final_path.size() ? length : 0);
    }
    CloseHandle(object);
  } else {
    // A link the system cannot open through (round in a loop, or to nothing: the link itself is
    // there) names no file.
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error == ERROR_CANT_RESOLVE_FILENAME ||
        (attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)) {
      return name_target::loop;
    }
  }
  if (final_path.empty()) {
    final_path = full_path(wide);
  }
  if (!final_path.empty()) {
    *final_name = utf8_from_wide(without_long_prefix(final_path).c_str());
  }
  return name_target::plain;
}

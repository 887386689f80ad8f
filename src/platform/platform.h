// The system calls the program makes, gathered in one table of function pointers.
//
// Code calls them through `platform` by their Windows names, so the program reads like the
// Windows program it is. On Windows the defaults are the real API; elsewhere they are our
// stand-ins. Tests swap single entries and put them all back with platform_restore_defaults().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#if defined(_WIN32) && !defined(_WIN64)
#define VELATR_WINAPI __stdcall
#else
#define VELATR_WINAPI
#endif

using win_bool = int32_t;
using win_dword = uint32_t;
using win_word = uint16_t;
using win_handle = void*;
using win_module = void*;
using win_proc = void (*)();

struct win_coord {
  int16_t x;
  int16_t y;
};

struct win_small_rect {
  int16_t left;
  int16_t top;
  int16_t right;
  int16_t bottom;
};

struct win_screen_buffer_info {
  win_coord size;
  win_coord cursor;
  win_word attributes;
  win_small_rect window;
  win_coord maximum_window_size;
};

// The extended free-space function as GetProcAddress hands it out (a Windows calling convention).
using free_space_ex_fn = win_bool(VELATR_WINAPI*)(const char* directory, uint64_t* free_to_caller,
                                                  uint64_t* total, uint64_t* total_free);

constexpr win_dword std_error_handle = static_cast<win_dword>(-12);

// What a file name or an open file turned out to be.
enum class file_kind { missing, regular, directory, other };

struct file_info {
  file_kind kind;
  int64_t size;    // bytes, for a regular file
  bool read_only;  // a file the system will not let be replaced (Windows' read-only attribute)
};

// What an output name finally names.
enum class name_target {
  plain,       // `final_name` is the file itself, or what the links of its last part lead to
  descriptor,  // a descriptor the program was given (/dev/stdout): written through it, in place
  loop,        // links that lead nowhere in the end (on Windows, a link that cannot be opened)
};

struct platform_calls {
  // Console.
  win_handle (*GetStdHandle)(win_dword which);
  win_bool (*WriteConsoleA)(win_handle console, const void* bytes, win_dword count,
                            win_dword* written, void* reserved);
  win_bool (*SetConsoleTextAttribute)(win_handle console, win_word attribute);
  win_bool (*SetConsoleCursorPosition)(win_handle console, win_coord position);
  win_bool (*GetConsoleScreenBufferInfo)(win_handle console, win_screen_buffer_info* info);
  // Cells from `start` on, row after row, set to a byte or an attribute; the cursor stays.
  win_bool (*FillConsoleOutputCharacterA)(win_handle console, char character, win_dword length,
                                          win_coord start, win_dword* written);
  win_bool (*FillConsoleOutputAttribute)(win_handle console, win_word attribute, win_dword length,
                                         win_coord start, win_dword* written);
  win_bool (*SetConsoleTitleA)(const char* title);
  // True when `console` is a console screen buffer (for the stand-in: standard error is a
  // terminal it draws on). Where it is not (a file, a pipe, mintty), the text goes to
  // write_plain_text instead.
  bool (*console_attached)(win_handle console);
  // Writes console text (code page 932) to standard error as plain UTF-8, for a standard error
  // that is not a console.
  bool (*write_plain_text)(const char* bytes, size_t count);

  // Library loading and disk space.
  win_module (*LoadLibraryA)(const char* name);
  win_proc (*GetProcAddress)(win_module module, const char* name);
  win_bool (*FreeLibrary)(win_module module);
  win_bool (*GetDiskFreeSpaceA)(const char* root, win_dword* sectors_per_cluster,
                                win_dword* bytes_per_sector, win_dword* free_clusters,
                                win_dword* total_clusters);

  // Files, in binary mode. Descriptors are -1 on failure; counts are -1 on failure. Names are
  // UTF-8 on Windows (the wide calls are made with them in UTF-16), bytes elsewhere.
  int (*file_open_read)(const char* name);
  int (*file_open_write)(const char* name);  // an existing file, written in place
  // A new file, private to its owner, for the name `name` in its directory (failing when the
  // name is taken), which the system itself removes if the process ends, however it ends,
  // before file_keep_temporary: an unnamed file given `name` only then where the file system
  // has them, or one marked to be deleted with its last handle. `named` tells whether `name`
  // exists already (where the system offers neither way), to be removed by the caller.
  // `replaced`, the file it will replace or null, decides what must hold from the first byte
  // (on Windows, encryption).
  int (*file_create_temporary)(const char* name, const char* replaced, bool* named);
  // Makes the file of file_create_temporary last, under the name it was created for.
  bool (*file_keep_temporary)(int fd, const char* name);
  bool (*file_status)(int fd, file_info* info);
  file_info (*path_status)(const char* name);
  int64_t (*file_read)(int fd, void* buffer, size_t count);
  int64_t (*file_write)(int fd, const void* bytes, size_t count);
  bool (*file_flush)(int fd);  // to the disk itself
  bool (*file_close)(int fd);
  bool (*file_rename)(const char* from, const char* to);  // replaces `to`
  bool (*file_remove)(const char* name);
  // Gives the open file `fd` the access of the file `from` (permission bits, and where the
  // caller may, owner and group), so that replacing a file exposes nothing; with `from` null,
  // the access of any new file of the user's.
  bool (*file_copy_access)(const char* from, int fd);
  // True when the name itself is taken, whatever it is: a dangling link too.
  bool (*path_taken)(const char* name);
  // platform_follow_links.
  name_target (*follow_links)(const char* name, std::string* final_name);
  // True when another program holds the existing file `name` open so that it cannot be replaced
  // (on Windows, without sharing it for deletion); never elsewhere.
  bool (*file_held)(const char* name);
};

extern platform_calls platform;

// The defaults of this build, as a value to copy from.
const platform_calls& platform_defaults();

// Puts every entry of `platform` back to its default.
void platform_restore_defaults();

// Opens the null device on any of descriptors 0, 1 and 2 that is closed, so that no file the
// program opens later can land there and take console text for its contents.
void platform_guard_standard_streams();

// The program's arguments, argv[0] first: on Windows taken from the wide command line and held
// in UTF-8, so that no name is ever replaced by a look-alike of the system's code page; as they
// are elsewhere.
std::vector<std::string> platform_arguments(int argc, char** argv);

// The process id, for unique temporary names.
unsigned platform_process_id();

// True where file names use the Windows rules (backslash, drive colon).
bool platform_windows_paths();

// Length of the directory part of `name`, its last separator included; 0 when it has none.
// Windows names are UTF-8 with "\\", "/" and a drive colon; elsewhere a name is bytes and "/"
// the only separator.
size_t platform_directory_length(const char* name);

// Follows the symbolic links of the last part of `name`, as opening it would; on Windows the
// final name is a full path.
name_target platform_follow_links(const char* name, std::string* final_name);

// The longest name the system's calls take, in bytes with its NUL.
size_t platform_max_path();

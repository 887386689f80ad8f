// The output drive space check.
#include "sort/drive_space.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "console/console.h"

win_module kernel_module = nullptr;
free_space_ex_fn free_space_ex = nullptr;
int32_t bind_failed = 0;

namespace {

constexpr double kilobyte_scale = 0.001;
constexpr double two_to_the_32 = 4294967296.0;
constexpr size_t number_buffer_size = 128;

char separator() {
  return platform_windows_paths() ? '\\' : '/';
}

// The directory part of an output name, where its temporary file goes too; the current
// directory when it has none.
std::string output_directory(const char* name) {
  size_t length = platform_directory_length(name);
  if (length == 0) {
    return platform_windows_paths() ? ".\\" : "./";
  }
  return std::string(name, length);
}

// \\server\share\ from a network name, when both its backslashes are there.
void reduce_to_share(char* path) {
  const char* server_end = std::strchr(path + 2, '\\');
  if (server_end == nullptr) {
    return;
  }
  const char* share_end = std::strchr(server_end + 1, '\\');
  if (share_end == nullptr) {
    return;
  }
  path[share_end - path + 1] = '\0';
}

}  // namespace

size_t output_name_limit() {
  return platform_max_path() > 2048 ? platform_max_path() : 2048;
}

size_t query_path_limit() {
  return platform_max_path();
}

char* format_thousands(char* out, size_t out_size, double value) {
  char digits[512];
  double rounded = std::nearbyint(value);  // halves to even, as "%.0f" rounds
  if (std::fabs(rounded) < 9.2e18) {
    long long whole = static_cast<long long>(rounded);
    std::snprintf(digits, sizeof digits, "%lld", whole);
  } else {
    std::snprintf(digits, sizeof digits, "%.0f", rounded);
  }
  const char* p = digits;
  std::string text;
  if (*p == '-') {
    text += '-';
    ++p;
  }
  size_t count = std::strlen(p);
  for (size_t i = 0; i < count; ++i) {
    text += p[i];
    size_t after = count - i - 1;
    if (after > 0 && after % 3 == 0 && p[i] >= '0' && p[i] <= '9') {
      text += ',';
    }
  }
  std::snprintf(out, out_size, "%s", text.c_str());
  return out;
}

// Names are UTF-8 on Windows and bytes elsewhere: a separator byte is always a separator.
char* append_backslash(char* text, size_t size) {
  size_t length = std::strlen(text);
  if ((length == 0 || text[length - 1] != separator()) && length + 1 < size) {
    text[length] = separator();
    text[length + 1] = '\0';
  }
  return text;
}

int32_t bind_free_space_ex() {
  if (bind_failed != 0) {
    return 0;
  }
  if (kernel_module != nullptr) {
    return 1;
  }
  kernel_module = platform.LoadLibraryA("KERNEL32.DLL");
  if (kernel_module == nullptr) {
    bind_failed = -1;
    return 0;
  }
  free_space_ex = reinterpret_cast<free_space_ex_fn>(
      platform.GetProcAddress(kernel_module, "GetDiskFreeSpaceExA"));
  if (free_space_ex == nullptr) {
    bind_failed = -1;
    unbind_free_space_ex();
    return 0;
  }
  return 1;
}

void unbind_free_space_ex() {
  if (kernel_module != nullptr) {
    platform.FreeLibrary(kernel_module);
    kernel_module = nullptr;
    free_space_ex = nullptr;
  }
}

free_space_ex_fn free_space_ex_entry() {
  bind_free_space_ex();
  return free_space_ex;
}

bool prepare_root_path(const char* directory, char* query_path, size_t query_size) {
  size_t length = std::strlen(directory);
  if (length + 2 > query_size) {
    return false;  // no room for the separator and the NUL
  }
  std::memcpy(query_path, directory, length + 1);
  append_backslash(query_path, query_size);
  if (free_space_ex_entry() != nullptr || !platform_windows_paths()) {
    return true;
  }
  if (query_path[0] != '\0' && query_path[1] == ':') {
    query_path[2] = '\\';
    query_path[3] = '\0';
  } else if (query_path[0] == '\\' && query_path[1] == '\\') {
    reduce_to_share(query_path);
  }
  return true;
}

double disk_free_bytes(const char* directory) {
  std::string query(query_path_limit(), '\0');
  if (!prepare_root_path(directory, query.data(), query.size())) {
    return -1.0;
  }
  if (bind_free_space_ex() == 1) {
    uint64_t free_to_caller = 0;
    uint64_t total = 0;
    uint64_t total_free = 0;
    if (free_space_ex(query.c_str(), &free_to_caller, &total, &total_free) != 0) {
      double high = static_cast<double>(static_cast<uint32_t>(free_to_caller >> 32));
      double low = static_cast<double>(static_cast<uint32_t>(free_to_caller));
      return high * two_to_the_32 + low;
    }
  }
  win_dword sectors_per_cluster = 0;
  win_dword bytes_per_sector = 0;
  win_dword free_clusters = 0;
  win_dword total_clusters = 0;
  if (platform.GetDiskFreeSpaceA(query.c_str(), &sectors_per_cluster, &bytes_per_sector,
                                 &free_clusters, &total_clusters) == 0) {
    return -1.0;
  }
  return static_cast<double>(free_clusters) * static_cast<double>(sectors_per_cluster) *
         static_cast<double>(bytes_per_sector);
}

bool check_output_space(const char* output_name, int32_t input_size) {
  double free_bytes = -1.0;
  if (std::strlen(output_name) < output_name_limit()) {
    // Measured where the output will be written: where its links lead, as a full path on
    // Windows. A device or a descriptor takes the output in place: there is nothing to measure.
    std::string target;
    switch (platform.follow_links(output_name, &target)) {
      case name_target::descriptor:
        return true;
      case name_target::loop:
        con_print_line("\nOutput file open err.");
        return false;
      case name_target::plain:
        break;
    }
    if (platform.path_status(target.c_str()).kind == file_kind::other) {
      return true;
    }
    // The write could not even start: said now, not as a full drive.
    std::string directory = output_directory(target.c_str());
    if (platform.path_status(directory.c_str()).kind != file_kind::directory) {
      con_print_line("\nOutput file open err.");
      return false;
    }
    free_bytes = disk_free_bytes(directory.c_str());
  }
  char number[number_buffer_size];
  con_printf("Disk Free %s (KB)\n",
             format_thousands(number, sizeof number, free_bytes * kilobyte_scale));
  double size = static_cast<double>(input_size);
  con_printf("File      %s (KB)\n", format_thousands(number, sizeof number, size * kilobyte_scale));
  if (size > free_bytes) {
    con_print_line("\nOutput drive err.");
    return false;
  }
  return true;
}

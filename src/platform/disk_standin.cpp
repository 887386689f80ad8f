// Library loading and disk-space calls of the stand-in layer: "KERNEL32.DLL" is a module whose
// GetDiskFreeSpaceExA answers from statvfs, as GetDiskFreeSpaceA does with 32-bit counts.
#include <strings.h>
#include <sys/statvfs.h>

#include <cstring>

#include "platform/platform_defaults.h"

namespace {

// The one module this layer has.
win_module const kernel_standin = reinterpret_cast<win_module>(static_cast<uintptr_t>(0x4B33));
constexpr win_dword bytes_per_sector_standin = 512;
constexpr uint64_t largest_count = 0xFFFFFFFFu;

win_bool VELATR_WINAPI standin_free_space_ex(const char* directory, uint64_t* free_to_caller,
                                             uint64_t* total, uint64_t* total_free) {
  struct statvfs st;
  if (directory == nullptr || ::statvfs(directory, &st) != 0) {
    return 0;
  }
  uint64_t unit = st.f_frsize != 0 ? st.f_frsize : st.f_bsize;
  if (free_to_caller != nullptr) {
    *free_to_caller = static_cast<uint64_t>(st.f_bavail) * unit;
  }
  if (total != nullptr) {
    *total = static_cast<uint64_t>(st.f_blocks) * unit;
  }
  if (total_free != nullptr) {
    *total_free = static_cast<uint64_t>(st.f_bfree) * unit;
  }
  return 1;
}

win_module standin_load_library(const char* name) {
  return name != nullptr && ::strcasecmp(name, "KERNEL32.DLL") == 0 ? kernel_standin : nullptr;
}

win_proc standin_get_proc_address(win_module module, const char* name) {
  if (module != kernel_standin || name == nullptr ||
      std::strcmp(name, "GetDiskFreeSpaceExA") != 0) {
    return nullptr;
  }
  return reinterpret_cast<win_proc>(standin_free_space_ex);
}

win_bool standin_free_library(win_module module) {
  return module == kernel_standin ? 1 : 0;
}

// Counts that do not fit 32 bits are clamped, as Windows clamps them.
win_bool standin_free_space(const char* root, win_dword* sectors_per_cluster,
                            win_dword* bytes_per_sector, win_dword* free_clusters,
                            win_dword* total_clusters) {
  struct statvfs st;
  if (root == nullptr || ::statvfs(root, &st) != 0) {
    return 0;
  }
  uint64_t unit = st.f_frsize != 0 ? st.f_frsize : st.f_bsize;
  uint64_t sectors = unit / bytes_per_sector_standin;
  if (sectors == 0) {
    sectors = 1;
  }
  uint64_t cluster = sectors * bytes_per_sector_standin;
  uint64_t free_count = static_cast<uint64_t>(st.f_bavail) * unit / cluster;
  uint64_t total_count = static_cast<uint64_t>(st.f_blocks) * unit / cluster;
  *sectors_per_cluster = static_cast<win_dword>(sectors);
  *bytes_per_sector = bytes_per_sector_standin;
  *free_clusters = static_cast<win_dword>(free_count < largest_count ? free_count : largest_count);
  *total_clusters =
      static_cast<win_dword>(total_count < largest_count ? total_count : largest_count);
  return 1;
}

}  // namespace

void set_default_disk_calls(platform_calls& calls) {
  calls.LoadLibraryA = standin_load_library;
  calls.GetProcAddress = standin_get_proc_address;
  calls.FreeLibrary = standin_free_library;
  calls.GetDiskFreeSpaceA = standin_free_space;
}

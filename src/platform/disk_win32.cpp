// Library loading and disk-space calls on Windows: the real API.
#include <windows.h>

#include "platform/platform_defaults.h"

namespace {

win_module real_load_library(const char* name) {
  return LoadLibraryA(name);
}

win_proc real_get_proc_address(win_module module, const char* name) {
  return reinterpret_cast<win_proc>(GetProcAddress(static_cast<HMODULE>(module), name));
}

win_bool real_free_library(win_module module) {
  return FreeLibrary(static_cast<HMODULE>(module));
}

win_bool real_free_space(const char* root, win_dword* sectors_per_cluster,
                         win_dword* bytes_per_sector, win_dword* free_clusters,
                         win_dword* total_clusters) {
  DWORD sectors = 0, bytes = 0, free_count = 0, total = 0;
  BOOL ok = GetDiskFreeSpaceA(root, &sectors, &bytes, &free_count, &total);
  *sectors_per_cluster = sectors;
  *bytes_per_sector = bytes;
  *free_clusters = free_count;
  *total_clusters = total;
  return ok;
}

}  // namespace

void set_default_disk_calls(platform_calls& calls) {
  calls.LoadLibraryA = real_load_library;
  calls.GetProcAddress = real_get_proc_address;
  calls.FreeLibrary = real_free_library;
  calls.GetDiskFreeSpaceA = real_free_space;
}

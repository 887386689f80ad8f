// Library loading and disk-space calls on Windows: the real API, with names in UTF-8 handed to
// the wide disk functions.
#include <windows.h>

#include <cstring>

#include "platform/platform_defaults.h"
#include "platform/wide_names_win32.h"

namespace {

using wide_free_space_ex_fn = BOOL(WINAPI*)(LPCWSTR directory, PULARGE_INTEGER free_to_caller,
                                            PULARGE_INTEGER total, PULARGE_INTEGER total_free);

wide_free_space_ex_fn wide_free_space_ex = nullptr;

// GetDiskFreeSpaceExA as the program sees it, asking GetDiskFreeSpaceExW: the ANSI one would
// read a UTF-8 name in the system's code page.
win_bool VELATR_WINAPI utf8_free_space_ex(const char* directory, uint64_t* free_to_caller,
                                          uint64_t* total, uint64_t* total_free) {
  ULARGE_INTEGER caller{}, all{}, all_free{};
  BOOL ok = wide_free_space_ex(wide_path(directory).c_str(), &caller, &all, &all_free);
  *free_to_caller = caller.QuadPart;
  *total = all.QuadPart;
  *total_free = all_free.QuadPart;
  return ok;
}

win_module real_load_library(const char* name) {
  return LoadLibraryA(name);
}

win_proc real_get_proc_address(win_module module, const char* name) {
  HMODULE handle = static_cast<HMODULE>(module);
  if (std::strcmp(name, "GetDiskFreeSpaceExA") == 0) {
    // Through the generic function type, which any entry may be cast to and from.
    win_proc entry = reinterpret_cast<win_proc>(GetProcAddress(handle, "GetDiskFreeSpaceExW"));
    wide_free_space_ex = reinterpret_cast<wide_free_space_ex_fn>(entry);
    return wide_free_space_ex == nullptr ? nullptr : reinterpret_cast<win_proc>(utf8_free_space_ex);
  }
  return reinterpret_cast<win_proc>(GetProcAddress(handle, name));
}

win_bool real_free_library(win_module module) {
  return FreeLibrary(static_cast<HMODULE>(module));
}

win_bool real_free_space(const char* root, win_dword* sectors_per_cluster,
                         win_dword* bytes_per_sector, win_dword* free_clusters,
                         win_dword* total_clusters) {
  DWORD sectors = 0, bytes = 0, free_count = 0, total = 0;
  BOOL ok = GetDiskFreeSpaceW(wide_path(root).c_str(), &sectors, &bytes, &free_count, &total);
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

// Library loading and disk-space calls of the stand-in layer.
#include "platform/platform_defaults.h"

namespace {

win_module standin_load_library(const char*) { return nullptr; }
win_proc standin_get_proc_address(win_module, const char*) { return nullptr; }
win_bool standin_free_library(win_module) { return 0; }
win_bool standin_free_space(const char*, win_dword*, win_dword*, win_dword*, win_dword*) {
  return 0;
}

}  // namespace

void set_default_disk_calls(platform_calls& calls) {
  calls.LoadLibraryA = standin_load_library;
  calls.GetProcAddress = standin_get_proc_address;
  calls.FreeLibrary = standin_free_library;
  calls.GetDiskFreeSpaceA = standin_free_space;
}

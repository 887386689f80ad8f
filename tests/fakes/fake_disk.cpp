// The test disk.
#include "fakes/fake_disk.h"

#include <string>

#include "platform/platform.h"
#include "sort/drive_space.h"

fake_disk* fake_disk::current = nullptr;

namespace {

win_module const fake_module = reinterpret_cast<win_module>(static_cast<uintptr_t>(0xD15C));

win_bool VELATR_WINAPI fake_free_space_ex(const char* directory, uint64_t* free_to_caller,
                                          uint64_t* total, uint64_t* total_free) {
  fake_disk& d = *fake_disk::current;
  d.calls.push_back(std::string("ex ") + directory);
  if (d.extended_fails) {
    return 0;
  }
  *free_to_caller = d.free_bytes;
  *total = d.free_bytes * 2;
  *total_free = d.free_bytes;
  return 1;
}

win_module fake_load_library(const char* name) {
  fake_disk& d = *fake_disk::current;
  d.calls.push_back(std::string("load ") + name);
  return d.library_missing ? nullptr : fake_module;
}

win_proc fake_get_proc_address(win_module module, const char* name) {
  fake_disk& d = *fake_disk::current;
  d.calls.push_back(std::string("proc ") + name);
  if (module != fake_module || d.extended_missing) {
    return nullptr;
  }
  return reinterpret_cast<win_proc>(fake_free_space_ex);
}

win_bool fake_free_library(win_module) {
  fake_disk::current->calls.push_back("free");
  return 1;
}

// 512-byte sectors, 8 to a cluster.
win_bool fake_free_space(const char* root, win_dword* sectors_per_cluster,
                         win_dword* bytes_per_sector, win_dword* free_clusters,
                         win_dword* total_clusters) {
  fake_disk& d = *fake_disk::current;
  d.calls.push_back(std::string("basic ") + root);
  if (d.basic_fails) {
    return 0;
  }
  *sectors_per_cluster = 8;
  *bytes_per_sector = 512;
  *free_clusters = static_cast<win_dword>(d.free_bytes / 4096);
  *total_clusters = *free_clusters * 2;
  return 1;
}

name_target fake_follow_links(const char* name, std::string* final_name) {
  *final_name = name;
  return name_target::plain;
}

file_info fake_path_status(const char* name) {
  fake_disk& d = *fake_disk::current;
  std::string path = name;
  if (!d.device.empty() && path == d.device) {
    return file_info{file_kind::other, 0, false};
  }
  bool folder = !path.empty() && (path.back() == '/' || path.back() == '\\' || path.back() == ':');
  if (folder && path != d.missing_folder) {
    return file_info{file_kind::directory, 0, false};
  }
  return file_info{file_kind::missing, 0, false};
}

void reset_binding() {
  kernel_module = nullptr;
  free_space_ex = nullptr;
  bind_failed = 0;
}

}  // namespace

fake_disk::fake_disk() {
  current = this;
  reset_binding();
  platform.LoadLibraryA = fake_load_library;
  platform.GetProcAddress = fake_get_proc_address;
  platform.FreeLibrary = fake_free_library;
  platform.GetDiskFreeSpaceA = fake_free_space;
  platform.follow_links = fake_follow_links;
  platform.path_status = fake_path_status;
}

fake_disk::~fake_disk() {
  reset_binding();
  platform_restore_defaults();
  current = nullptr;
}

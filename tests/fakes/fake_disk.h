// A disk for the unit tests: library loading and free-space calls that record what they were
// asked, can lack the extended function, and can fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class fake_disk {
 public:
  // Installs itself in the platform table and resets the binding to unbound; the destructor
  // restores the defaults.
  fake_disk();
  ~fake_disk();
  fake_disk(const fake_disk&) = delete;
  fake_disk& operator=(const fake_disk&) = delete;

  bool library_missing = false;
  bool extended_missing = false;
  bool extended_fails = false;
  bool basic_fails = false;
  uint64_t free_bytes = 0;  // what both functions report
  // Names are taken as final; a name ending in a separator (or a drive colon) is a folder, unless
  // it is this one;
  // this name is a device; any other is a file not there yet.
  std::string missing_folder;
  std::string device;
  // "load KERNEL32.DLL", "proc GetDiskFreeSpaceExA", "free", "ex <path>", "basic <path>".
  std::vector<std::string> calls;

  static fake_disk* current;
};

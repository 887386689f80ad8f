// Test directories on the real file system.
#include "fakes/temp_directory.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/platform.h"

namespace fs = std::filesystem;

temp_directory::temp_directory() {
  static unsigned created = 0;
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path candidate = base / ("velatr-test-" + std::to_string(platform_process_id()) + "-" +
                                 std::to_string(created++));
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

temp_directory::~temp_directory() {
  std::error_code error;
  // Read-only entries made by a test must not stop the clean-up.
  for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

void temp_directory::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string temp_directory::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool temp_directory::exists(const std::string& name) const {
  std::error_code error;
  return fs::exists(file(name), error);
}

std::map<std::string, std::string> temp_directory::snapshot() const {
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(path_, error)) {
    std::string name = entry.path().filename().string();
    entries[name] = entry.is_directory(error) ? "<dir>" : read(name);
  }
  return entries;
}

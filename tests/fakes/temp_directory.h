// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <map>
#include <string>

class temp_directory {
 public:
  temp_directory();
  ~temp_directory();
  temp_directory(const temp_directory&) = delete;
  temp_directory& operator=(const temp_directory&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Every entry of the directory with its contents (directories as "<dir>").
  std::map<std::string, std::string> snapshot() const;

 private:
  std::string path_;
};

// Switch parsing and the drive check's path handling on long and odd names: the summary never
// overflows, and no query path is longer than the system takes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_console.h"
#include "fakes/fake_disk.h"
#include "sort/drive_space.h"
#include "sort/run_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Arguments are the pieces between NUL bytes.
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      pieces.emplace_back();
    } else {
      pieces.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<char*> argv = {const_cast<char*>("velatr"), const_cast<char*>("in"),
                             const_cast<char*>("out")};
  for (std::string& piece : pieces) {
    argv.push_back(piece.data());
  }
  reset_run_settings();
  read_switches(static_cast<int>(argv.size()), argv.data());
  if (std::strlen(command_summary) >= sizeof command_summary || column_skip < 0) {
    std::abort();
  }

  fake_console console;
  fake_disk disk;
  disk.free_bytes = size * 1000;
  disk.extended_missing = size % 2 == 0;
  check_output_space(pieces[0].c_str(), static_cast<int32_t>(size));
  for (const std::string& call : disk.calls) {
    size_t space = call.find(' ');
    if (space != std::string::npos && call.size() - space - 1 >= query_path_limit()) {
      std::abort();
    }
  }
  reset_run_settings();
  return 0;
}

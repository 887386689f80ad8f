// An output another Windows program holds open (a viewer, a log tail, an indexer): a holder that
// refuses deletion is said before the work; one that shares it, or lets go soon, is no obstacle.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "e2e/e2e_support.h"

namespace {

std::string hold_file_program() {
  const char* path = std::getenv("VELATR_HOLD_FILE");
  return path == nullptr ? "" : path;
}

TEST(HeldOutputE2e, HoldersOfTheOutput) {
  if (!program_is_windows() || hold_file_program().empty()) {
    GTEST_SKIP() << "holding a file against its replacement is the Windows way";
  }
  struct holder_case {
    const char* sharing;
    const char* seconds;
    int status;
    const char* errors;  // what standard error ends with
  };
  // Wine renames over no open file, so a holder sharing for deletion is waited out there;
  // Windows 10 and later replace at once.
  const holder_case cases[] = {
      {"rwd", "2", 0, "Success\n"},
      {"r", "3", 1, "\nPretermit option '/X'\n\nOutput file remove err.\n"},
  };
  temp_directory dir;
  dir.write("in.txt", "b\r\na\r\n");
  for (const holder_case& c : cases) {
    SCOPED_TRACE(c.sharing);
    dir.write("out.txt", "old\r\n");
    run_options holder_options;
    holder_options.output_file = dir.file("held.txt");
    pid_t holder =
        start_command({program_emulator(), hold_file_program(), "out.txt", c.sharing, c.seconds},
                      dir.path(), holder_options);
    for (int wait = 0; wait < 200 && dir.read("held.txt").rfind("held", 0) != 0; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(dir.read("held.txt").rfind("held", 0), 0u);
    std::string errors = dir.file("errors.txt");
    EXPECT_EQ(run_program({"in.txt", "out.txt", "/X"}, dir.path(), errors), c.status);
    std::string said = dir.read("errors.txt");
    EXPECT_EQ(said.substr(said.size() - std::min(said.size(), std::string(c.errors).size())),
              c.errors)
        << said;
    EXPECT_EQ(dir.read("out.txt"), c.status == 0 ? "a\r\nb\r\n" : "old\r\n");
    EXPECT_FALSE(has_temporary_file(dir.path()));
    EXPECT_EQ(wait_command(holder).status, 0);
  }
}

}  // namespace

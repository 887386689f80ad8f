// The drive check on a real, small file system: a tmpfs of 64 KiB mounted for the test (as
// root; skipped otherwise).
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "e2e/terminal_screen.h"

namespace {

class TinyFileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!running_as_root()) {
      GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    // A name of UTF-8 bytes, many of them Shift-JIS lead bytes, as Linux names are.
    std::vector<std::string> names = {"small"};
    if (!program_is_windows()) {
      names.push_back("語");
    }
    for (const std::string& name : names) {
      std::filesystem::create_directory(dir_.file(name));
      if (mount("tmpfs", dir_.file(name).c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "tmpfs cannot be mounted here";
      }
      mounted_.push_back(name);
    }
    // The input lies on the test directory's own, larger file system.
    dir_.write("big.txt", std::string(200 * 1000 - 2, 'x') + "\r\n");
    dir_.write("fits.txt", "b\r\na\r\n");
  }
  void TearDown() override {
    for (const std::string& name : mounted_) {
      umount(dir_.file(name).c_str());
    }
  }
  // The output name in the form of the program's own platform.
  std::string small_output(const std::string& directory = "small") const {
    return directory + (program_is_windows() ? "\\out.txt" : "/out.txt");
  }
  bool small_is_empty(const std::string& directory = "small") const {
    return std::filesystem::is_empty(dir_.file(directory));
  }

  temp_directory dir_;
  std::vector<std::string> mounted_;
};

// The free space is that of the output's own directory, whatever bytes its name is made of.
TEST_F(TinyFileSystem, InputLargerThanTheFreeSpaceStops) {
  for (const std::string& directory : mounted_) {
    SCOPED_TRACE(directory);
    EXPECT_EQ(run_program({"big.txt", small_output(directory)}, dir_.path()), 1);
    EXPECT_TRUE(small_is_empty(directory));
    if (!tmux_available()) {
      continue;
    }
    terminal_screen screen =
        run_in_terminal(program_command({"big.txt", small_output(directory)}), dir_.path());
    EXPECT_EQ(screen.status, 1);
    ASSERT_GE(screen.rows.size(), 5u);
    EXPECT_TRUE(std::regex_match(screen.rows[1], std::regex(R"(Disk Free [0-6]\d? \(KB\))")))
        << screen.rows[1];
    EXPECT_EQ(screen.rows[2], "File      200 (KB)");
    EXPECT_EQ(screen.rows[3], "");
    EXPECT_EQ(screen.rows[4], "Output drive err.");
    EXPECT_TRUE(small_is_empty(directory));
  }
}

// The drive measured is where the output finally goes: a link's target, and on Windows the
// current folder of a drive-relative name (Z:out.txt, Z: being Wine's drive of /).
TEST_F(TinyFileSystem, MeasuredWhereTheOutputGoes) {
  struct place_case {
    std::string directory;  // run from here
    std::string input;
    std::string output;
  };
  std::filesystem::create_symlink("small/target.txt", dir_.file("to-small.txt"));
  std::vector<place_case> cases = {{"", "big.txt", "to-small.txt"}};
  if (program_is_windows()) {
    cases.push_back({"small", "..\\big.txt", "Z:out.txt"});
  }
  for (const place_case& c : cases) {
    SCOPED_TRACE(c.output);
    dir_.write("small/target.txt", "old\r\n");
    std::string errors = dir_.file("errors.txt");
    EXPECT_EQ(run_program({c.input, c.output}, dir_.file(c.directory), errors), 1);
    EXPECT_NE(dir_.read("errors.txt").find("\nOutput drive err.\n"), std::string::npos)
        << dir_.read("errors.txt");
    EXPECT_EQ(dir_.read("small/target.txt"), "old\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.file("to-small.txt")));
  }
}

// Without the check the run goes on to the write, which fails cleanly: nothing is left.
TEST_F(TinyFileSystem, SkippedCheckFailsAtTheWrite) {
  EXPECT_EQ(run_program({"big.txt", small_output(), "/X"}, dir_.path()), 1);
  EXPECT_TRUE(small_is_empty());
}

TEST_F(TinyFileSystem, InputThatFitsIsWritten) {
  EXPECT_EQ(run_program({"fits.txt", small_output()}, dir_.path()), 0);
  EXPECT_EQ(dir_.read("small/out.txt"), "a\r\nb\r\n");
}

}  // namespace

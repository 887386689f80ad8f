// The drive check on a real, small file system: a tmpfs of 64 KiB mounted for the test (as
// root; skipped otherwise).
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>
#include <regex>
#include <string>

#include "e2e/e2e_support.h"
#include "e2e/terminal_screen.h"

namespace {

class TinyFileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!running_as_root()) {
      GTEST_SKIP() << "mounting a tmpfs needs root";
    }
    std::filesystem::create_directory(dir_.file("small"));
    if (mount("tmpfs", dir_.file("small").c_str(), "tmpfs", 0, "size=64k") != 0) {
      GTEST_SKIP() << "tmpfs cannot be mounted here";
    }
    mounted_ = true;
    // The input lies on the test directory's own, larger file system.
    dir_.write("big.txt", std::string(200 * 1000 - 2, 'x') + "\r\n");
    dir_.write("fits.txt", "b\r\na\r\n");
  }
  void TearDown() override {
    if (mounted_) {
      umount(dir_.file("small").c_str());
    }
  }
  // The output name in the form of the program's own platform.
  std::string small_output() const {
    return program_is_windows() ? "small\\out.txt" : "small/out.txt";
  }
  bool small_is_empty() const { return std::filesystem::is_empty(dir_.file("small")); }

  temp_directory dir_;
  bool mounted_ = false;
};

TEST_F(TinyFileSystem, InputLargerThanTheFreeSpaceStops) {
  EXPECT_EQ(run_program({"big.txt", small_output()}, dir_.path()), 1);
  EXPECT_TRUE(small_is_empty());
  if (!tmux_available()) {
    return;
  }
  terminal_screen screen =
      run_in_terminal(program_command({"big.txt", small_output()}), dir_.path());
  EXPECT_EQ(screen.status, 1);
  ASSERT_GE(screen.rows.size(), 5u);
  EXPECT_TRUE(std::regex_match(screen.rows[1], std::regex(R"(Disk Free [0-6]\d? \(KB\))")))
      << screen.rows[1];
  EXPECT_EQ(screen.rows[2], "File      200 (KB)");
  EXPECT_EQ(screen.rows[3], "");
  EXPECT_EQ(screen.rows[4], "Output drive err.");
  EXPECT_TRUE(small_is_empty());
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

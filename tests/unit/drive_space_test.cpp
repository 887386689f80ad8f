#include "sort/drive_space.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_console.h"
#include "fakes/fake_disk.h"

namespace {

using calls = std::vector<std::string>;

TEST(FormatThousands, RoundsHalvesToEvenAndGroups) {
  struct number_case {
    double value;
    const char* text;
  };
  const number_case cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {1234567, "1,234,567"},
      {-1234, "-1,234"},
      {2.5, "2"},
      {3.5, "4"},
      {-0.001, "0"},
      {-0.5, "0"},
      {1.499, "1"},
      {1.5, "2"},
      {1234567.890, "1,234,568"},
      {-2147483.648, "-2,147,484"},
      {999999.5, "1,000,000"},
      {123456789012345.0, "123,456,789,012,345"},
      {1e20, "100,000,000,000,000,000,000"},
  };
  for (const number_case& c : cases) {
    char out[128];
    EXPECT_STREQ(format_thousands(out, sizeof out, c.value), c.text) << c.value;
  }
  char small[6];
  EXPECT_STREQ(format_thousands(small, sizeof small, 1234567), "1,234");  // cut, never overrun
}

TEST(AppendBackslash, AddsTheSeparatorOnce) {
  struct append_case {
    const char* text;
    const char* expected;
  };
  // Names are UTF-8 on Windows: a byte 0x5C is a backslash, whatever comes before it (한 is
  // ED 95 9C, a Shift-JIS pair 95 9C after ED).
  const std::vector<append_case> windows = {
      {"C:\\dir\\", "C:\\dir\\"}, {"C:\\dir", "C:\\dir\\"}, {"", "\\"},     {"C:", "C:\\"},
      {"한\\", "한\\"},           {"한", "한\\"},           {".\\", ".\\"},
  };
  const std::vector<append_case> posix = {
      {"/a/", "/a/"}, {"/a", "/a/"}, {"", "/"}, {"./", "./"}, {"\x95/", "\x95/"}, {"語/", "語/"},
  };
  for (const append_case& c : platform_windows_paths() ? windows : posix) {
    char text[64];
    std::snprintf(text, sizeof text, "%s", c.text);
    EXPECT_STREQ(append_backslash(text, sizeof text), c.expected) << c.text;
  }
}

struct path_case {
  const char* output;
  const char* extended;  // the path the extended function is asked
  const char* basic;     // the path GetDiskFreeSpaceA is asked when it is missing
};

// Where each output name's free space is asked, with and without the extended function.
TEST(CheckOutputSpace, QueryPaths) {
  const std::vector<path_case> windows = {
      {"out.txt", ".\\", ".\\"},
      {"C:out.txt", "C:\\", "C:\\"},
      {"\\out.txt", "\\", "\\"},
      {"D:\\data\\out.txt", "D:\\data\\", "D:\\"},
      {"\\\\srv\\share\\dir\\out.txt", "\\\\srv\\share\\dir\\", "\\\\srv\\share\\"},
      {"\\\\srv\\out.txt", "\\\\srv\\", "\\\\srv\\"},
      {"表.txt", ".\\", ".\\"},  // 表 is 95 5C in Shift-JIS, E8 A1 A8 in UTF-8
      {"café\\out.txt", "café\\", "café\\"},
      {"한\\out.txt", "한\\", "한\\"},
      {"", ".\\", ".\\"},
  };
  const std::vector<path_case> posix = {
      {"out.txt", "./", "./"},   {"/mnt/other/out.txt", "/mnt/other/", "/mnt/other/"},
      {"a/b/c", "a/b/", "a/b/"}, {"/out", "/", "/"},
      {"C:out.txt", "./", "./"}, {"", "./", "./"},
  };
  for (const path_case& c : platform_windows_paths() ? windows : posix) {
    fake_console console;
    {
      fake_disk disk;
      disk.free_bytes = 1 << 20;
      EXPECT_TRUE(check_output_space(c.output, 1000)) << c.output;
      ASSERT_FALSE(disk.calls.empty()) << c.output;
      EXPECT_EQ(disk.calls.back(), std::string("ex ") + c.extended) << c.output;
    }
    {
      fake_disk disk;
      disk.extended_missing = true;
      disk.free_bytes = 1 << 20;
      EXPECT_TRUE(check_output_space(c.output, 1000)) << c.output;
      ASSERT_FALSE(disk.calls.empty()) << c.output;
      EXPECT_EQ(disk.calls.back(), std::string("basic ") + c.basic) << c.output;
    }
  }
}

TEST(BindFreeSpaceEx, CallsInOrderWhenBound) {
  fake_console console;
  fake_disk disk;
  disk.free_bytes = 1 << 20;
  std::string directory = platform_windows_paths() ? "D:\\data\\" : "/data/";
  std::string output = directory + "out.txt";
  EXPECT_TRUE(check_output_space(output.c_str(), 10));
  EXPECT_EQ(disk.calls,
            (calls{"load KERNEL32.DLL", "proc GetDiskFreeSpaceExA", "ex " + directory}));
  EXPECT_NE(kernel_module, nullptr);
  EXPECT_EQ(bind_failed, 0);
  disk.calls.clear();
  EXPECT_TRUE(check_output_space(output.c_str(), 10));
  EXPECT_EQ(disk.calls, calls{"ex " + directory});  // bound once per process
}

TEST(BindFreeSpaceEx, CallsInOrderWhenMissing) {
  fake_console console;
  fake_disk disk;
  disk.extended_missing = true;
  disk.free_bytes = 1 << 20;
  EXPECT_TRUE(check_output_space("out.txt", 10));
  std::string here = platform_windows_paths() ? ".\\" : "./";
  EXPECT_EQ(disk.calls,
            (calls{"load KERNEL32.DLL", "proc GetDiskFreeSpaceExA", "free", "basic " + here}));
  EXPECT_EQ(kernel_module, nullptr);
  EXPECT_EQ(free_space_ex, nullptr);
  EXPECT_EQ(bind_failed, -1);
  disk.calls.clear();
  EXPECT_TRUE(check_output_space("out.txt", 10));
  EXPECT_EQ(disk.calls, calls{"basic " + here});  // never retried
}

TEST(BindFreeSpaceEx, LibraryMissing) {
  fake_console console;
  fake_disk disk;
  disk.library_missing = true;
  disk.free_bytes = 1 << 20;
  EXPECT_TRUE(check_output_space("out.txt", 10));
  std::string here = platform_windows_paths() ? ".\\" : "./";
  EXPECT_EQ(disk.calls, (calls{"load KERNEL32.DLL", "basic " + here}));
  EXPECT_EQ(bind_failed, -1);
}

// A failing extended call falls back to the older function with the unreduced path and stays
// bound.
TEST(BindFreeSpaceEx, ExtendedCallFails) {
  fake_console console;
  fake_disk disk;
  disk.extended_fails = true;
  disk.free_bytes = 1 << 20;
  std::string directory = platform_windows_paths() ? "D:\\data\\" : "/data/";
  EXPECT_TRUE(check_output_space((directory + "out.txt").c_str(), 10));
  EXPECT_EQ(disk.calls, (calls{"load KERNEL32.DLL", "proc GetDiskFreeSpaceExA", "ex " + directory,
                               "basic " + directory}));
  EXPECT_NE(kernel_module, nullptr);
  EXPECT_EQ(bind_failed, 0);
}

TEST(CheckOutputSpace, FitsUpToEquality) {
  fake_console console;
  fake_disk disk;
  disk.free_bytes = 1234567890;
  EXPECT_TRUE(check_output_space("out.txt", 1234567890));
  EXPECT_EQ(console.screen.row_text(0).substr(0, 28), "Disk Free 1,234,568 (KB)    ");
  EXPECT_EQ(console.screen.row_text(1).substr(0, 28), "File      1,234,568 (KB)    ");
  EXPECT_FALSE(check_output_space("out.txt", 1234567891));
  EXPECT_EQ(console.screen.row_text(5).substr(0, 18), "Output drive err. ");
}

// A device takes the output in place and is not measured; a missing folder or a link to nowhere
// would fail the write's open, and says so before the work.
TEST(CheckOutputSpace, NamesWithNoDriveToMeasure) {
  const bool windows = platform_windows_paths();
  struct name_case {
    const char* output;
    bool passes;
    const char* first_row;
  };
  const name_case cases[] = {
      {windows ? "NUL" : "/dev/null", true, ""},
      {windows ? "gone\\out.txt" : "gone/out.txt", false, ""},
  };
  for (const name_case& c : cases) {
    fake_console console;
    fake_disk disk;
    disk.free_bytes = 1 << 20;
    disk.device = windows ? "NUL" : "/dev/null";
    disk.missing_folder = windows ? "gone\\" : "gone/";
    EXPECT_EQ(check_output_space(c.output, 10), c.passes) << c.output;
    EXPECT_TRUE(disk.calls.empty()) << c.output;
    EXPECT_EQ(console.screen.row_text(0).substr(0, 21), "                     ") << c.output;
    EXPECT_EQ(console.screen.row_text(1).substr(0, 21),
              c.passes ? "                     " : "Output file open err.")
        << c.output;
  }
}

TEST(CheckOutputSpace, UnknownFreeSpaceStopsTheRun) {
  fake_console console;
  fake_disk disk;
  disk.extended_fails = true;
  disk.basic_fails = true;
  EXPECT_FALSE(check_output_space("out.txt", 0));
  EXPECT_EQ(console.screen.row_text(0).substr(0, 18), "Disk Free 0 (KB)  ");
  EXPECT_EQ(console.screen.row_text(1).substr(0, 18), "File      0 (KB)  ");
  EXPECT_EQ(console.screen.row_text(3).substr(0, 18), "Output drive err. ");
}

// Names and directories too long for the buffers leave the free space unknown; nothing is
// overrun and nothing is asked.
TEST(CheckOutputSpace, OverlongNamesAreUnknownSpace) {
  fake_console console;
  fake_disk disk;
  disk.free_bytes = uint64_t{1} << 40;
  std::string long_name(output_name_limit() + 10, 'n');
  EXPECT_FALSE(check_output_space(long_name.c_str(), 1));
  char sep = platform_windows_paths() ? '\\' : '/';
  std::string long_directory = std::string(query_path_limit(), 'd') + sep + "out.txt";
  if (long_directory.size() < output_name_limit()) {
    EXPECT_FALSE(check_output_space(long_directory.c_str(), 1));
  }
  for (const std::string& call : disk.calls) {
    EXPECT_EQ(call.rfind("ex ", 0), std::string::npos);
    EXPECT_EQ(call.rfind("basic ", 0), std::string::npos);
  }
}

}  // namespace

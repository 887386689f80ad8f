#include "sort/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "fakes/temp_directory.h"
#include "platform/platform.h"

namespace {

// Makes the Nth call of one platform entry fail; the others pass through to the default.
struct fault {
  static inline int calls = 0;
  static inline int fail_at = 0;
  static bool hit() { return ++calls == fail_at; }
  static void arm(int n) {
    calls = 0;
    fail_at = n;
  }
};

int64_t failing_write(int fd, const void* bytes, size_t count) {
  return fault::hit() ? -1 : platform_defaults().file_write(fd, bytes, count);
}
int64_t short_write(int fd, const void* bytes, size_t count) {
  return fault::hit() ? 0 : platform_defaults().file_write(fd, bytes, count > 3 ? 3 : count);
}
bool failing_flush(int fd) {
  return !fault::hit() && platform_defaults().file_flush(fd);
}
bool failing_close(int fd) {
  bool closed = platform_defaults().file_close(fd);
  return !fault::hit() && closed;
}
bool failing_rename(const char* from, const char* to) {
  return !fault::hit() && platform_defaults().file_rename(from, to);
}

class OutputFile : public ::testing::Test {
 protected:
  void TearDown() override { platform_restore_defaults(); }
  temp_directory dir_;
  const std::string content_ = "new contents\r\n";

  write_status write(const std::string& name) {
    return write_output(dir_.file(name).c_str(), content_.data(), content_.size());
  }
};

TEST_F(OutputFile, CreatesAndReplaces) {
  EXPECT_EQ(write("out.txt"), write_status::ok);
  EXPECT_EQ(dir_.snapshot(), (std::map<std::string, std::string>{{"out.txt", content_}}));
  dir_.write("old.txt", "an old file that is longer than the new one\r\n");
  EXPECT_EQ(write("old.txt"), write_status::ok);
  EXPECT_EQ(dir_.read("old.txt"), content_);
  EXPECT_EQ(dir_.snapshot().size(), 2u);
}

TEST_F(OutputFile, WritesInPiecesAfterShortWrites) {
  platform.file_write = short_write;
  fault::arm(-1);
  EXPECT_EQ(write("out.txt"), write_status::ok);
  EXPECT_EQ(dir_.read("out.txt"), content_);
}

TEST_F(OutputFile, RefusesADirectory) {
  std::filesystem::create_directory(dir_.file("sub"));
  EXPECT_EQ(write("sub"), write_status::open_failed);
  EXPECT_EQ(dir_.snapshot(), (std::map<std::string, std::string>{{"sub", "<dir>"}}));
}

TEST_F(OutputFile, MissingDirectoryIsAnOpenFailure) {
  EXPECT_EQ(write("no/such/dir/out.txt"), write_status::open_failed);
  EXPECT_TRUE(dir_.snapshot().empty());
}

// Each failure leaves the old output byte for byte and no temporary file behind.
TEST_F(OutputFile, FailuresKeepTheOldOutput) {
  struct injected {
    const char* name;
    void (*install)();
    int nth;
    write_status expected;
  };
  const injected cases[] = {
      {"write", [] { platform.file_write = failing_write; }, 1, write_status::write_failed},
      {"short write stalls", [] { platform.file_write = short_write; }, 2,
       write_status::write_failed},
      {"flush", [] { platform.file_flush = failing_flush; }, 1, write_status::write_failed},
      {"close", [] { platform.file_close = failing_close; }, 1, write_status::write_failed},
      {"rename", [] { platform.file_rename = failing_rename; }, 1, write_status::remove_failed},
  };
  const std::string old = "the only copy\r\n";
  for (const injected& c : cases) {
    dir_.write("out.txt", old);
    platform_restore_defaults();
    c.install();
    fault::arm(c.nth);
    EXPECT_EQ(write("out.txt"), c.expected) << c.name;
    platform_restore_defaults();
    EXPECT_EQ(dir_.snapshot(), (std::map<std::string, std::string>{{"out.txt", old}})) << c.name;
  }
}

// Writes of at most 3 bytes, the Nth of them failing: wherever the write breaks off, the old
// output stays and the temporary file goes.
int64_t trickling_write(int fd, const void* bytes, size_t count) {
  return fault::hit() ? -1 : platform_defaults().file_write(fd, bytes, count > 3 ? 3 : count);
}

TEST_F(OutputFile, WriteFailingOnItsNthCall) {
  const std::string old = "the only copy\r\n";
  for (int nth = 1; nth <= 5; ++nth) {
    dir_.write("out.txt", old);
    platform.file_write = trickling_write;
    fault::arm(nth);
    EXPECT_EQ(write("out.txt"), write_status::write_failed) << nth;
    platform_restore_defaults();
    EXPECT_EQ(dir_.snapshot(), (std::map<std::string, std::string>{{"out.txt", old}})) << nth;
  }
}

TEST_F(OutputFile, NewFileFailuresLeaveNothing) {
  platform.file_rename = failing_rename;
  fault::arm(1);
  EXPECT_EQ(write("out.txt"), write_status::open_failed);
  platform.file_write = failing_write;
  fault::arm(1);
  EXPECT_EQ(write("out.txt"), write_status::write_failed);
  EXPECT_TRUE(dir_.snapshot().empty());
}

// The temporary file lies beside the output, so the rename never crosses file systems.
TEST_F(OutputFile, TemporaryNameIsInTheOutputsDirectory) {
  char name[256];
  temporary_name_for("/a/b/out.txt", 3, name, sizeof name);
  std::string temporary = name;
  EXPECT_EQ(temporary.rfind("/a/b/.velatr-", 0), 0u) << temporary;
  EXPECT_EQ(temporary.substr(temporary.size() - 6), "-3.tmp");
  temporary_name_for("out.txt", 0, name, sizeof name);
  EXPECT_EQ(std::string(name).rfind(".velatr-", 0), 0u);
}

}  // namespace

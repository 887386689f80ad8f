#include "sort/output_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

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
bool failing_access(const char* from, int fd) {
  return !fault::hit() && platform_defaults().file_copy_access(from, fd);
}
bool failing_keep(int fd, const char* name) {
  return !fault::hit() && platform_defaults().file_keep_temporary(fd, name);
}

// The output in pieces, as the assembly hands it out; `raise_at`, when not 0, raises that
// signal twice as the piece of that number (from 1) is handed out.
struct pieces {
  std::vector<std::string> parts;
  size_t next = 0;
  size_t raise_at = 0;
  int signal_number = 0;

  static size_t hand_out(void* state, const char** piece) {
    pieces& p = *static_cast<pieces*>(state);
    if (p.next == p.parts.size()) {
      return 0;
    }
    ++p.next;
    if (p.next == p.raise_at) {
      std::raise(p.signal_number);
      std::raise(p.signal_number);
    }
    *piece = p.parts[p.next - 1].data();
    return p.parts[p.next - 1].size();
  }
  output_source source() { return output_source{hand_out, this}; }
};

class OutputFile : public ::testing::Test {
 protected:
  void TearDown() override { platform_restore_defaults(); }
  temp_directory dir_;
  const std::vector<std::string> parts_ = {"new ", "contents", "\r\n"};
  const std::string content_ = "new contents\r\n";

  write_status write(const std::string& name) {
    pieces all{parts_};
    return write_output(dir_.file(name).c_str(), all.source());
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
      {"a later piece", [] { platform.file_write = failing_write; }, 3, write_status::write_failed},
      {"access copy", [] { platform.file_copy_access = failing_access; }, 1,
       write_status::replace_failed},
      {"keeping the file", [] { platform.file_keep_temporary = failing_keep; }, 1,
       write_status::replace_failed},
      {"short write stalls", [] { platform.file_write = short_write; }, 2,
       write_status::write_failed},
      {"flush", [] { platform.file_flush = failing_flush; }, 1, write_status::write_failed},
      {"close", [] { platform.file_close = failing_close; }, 1, write_status::write_failed},
      {"rename", [] { platform.file_rename = failing_rename; }, 1, write_status::replace_failed},
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

// What the file looked like to others when its access was given and when its first byte came.
struct exposure {
  static inline int mode_at_creation = -1;
  static inline int mode_at_first_byte = -1;
  static int mode_of(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
  }
};

bool watched_access(const char* from, int fd) {
  exposure::mode_at_creation = exposure::mode_of(fd);
  return platform_defaults().file_copy_access(from, fd);
}
int64_t watched_write(int fd, const void* bytes, size_t count) {
  if (exposure::mode_at_first_byte < 0) {
    exposure::mode_at_first_byte = exposure::mode_of(fd);
  }
  return platform_defaults().file_write(fd, bytes, count);
}

// The temporary file is private from its creation and has the old file's mode before any byte
// of the data is in it.
TEST_F(OutputFile, PrivateBeforeAnyByte) {
  if (platform_windows_paths()) {
    GTEST_SKIP() << "POSIX modes";
  }
  for (int mode : {0600, 0640, 0444}) {
    dir_.write("out.txt", "the only copy\r\n");
    ASSERT_EQ(chmod(dir_.file("out.txt").c_str(), static_cast<mode_t>(mode)), 0);
    exposure::mode_at_creation = exposure::mode_at_first_byte = -1;
    platform.file_copy_access = watched_access;
    platform.file_write = watched_write;
    EXPECT_EQ(write("out.txt"), write_status::ok);
    platform_restore_defaults();
    EXPECT_EQ(exposure::mode_at_creation & 077, 0) << mode;
    EXPECT_EQ(exposure::mode_at_first_byte, mode) << mode;
    EXPECT_EQ(dir_.read("out.txt"), content_);
  }
}

// Devices are written in place, whatever their name; a write that fails there is reported.
TEST_F(OutputFile, InPlaceWrites) {
  const char* null_device = platform_windows_paths() ? "NUL" : "/dev/null";
  pieces all{parts_};
  EXPECT_EQ(write_output(null_device, all.source()), write_status::ok);
  platform.file_write = failing_write;
  fault::arm(2);
  pieces again{parts_};
  EXPECT_EQ(write_output(null_device, again.source()), write_status::write_failed);
}

// A descriptor's name writes through the descriptor as it was set up: an append stays an
// append, nothing before it is cut.
TEST_F(OutputFile, DescriptorNamesWriteThroughTheDescriptor) {
  if (platform_windows_paths()) {
    GTEST_SKIP() << "POSIX descriptor names";
  }
  dir_.write("log.txt", "earlier\n");
  int fd = open(dir_.file("log.txt").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  for (const std::string& name :
       {"/dev/fd/" + std::to_string(fd), "/proc/self/fd/" + std::to_string(fd)}) {
    pieces all{parts_};
    EXPECT_EQ(write_output(name.c_str(), all.source()), write_status::ok) << name;
  }
  close(fd);
  EXPECT_EQ(dir_.read("log.txt"), "earlier\n" + content_ + content_);
  EXPECT_EQ(dir_.snapshot().size(), 1u);
}

int caller_handled = 0;
extern "C" void count_interrupt(int) {
  ++caller_handled;
}

// Interrupts while the output is written, two at once: the write is given up, the old output
// stays, no temporary remains, and the interrupt reaches the caller's own handler once the
// writer is done.
TEST_F(OutputFile, RepeatedInterruptsDuringTheWrite) {
  const std::string old = "the only copy\r\n";
  dir_.write("out.txt", old);
  auto before = std::signal(SIGINT, count_interrupt);
  caller_handled = 0;
  pieces all{parts_, 0, 2, SIGINT};
  EXPECT_EQ(write_output(dir_.file("out.txt").c_str(), all.source()), write_status::write_failed);
  std::signal(SIGINT, before);
  EXPECT_EQ(caller_handled, 1);
  EXPECT_EQ(dir_.snapshot(), (std::map<std::string, std::string>{{"out.txt", old}}));
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

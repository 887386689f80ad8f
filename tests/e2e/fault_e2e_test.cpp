// Faults of the machine while the real program runs: a full disk, a file-size limit, a
// read-only file system, signals during the write, closed or full standard streams. After each,
// every file is byte for byte what it was (or the correct new output), and no temporary file is
// left.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e/e2e_support.h"
#include "unit/reference_order.h"

namespace {

using snapshot = std::map<std::string, std::string>;

// Lines in no particular order, about 12 bytes each.
std::string numbered_lines(long long count) {
  std::string text;
  text.reserve(static_cast<size_t>(count) * 13);
  for (long long i = count; i > 0; --i) {
    text += "line " + std::to_string(i * 7919 % 100003) + "\r\n";
  }
  return text;
}

// The sorted form of a text of CR LF lines without switches, by the reference model.
std::string sorted_by_model(const std::string& input) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = input.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lines.push_back(input.substr(start, end - start));
  }
  std::string sorted;
  for (const std::string& line : reference_order{}.sorted(lines)) {
    sorted += line + "\r\n";
  }
  return sorted;
}

// A tmpfs of `size` mounted on `directory`, as root; empty when that cannot be done here.
class mounted_tmpfs {
 public:
  mounted_tmpfs(const std::string& directory, const char* options) : directory_(directory) {
    std::filesystem::create_directory(directory);
    if (running_as_root()) {
      mounted_ = mount("tmpfs", directory.c_str(), "tmpfs", 0, options) == 0;
    }
  }
  ~mounted_tmpfs() {
    if (mounted_) {
      umount(directory_.c_str());
    }
  }
  bool mounted() const { return mounted_; }
  bool remount_read_only() {
    return mount("tmpfs", directory_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  std::string directory_;
  bool mounted_ = false;
};

class FaultE2e : public ::testing::Test {
 protected:
  std::string native(const std::string& relative) const {
    if (!program_is_windows()) {
      return relative;
    }
    std::string name = relative;
    for (char& c : name) {
      c = c == '/' ? '\\' : c;
    }
    return name;
  }
  temp_directory dir_;
};

// The disk fills while the temporary file is written: the old output, and in an in-place sort
// the input, stay as they were.
TEST_F(FaultE2e, DiskFullWhileWriting) {
  mounted_tmpfs small(dir_.file("small"), "size=96k");
  if (!small.mounted()) {
    GTEST_SKIP() << "a tmpfs cannot be mounted here";
  }
  const std::string input = numbered_lines(6000);  // about 65 KB: one copy fits, two do not
  ASSERT_GT(input.size(), 60000u);
  dir_.write("small/data.txt", input);
  dir_.write("small/old.txt", "the old output\r\n");
  const snapshot before = {{"data.txt", input}, {"old.txt", "the old output\r\n"}};
  temp_directory view;
  auto files = [&] {
    snapshot now;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.file("small"))) {
      now[entry.path().filename().string()] =
          dir_.read("small/" + entry.path().filename().string());
    }
    return now;
  };
  EXPECT_EQ(run_program({native("small/data.txt"), native("small/data.txt"), "/X"}, dir_.path()),
            1);
  EXPECT_EQ(files(), before);
  EXPECT_EQ(run_program({native("small/data.txt"), native("small/old.txt"), "/X"}, dir_.path()), 1);
  EXPECT_EQ(files(), before);
}

// A file-size limit hit part way is a failed write, though SIGXFSZ would end the process.
TEST_F(FaultE2e, FileSizeLimitHitPartWay) {
  const std::string input = numbered_lines(20000);
  dir_.write("in.txt", input);
  dir_.write("out.txt", "the old output\r\n");
  run_options options;
  options.file_size_limit = 100000;
  if (program_is_windows()) {
    options.ignored_signals = {SIGXFSZ};  // Wine itself would be ended by it
  }
  run_outcome outcome = run_program_with({"in.txt", "out.txt", "/X"}, dir_.path(), options);
  EXPECT_EQ(outcome.signal, 0);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", input}, {"out.txt", "the old output\r\n"}}));
  // Under a limit the output fits in, the same run succeeds.
  options.file_size_limit = 10000000;
  outcome = run_program_with({"in.txt", "out.txt", "/X"}, dir_.path(), options);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(dir_.read("out.txt").size(), input.size());
}

TEST_F(FaultE2e, ReadOnlyFileSystem) {
  mounted_tmpfs area(dir_.file("ro"), "size=1m");
  if (!area.mounted()) {
    GTEST_SKIP() << "a tmpfs cannot be mounted here";
  }
  dir_.write("in.txt", "b\r\na\r\n");
  dir_.write("ro/out.txt", "the old output\r\n");
  ASSERT_TRUE(area.remount_read_only());
  EXPECT_EQ(run_program({"in.txt", native("ro/out.txt"), "/X"}, dir_.path()), 1);
  EXPECT_EQ(run_program({"in.txt", native("ro/new.txt"), "/X"}, dir_.path()), 1);
  EXPECT_EQ(dir_.read("ro/out.txt"), "the old output\r\n");
  EXPECT_FALSE(dir_.exists("ro/new.txt"));
  EXPECT_FALSE(has_temporary_file(dir_.file("ro")));
}

// Huge sparse inputs are refused from their size, without the memory they would need.
TEST_F(FaultE2e, HugeInputsAreRefusedWithoutTheirMemory) {
  for (off_t size : {off_t{1} << 31, (off_t{1} << 32) + 1}) {
    dir_.write("huge.txt", "");
    ASSERT_EQ(truncate(dir_.file("huge.txt").c_str(), size), 0);
    run_outcome outcome = run_program_with({"huge.txt", "out.txt", "/X"}, dir_.path(), {});
    EXPECT_EQ(outcome.status, 1) << size;
    if (!program_is_windows()) {
      EXPECT_LT(outcome.peak_kb, 64 * 1024) << size;
    }
    EXPECT_FALSE(dir_.exists("out.txt"));
  }
}

// True once the program's temporary file exists: named in `directory`, or held open by the
// process unnamed (it then reads as "directory/#inode (deleted)").
bool writing_into(pid_t child, const std::string& directory) {
  std::error_code error;
  std::string fds = "/proc/" + std::to_string(child) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
    std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (target.rfind(directory + "/#", 0) == 0 && target.ends_with(" (deleted)")) {
      return true;
    }
  }
  return has_temporary_file(directory);
}

// True while the child runs; it is not reaped, so its process id cannot be another's yet.
bool still_running(pid_t child) {
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

// Starts the program on in.txt and sends `signal_number` once it writes its output; `caught`
// tells whether the signal was sent while it did.
run_outcome signal_during_the_write(const temp_directory& dir, int signal_number,
                                    const run_options& options, bool* caught = nullptr) {
  pid_t child = start_command(program_command({"in.txt", "out.txt", "/X"}), dir.path(), options);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  bool writing = false;
  while (still_running(child) && !(writing = writing_into(child, dir.path())) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  if (caught != nullptr) {
    *caught = writing;
  }
  kill(child, signal_number);
  return wait_command(child);
}

// Any signal that would end the process, while the output is written: the old output survives,
// the temporary file is removed, and the process ends by that signal.
TEST_F(FaultE2e, SignalsDuringTheWrite) {
  if (program_is_windows()) {
    GTEST_SKIP() << "POSIX signals";
  }
  const std::string input = numbered_lines(3000000);  // long enough a write to be caught
  dir_.write("in.txt", input);
  const std::string sorted = sorted_by_model(input);
  std::vector<int> signals = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGPIPE,
                              SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU};
  // User-mode emulators keep the host's real-time signals for themselves.
  if (program_emulator().empty()) {
    signals.push_back(SIGRTMIN + 1);
  }
  for (int signal_number : signals) {
    int interrupted = 0;
    for (int attempt = 0; attempt < 8 && interrupted == 0; ++attempt) {
      dir_.write("out.txt", "the old output\r\n");
      run_outcome outcome = signal_during_the_write(dir_, signal_number, {});
      EXPECT_FALSE(has_temporary_file(dir_.path())) << signal_number;
      EXPECT_EQ(dir_.read("in.txt"), input);
      std::string output = dir_.read("out.txt");
      if (output == "the old output\r\n") {
        EXPECT_EQ(outcome.signal, signal_number);
        ++interrupted;
      } else {
        // The output was replaced before the signal came: then it is whole.
        EXPECT_EQ(output, sorted) << signal_number;
      }
    }
    EXPECT_GT(interrupted, 0) << "signal " << signal_number << " never arrived during the write";
  }
}

// Ended with no chance to clean up (SIGKILL; for the Windows program, its Wine process killed, as
// End task or TerminateProcess end it), the old output stays and the system itself removes the
// temporary file: it is unnamed, or marked to go with its last handle.
TEST_F(FaultE2e, KilledWriteLeavesNoTemporaryFile) {
  const std::string input = numbered_lines(3000000);
  dir_.write("in.txt", input);
  const std::string sorted = sorted_by_model(input);
  int killed = 0;
  for (int attempt = 0; attempt < 8 && killed == 0; ++attempt) {
    dir_.write("out.txt", "the old output\r\n");
    bool caught = false;
    run_outcome outcome = signal_during_the_write(dir_, SIGKILL, {}, &caught);
    EXPECT_EQ(outcome.signal, SIGKILL);
    // Wine's server closes a killed process's handles soon after it is gone.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (has_temporary_file(dir_.path()) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(has_temporary_file(dir_.path()));
    std::string output = dir_.read("out.txt");
    if (output == "the old output\r\n") {
      killed += caught ? 1 : 0;
    } else {
      EXPECT_EQ(output, sorted);  // replaced before the kill: then whole
    }
  }
  EXPECT_GT(killed, 0) << "the kill never came during the write";
}

// A hang-up the caller ignores (nohup) does not stop the sort.
TEST_F(FaultE2e, IgnoredHangUpIsStillIgnored) {
  if (program_is_windows()) {
    GTEST_SKIP() << "POSIX signals";
  }
  const std::string input = numbered_lines(3000000);
  dir_.write("in.txt", input);
  const std::string sorted = sorted_by_model(input);
  dir_.write("out.txt", "the old output\r\n");
  run_options nohup;
  nohup.ignored_signals = {SIGHUP};
  run_outcome outcome = signal_during_the_write(dir_, SIGHUP, nohup);
  EXPECT_EQ(outcome.signal, 0);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", input}, {"out.txt", sorted}}));
}

// With the standard streams closed, or standard error full, the sort completes, and no file of
// the program's own lands on descriptor 0, 1 or 2 (console text would end up in it).
TEST_F(FaultE2e, ClosedOrFullStandardStreams) {
  const std::string input = numbered_lines(500);
  dir_.write("in.txt", input);
  const std::string sorted = sorted_by_model(input);
  // Under Wine, a program started with its descriptors closed finds Wine's own pipes there, as
  // its standard error too, which a Windows program cannot tell from a real pipe; on Windows a
  // closed standard handle is no handle, and nothing is written.
  if (!program_is_windows()) {
    run_options closed;
    closed.close_standard_streams = true;
    run_outcome outcome = run_program_with({"in.txt", "out.txt"}, dir_.path(), closed);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", input}, {"out.txt", sorted}}));
    std::filesystem::remove(dir_.file("out.txt"));
  }
  run_options full;
  full.error_file = "/dev/full";
  run_outcome outcome = run_program_with({"in.txt", "out.txt"}, dir_.path(), full);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", input}, {"out.txt", sorted}}));
}

}  // namespace

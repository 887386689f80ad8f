// Hostile names and files around the output: non-ASCII directories, permissions, symbolic
// links, a temporary name already taken, an input whose size lies. After a failure every file
// is as it was; after success the output holds exactly the input's lines; no temporary remains.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/e2e_support.h"

namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string input = "b\r\nc\r\na\r\n";
const std::string sorted = "a\r\nb\r\nc\r\n";
const std::string old_output = "the old output\r\n";

class OutputSafetyE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    if (program_is_windows()) {
      GTEST_SKIP() << "POSIX names, modes and links";
    }
    dir_.write("in.txt", input);
  }
  int sort(const std::vector<std::string>& arguments, const run_options& options = {}) {
    return run_program_with(arguments, dir_.path(), options).status;
  }
  temp_directory dir_;
};

// UTF-8 names are full of bytes that are Shift-JIS lead bytes; "/" after one is still a
// separator. The temporary file goes in the output's own directory: a file system of its own
// (as root), or the only writable place when the current directory is not.
TEST_F(OutputSafetyE2e, NonAsciiDirectoryNames) {
  for (const std::string name : {"語", "я", "あ", "\xe3\x81\x8c"}) {
    SCOPED_TRACE(name);
    fs::create_directory(dir_.file(name));
    bool mounted =
        running_as_root() && mount("tmpfs", dir_.file(name).c_str(), "tmpfs", 0, "size=1m") == 0;
    if (!mounted) {
      fs::permissions(dir_.path(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    EXPECT_EQ(sort({"in.txt", name + "/out.txt"}), 0);
    EXPECT_EQ(dir_.read(name + "/out.txt"), sorted);
    EXPECT_FALSE(has_temporary_file(dir_.file(name)));
    EXPECT_FALSE(has_temporary_file(dir_.path()));
    if (mounted) {
      umount(dir_.file(name).c_str());
    }
    fs::permissions(dir_.path(), fs::perms::owner_all);
  }
}

// A replaced output, or the input sorted in place, keeps its permission bits (and, as root,
// its owner and group): private data stays private.
TEST_F(OutputSafetyE2e, ReplacedFilesKeepTheirAccess) {
  for (fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                         fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                         fs::perms::owner_all | fs::perms::group_read}) {
    SCOPED_TRACE(static_cast<int>(mode));
    dir_.write("out.txt", old_output);
    dir_.write("self.txt", input);
    fs::permissions(dir_.file("out.txt"), mode);
    fs::permissions(dir_.file("self.txt"), mode);
    if (running_as_root()) {
      ASSERT_EQ(chown(dir_.file("out.txt").c_str(), 1234, 5678), 0);
    }
    EXPECT_EQ(sort({"in.txt", "out.txt", "/X"}), 0);
    EXPECT_EQ(sort({"self.txt", "self.txt", "/X"}), 0);
    for (const char* name : {"out.txt", "self.txt"}) {
      EXPECT_EQ(fs::status(dir_.file(name)).permissions(), mode) << name;
      EXPECT_EQ(dir_.read(name), sorted) << name;
    }
    struct stat st {};
    ASSERT_EQ(stat(dir_.file("out.txt").c_str(), &st), 0);
    if (running_as_root()) {
      EXPECT_EQ(st.st_uid, 1234u);
      EXPECT_EQ(st.st_gid, 5678u);
    }
  }
}

// An output name that is a symbolic link stays one: what it finally leads to gets the output,
// in that file's own directory, its drive measured; a link to a missing name makes the file it
// names. On both systems: a Windows program sees the links of Wine's drive as symbolic links.
class OutputLinksE2e : public ::testing::Test {
 protected:
  void SetUp() override { dir_.write("in.txt", input); }
  int sort(const std::vector<std::string>& arguments) {
    return run_program(arguments, dir_.path());
  }
  temp_directory dir_;
};

TEST_F(OutputLinksE2e, SymbolicLinksStay) {
  struct link_case {
    const char* link;
    const char* leads_to;  // the link's text
    const char* file;      // the file that gets the output
  };
  const link_case cases[] = {
      {"to-file.txt", "target.txt", "target.txt"},
      {"to-sub.txt", "sub/target.txt", "sub/target.txt"},
      {"sub/up.txt", "../up-target.txt", "up-target.txt"},
      {"chain.txt", "to-file.txt", "target.txt"},
      {"dangling.txt", "sub/made.txt", "sub/made.txt"},
  };
  fs::create_directory(dir_.file("sub"));
  dir_.write("target.txt", old_output);
  dir_.write("sub/target.txt", old_output);
  dir_.write("up-target.txt", old_output);
  for (const link_case& c : cases) {
    SCOPED_TRACE(c.link);
    fs::create_symlink(c.leads_to, dir_.file(c.link));
  }
  for (const link_case& c : cases) {
    SCOPED_TRACE(c.link);
    dir_.write(c.file, old_output);
    if (std::string(c.link) == "dangling.txt") {
      // Wine shows a Windows program a link to nothing as no file at all (Windows itself shows
      // the link, and the program refuses it as it does a loop).
      if (program_is_windows()) {
        continue;
      }
      fs::remove(dir_.file(c.file));
    }
    EXPECT_EQ(sort({"in.txt", c.link}), 0);
    EXPECT_TRUE(fs::is_symlink(dir_.file(c.link)));
    EXPECT_EQ(fs::read_symlink(dir_.file(c.link)).string(), c.leads_to);
    EXPECT_EQ(dir_.read(c.file), sorted);
  }
  EXPECT_FALSE(has_temporary_file(dir_.path()));
  EXPECT_FALSE(has_temporary_file(dir_.file("sub")));
  // A loop of links names nothing: refused, and both links stay.
  fs::create_symlink("loop-b.txt", dir_.file("loop-a.txt"));
  fs::create_symlink("loop-a.txt", dir_.file("loop-b.txt"));
  EXPECT_EQ(sort({"in.txt", "loop-a.txt", "/X"}), 1);
  EXPECT_TRUE(fs::is_symlink(dir_.file("loop-a.txt")));
  EXPECT_TRUE(fs::is_symlink(dir_.file("loop-b.txt")));
}

// A name of the standard output writes through the descriptor the shell set up: an append
// (`>>`) keeps what the file held, and nothing under /dev is replaced.
TEST_F(OutputSafetyE2e, StandardOutputByName) {
  fs::create_symlink("/dev/stdout", dir_.file("to-stdout"));
  for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1", "to-stdout"}) {
    SCOPED_TRACE(name);
    dir_.write("log.txt", "an earlier log\n");
    run_options appended;
    appended.output_file = dir_.file("log.txt");
    appended.append_output = true;
    EXPECT_EQ(sort({"in.txt", name, "/X"}, appended), 0);
    EXPECT_EQ(dir_.read("log.txt"), "an earlier log\n" + sorted);
    run_options redirected;
    redirected.output_file = dir_.file("sorted.txt");
    EXPECT_EQ(sort({"in.txt", name, "/X"}, redirected), 0);
    EXPECT_EQ(dir_.read("sorted.txt"), sorted);
  }
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  EXPECT_TRUE(fs::is_symlink(dir_.file("to-stdout")));
  EXPECT_FALSE(has_temporary_file("/dev"));
}

// What a name is decides, not where it is: a regular file under /dev (in /dev/shm), or one that
// links pass through /dev to reach, is replaced as any other, and may be made there; a
// file-size limit fails the write and loses nothing.
TEST_F(OutputSafetyE2e, RegularFilesUnderDevAreReplaced) {
  std::error_code error;
  const std::string shm = "/dev/shm/velatr-test-" + std::to_string(getpid());
  if (!fs::create_directory(shm, error)) {
    GTEST_SKIP() << "no /dev/shm to write in";
  }
  const std::string big = std::string(5000, 'x') + "\r\n" + input;
  dir_.write("big.txt", big);
  std::string big_sorted = sorted + std::string(5000, 'x') + "\r\n";
  dir_.write("real.txt", "precious\r\n");
  fs::create_symlink(dir_.file("real.txt"), shm + "/hop");
  fs::create_symlink(shm + "/hop", dir_.file("through-dev.txt"));
  struct dev_case {
    std::string output;  // the name given
    std::string file;    // the regular file that gets the output
  };
  const dev_case cases[] = {{shm + "/o.txt", shm + "/o.txt"},
                            {dir_.file("through-dev.txt"), dir_.file("real.txt")}};
  for (const dev_case& c : cases) {
    SCOPED_TRACE(c.output);
    std::ofstream(c.file, std::ios::binary) << "precious\r\n";
    run_options limited;
    limited.file_size_limit = 1024;
    EXPECT_EQ(sort({"big.txt", c.output, "/X"}, limited), 1);
    EXPECT_EQ(read_file(c.file), "precious\r\n");
    EXPECT_EQ(sort({"big.txt", c.output, "/X"}), 0);
    EXPECT_EQ(read_file(c.file), big_sorted);
    EXPECT_FALSE(has_temporary_file(shm));
    EXPECT_FALSE(has_temporary_file(dir_.path()));
  }
  EXPECT_TRUE(fs::is_symlink(shm + "/hop"));
  EXPECT_TRUE(fs::is_symlink(dir_.file("through-dev.txt")));
  EXPECT_EQ(sort({"in.txt", shm + "/new.txt", "/X"}), 0);
  EXPECT_EQ(read_file(shm + "/new.txt"), sorted);
  fs::remove_all(shm);
}

// A user who is not root replaces a file of a group of theirs: the new file has that group,
// not the user's own. A group that is not theirs cannot be given: its rights go to no one.
TEST_F(OutputSafetyE2e, NonRootReplaceKeepsTheGroup) {
  if (!running_as_root()) {
    GTEST_SKIP() << "switching to another user needs root";
  }
  const uid_t nobody = 65534;
  const gid_t own_group = 65534;
  const gid_t shared_group = 4321;  // one the user belongs to
  const gid_t other_group = 5432;   // one it does not
  fs::create_directory(dir_.file("work"));
  ASSERT_EQ(chown(dir_.file("work").c_str(), nobody, own_group), 0);
  dir_.write("work/in.txt", input);
  struct group_case {
    gid_t group;
    mode_t mode;
    gid_t expected_group;
    mode_t expected_mode;
  };
  const group_case cases[] = {
      {shared_group, 0640, shared_group, 0640},
      {shared_group, 02660, shared_group, 02660},
      {other_group, 0640, own_group, 0600},
  };
  for (const group_case& c : cases) {
    SCOPED_TRACE(c.group);
    const std::string out = dir_.file("work/out.txt");
    dir_.write("work/out.txt", old_output);
    ASSERT_EQ(chown(out.c_str(), nobody, c.group), 0);
    ASSERT_EQ(chmod(out.c_str(), c.mode), 0);
    run_options as_nobody;
    as_nobody.before_start = [] {
      gid_t groups[] = {shared_group};
      if (setgroups(1, groups) != 0 || setgid(own_group) != 0 || setuid(nobody) != 0) {
        _exit(125);
      }
    };
    EXPECT_EQ(run_program_with({"in.txt", "out.txt", "/X"}, dir_.file("work"), as_nobody).status,
              0);
    struct stat st {};
    ASSERT_EQ(stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, nobody);
    EXPECT_EQ(st.st_gid, c.expected_group);
    EXPECT_EQ(st.st_mode & 07777, c.expected_mode);
    EXPECT_EQ(dir_.read("work/out.txt"), sorted);
  }
}

// A dangling link where the first temporary name would go is a clash like any other: the next
// name is taken, and the link is left alone.
TEST_F(OutputSafetyE2e, TemporaryNameTakenByADanglingLink) {
  dir_.write("out.txt", old_output);
  run_options options;
  options.before_start = [] {
    std::string taken = ".velatr-" + std::to_string(getpid()) + "-0.tmp";
    if (symlink("nowhere/at/all", taken.c_str()) != 0) {
      _exit(125);
    }
  };
  EXPECT_EQ(sort({"in.txt", "out.txt", "/X"}, options), 0);
  EXPECT_EQ(dir_.read("out.txt"), sorted);
  size_t links = 0;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    links += entry.is_symlink() ? 1 : 0;
  }
  EXPECT_EQ(links, 1u);
}

// A file larger than its stated size (a view of /proc states 0 bytes, a file may grow while it
// is read) is a read error: the old output stays.
TEST_F(OutputSafetyE2e, InputLargerThanItsStatedSize) {
  dir_.write("out.txt", old_output);
  EXPECT_EQ(sort({"/proc/self/status", "out.txt", "/X"}), 1);
  EXPECT_EQ(dir_.read("out.txt"), old_output);
  EXPECT_FALSE(has_temporary_file(dir_.path()));
}

}  // namespace

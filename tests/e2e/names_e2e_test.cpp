// Names as users have them, on a Japanese and a Western system: letters the system's code page
// lacks, look-alikes that must never be taken for them, folders on a file system of their own,
// and names near the old MAX_PATH. Each run touches its output and nothing else.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace {

using snapshot = std::map<std::string, std::string>;

const std::string input = "b\r\nc\r\na\r\n";
const std::string sorted = "a\r\nb\r\nc\r\n";
const std::string decoy = "not to be touched\r\n";

// Wine takes the system code page from the locale: 932 under Japanese, 1252 under French.
const char* const locales[] = {"ja_JP.UTF-8", "fr_FR.UTF-8"};

struct name_case {
  const char* name;
  const char* look_alike;  // what a best-fit table makes of it, or null
};

// é and Ω have best-fit look-alikes on code page 932 and 1252; the others no spelling at all
// on one of the two (Hangul and emoji on 932, kanji on 1252).
const name_case names[] = {
    {"café", "cafe"}, {"Ω", "O"}, {"한국", nullptr}, {"日本", nullptr}, {"😀", nullptr},
};

run_options in_locale(const char* locale) {
  run_options options;
  options.before_start = [locale] {
    unsetenv("LC_ALL");
    setenv("LANG", locale, 1);
  };
  return options;
}

std::string joined(const std::string& folder, const std::string& name) {
  return folder + (program_is_windows() ? "\\" : "/") + name;
}

class NamesE2e : public ::testing::Test {
 protected:
  // The exit status; what the program said is kept for a failure's message (said()).
  int sort(const std::vector<std::string>& arguments, const char* locale) {
    run_options options = in_locale(locale);
    options.error_file = said_.file("said.txt");
    return run_program_with(arguments, dir_.path(), options).status;
  }
  std::string said() const { return "the program said: " + said_.read("said.txt"); }
  temp_directory dir_;
  temp_directory said_;
};

// Every name works as input, output and folder; its look-alike, there beside it, is untouched,
// and so is every other file.
TEST_F(NamesE2e, NamesOutsideTheCodePage) {
  for (const char* locale : locales) {
    for (const name_case& c : names) {
      SCOPED_TRACE(std::string(locale) + " " + c.name);
      const std::string name = c.name;
      dir_.write(name + "-in.txt", input);
      std::filesystem::create_directory(dir_.file(name));
      if (c.look_alike != nullptr) {
        const std::string look_alike = c.look_alike;
        dir_.write(look_alike + "-in.txt", "z\r\ny\r\n");
        dir_.write(look_alike + "-out.txt", decoy);
        std::filesystem::create_directory(dir_.file(look_alike));
        dir_.write(look_alike + "/out.txt", decoy);
      }
      snapshot expected = dir_.snapshot();
      EXPECT_EQ(sort({name + "-in.txt", name + "-out.txt"}, locale), 0) << said();
      expected[name + "-out.txt"] = sorted;
      EXPECT_EQ(sort({name + "-in.txt", joined(name, "out.txt"), "/R"}, locale), 0) << said();
      EXPECT_EQ(dir_.snapshot(), expected);
      EXPECT_EQ(dir_.read(name + "/out.txt"), "c\r\nb\r\na\r\n");
      if (c.look_alike != nullptr) {
        EXPECT_EQ(dir_.read(std::string(c.look_alike) + "/out.txt"), decoy);
      }
      std::filesystem::remove_all(dir_.path());
      std::filesystem::create_directory(dir_.path());
    }
  }
}

// A folder named outside the code page on a file system of its own: the temporary file is
// made there (a rename cannot cross file systems) and that file system is the one measured.
TEST_F(NamesE2e, FolderOnItsOwnFileSystem) {
  if (!running_as_root()) {
    GTEST_SKIP() << "mounting a tmpfs needs root";
  }
  dir_.write("in.txt", input);
  dir_.write("big.txt", std::string(200 * 1000 - 2, 'x') + "\r\n");
  for (const char* folder : {"café", "한국"}) {
    std::filesystem::create_directory(dir_.file(folder));
    ASSERT_EQ(mount("tmpfs", dir_.file(folder).c_str(), "tmpfs", 0, "size=64k"), 0) << folder;
  }
  for (const char* locale : locales) {
    for (const char* folder : {"café", "한국"}) {
      SCOPED_TRACE(std::string(locale) + " " + folder);
      EXPECT_EQ(sort({"in.txt", joined(folder, "out.txt")}, locale), 0);
      EXPECT_EQ(dir_.read(std::string(folder) + "/out.txt"), sorted);
      // 200 KB fit the test directory's file system, not the folder's 64 KiB.
      EXPECT_EQ(sort({"big.txt", joined(folder, "big.txt")}, locale), 1);
      EXPECT_FALSE(dir_.exists(std::string(folder) + "/big.txt"));
      EXPECT_FALSE(has_temporary_file(dir_.file(folder)));
    }
  }
  for (const char* folder : {"café", "한국"}) {
    umount(dir_.file(folder).c_str());
  }
}

// Output names of 253 characters, whole paths with a short last part as well as one long last
// part: the temporary name beside them is longer than the old MAX_PATH of 260, and nothing of it
// stays.
TEST_F(NamesE2e, LongOutputNames) {
  dir_.write("in.txt", input);
  // The test directory as the program names it (Wine's Z: is the root).
  std::string here = program_is_windows() ? "Z:" + dir_.path() : dir_.path();
  std::replace(here.begin(), here.end(), '/', program_is_windows() ? '\\' : '/');
  const std::string folder(253 - here.size() - std::string("\\\\o.txt").size(), 'd');
  std::filesystem::create_directory(dir_.file(folder));
  const std::string long_name = std::string(244, 'n') + "é-out.txt";  // 253 characters
  for (const std::string& output : {joined(here, joined(folder, "o.txt")), long_name}) {
    SCOPED_TRACE(output);
    EXPECT_EQ(sort({"in.txt", output}, "ja_JP.UTF-8"), 0);
    EXPECT_EQ(sort({"in.txt", output}, "fr_FR.UTF-8"), 0);  // replacing it
  }
  EXPECT_EQ(dir_.read(folder + "/o.txt"), sorted);
  EXPECT_EQ(dir_.read(long_name), sorted);
  EXPECT_FALSE(has_temporary_file(dir_.path()));
  EXPECT_FALSE(has_temporary_file(dir_.file(folder)));
}

}  // namespace

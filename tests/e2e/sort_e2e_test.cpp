// The real program on real files: orders, line ends, limits, exit statuses, and the files that
// every failure must leave as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "unit/reference_order.h"

namespace {

using namespace std::string_literals;
using snapshot = std::map<std::string, std::string>;

std::vector<std::string> split_crlf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      if (start < text.size()) {
        lines.push_back(text.substr(start));
      }
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

std::string random_lines(unsigned seed, int count) {
  const std::string alphabet = "aAbBcCzZ09 ~\x01\x7f\x80\x82\xa0\xe0\xff";
  std::mt19937 random(seed);
  std::string text;
  for (int i = 0; i < count; ++i) {
    int length = std::uniform_int_distribution<int>(0, 10)(random);
    for (int j = 0; j < length; ++j) {
      text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    }
    text += "\r\n";
  }
  return text;
}

class SortE2e : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(program_path().empty()) << "VELATR_PROGRAM is not set"; }

  int sort(const std::vector<std::string>& arguments) {
    return run_program(arguments, dir_.path());
  }

  temp_directory dir_;
};

// Every switch combination gives the order of the model, equal keys in input order, and the
// output keeps the input's length; a /X run leaves no other file behind.
TEST_F(SortE2e, EverySwitchCombinationOrdersAsTheModel) {
  const std::string input = random_lines(7, 2000);
  dir_.write("in.txt", input);
  struct mode {
    std::vector<std::string> switches;
    reference_order model;
  };
  std::vector<mode> modes;
  for (int reverse = 0; reverse < 2; ++reverse) {
    for (int fold = 0; fold < 3; ++fold) {
      for (int skip = 0; skip < 2; ++skip) {
        mode m;
        m.switches.push_back("/X");
        if (reverse) {
          m.switches.push_back("/r");
        }
        if (fold == 1) {
          m.switches.push_back("/N");
        } else if (fold == 2) {
          m.switches.push_back("/l");
        }
        if (skip) {
          m.switches.push_back("/+3");
        }
        m.model = {reverse == 1, fold != 0, fold == 2, skip ? 2u : 0u};
        modes.push_back(m);
      }
    }
  }
  for (const mode& m : modes) {
    std::vector<std::string> arguments = {"in.txt", "out.txt"};
    arguments.insert(arguments.end(), m.switches.begin(), m.switches.end());
    std::string label;
    for (const std::string& s : m.switches) {
      label += s + " ";
    }
    ASSERT_EQ(sort(arguments), 0) << label;
    std::string output = dir_.read("out.txt");
    EXPECT_EQ(output.size(), input.size()) << label;
    // The model's order, lines of equal keys in input order.
    EXPECT_EQ(split_crlf(output), m.model.sorted(split_crlf(input))) << label;
    EXPECT_EQ(dir_.snapshot().size(), 2u) << label;
  }
}

TEST_F(SortE2e, LineEndsAndTheDataEnd) {
  struct file_case {
    const char* name;
    std::string input;
    std::string output;
  };
  const file_case cases[] = {
      {"sorted", "b\r\na\r\n", "a\r\nb\r\n"},
      {"no final line end", "b\r\na", "a\r\nb"},
      {"empty", "", ""},
      {"Ctrl-Z", "b\r\na\r\n\x1a", "a\r\nb\r\n"},
      {"lone Ctrl-Z", "\x1a", ""},
      {"LF only", "b\na\n", "b\na\n"},
      {"lone CR", "b\r\na\rb\r\n", "a\rb\r\nb\r\n"},
      {"CR only", "a\rb\rc\r", "a\rb\rc\r"},
      {"CR CR LF", "b\r\r\na\r\n", "a\r\nb\r\r\n"},
      {"high bytes after ASCII", "\x82\xa0\r\nz\r\n", "z\r\n\x82\xa0\r\n"},
  };
  for (const file_case& c : cases) {
    dir_.write("in.txt", c.input);
    ASSERT_EQ(sort({"in.txt", "out.txt", "/X"}), 0) << c.name;
    EXPECT_EQ(dir_.read("out.txt"), c.output) << c.name;
    EXPECT_EQ(dir_.snapshot().size(), 2u) << c.name;
  }
}

TEST_F(SortE2e, SortsInPlace) {
  dir_.write("data.txt", "c\r\nb\r\na\r\n");
  ASSERT_EQ(sort({"data.txt", "data.txt", "/X"}), 0);
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"data.txt", "a\r\nb\r\nc\r\n"}}));
}

TEST_F(SortE2e, ReplacesAnExistingOutput) {
  dir_.write("in.txt", "b\r\na\r\n");
  dir_.write("out.txt", "a much longer old output that must be gone\r\n");
  ASSERT_EQ(sort({"in.txt", "out.txt", "/X"}), 0);
  EXPECT_EQ(dir_.read("out.txt"), "a\r\nb\r\n");
}

// The usage text is not a sort: status 1, and nothing is touched.
TEST_F(SortE2e, UsageIsAFailureStatus) {
  dir_.write("in.txt", "b\r\n");
  EXPECT_EQ(sort({}), 1);
  EXPECT_EQ(sort({"in.txt"}), 1);
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", "b\r\n"}}));
}

// Failures before the write end with status 1 and touch nothing.
TEST_F(SortE2e, FailuresLeaveEveryFileAsItWas) {
  const snapshot before = {
      {"nul.txt", "a\r\nb\0c\r\nd\r\n"s}, {"out.txt", "the old output\r\n"}, {"subdir", "<dir>"}};
  dir_.write("nul.txt", before.at("nul.txt"));
  dir_.write("out.txt", before.at("out.txt"));
  std::filesystem::create_directory(dir_.file("subdir"));
  const std::vector<std::vector<std::string>> runs = {
      {"missing.txt", "out.txt", "/X"},  // input cannot be opened
      {"subdir", "out.txt", "/X"},       // input is a directory
      {"nul.txt", "out.txt", "/X"},      // a NUL would cut the file short
      {"nul.txt", "subdir", "/X"},       // a NUL, and a directory as the output
  };
  for (const auto& run : runs) {
    EXPECT_EQ(sort(run), 1) << run[0];
    EXPECT_EQ(dir_.snapshot(), before) << run[0];
  }
}

TEST_F(SortE2e, OutputThatIsADirectoryIsLeftAlone) {
  dir_.write("in.txt", "b\r\na\r\n");
  std::filesystem::create_directory(dir_.file("out"));
  dir_.write("out/keep.txt", "kept");
  EXPECT_EQ(sort({"in.txt", "out", "/X"}), 1);
  EXPECT_EQ(dir_.read("out/keep.txt"), "kept");
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", "b\r\na\r\n"}, {"out", "<dir>"}}));
}

TEST_F(SortE2e, OutputInAMissingDirectoryFails) {
  dir_.write("in.txt", "b\r\na\r\n");
  EXPECT_EQ(sort({"in.txt", "no-such-dir/out.txt", "/X"}), 1);
  EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", "b\r\na\r\n"}}));
}

std::string blank_lines(size_t count) {
  std::string text;
  text.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    text += "\r\n";
  }
  return text;
}

TEST_F(SortE2e, TableHoldsFiveMillionAndOneLines) {
  std::string full = blank_lines(5000000) + "z";
  dir_.write("full.txt", full);
  ASSERT_EQ(sort({"full.txt", "out.txt", "/X"}), 0);
  EXPECT_EQ(dir_.read("out.txt"), blank_lines(5000000) + "z");
  std::filesystem::remove(dir_.file("out.txt"));
  dir_.write("over.txt", blank_lines(5000001) + "z");
  EXPECT_EQ(sort({"over.txt", "out.txt", "/X"}), 1);
  EXPECT_FALSE(dir_.exists("out.txt"));
}

}  // namespace

namespace {

class PosixE2e : public SortE2e {
 protected:
  void SetUp() override {
    SortE2e::SetUp();
    if (program_is_windows()) {
      GTEST_SKIP() << "POSIX devices and FIFOs";
    }
  }
};

// A pipe's size means nothing: it is refused rather than sorted as empty.
TEST_F(PosixE2e, FifoInputIsRefused) {
  ASSERT_EQ(mkfifo(dir_.file("fifo").c_str(), 0600), 0);
  EXPECT_EQ(sort({"fifo", "out.txt", "/X"}), 1);
  EXPECT_FALSE(dir_.exists("out.txt"));
}

// A FIFO output is written in place, never replaced by a file.
TEST_F(PosixE2e, FifoOutputIsWrittenInPlace) {
  dir_.write("in.txt", "b\r\na\r\n");
  ASSERT_EQ(mkfifo(dir_.file("fifo").c_str(), 0600), 0);
  std::string copy = dir_.file("copy.txt");
  pid_t reader = fork();  // the program waits for its reader
  if (reader == 0) {
    execlp("sh", "sh", "-c", ("cat " + dir_.file("fifo") + " > " + copy).c_str(), nullptr);
    _exit(127);
  }
  EXPECT_EQ(sort({"in.txt", "fifo", "/X"}), 0);
  int status = 0;
  waitpid(reader, &status, 0);
  EXPECT_EQ(dir_.read("copy.txt"), "a\r\nb\r\n");
  struct stat st;
  ASSERT_EQ(stat(dir_.file("fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace

namespace {

// Inputs of 2 GiB and more are refused from their 64-bit size, before any buffer exists:
// 4 GiB + 1 must not pass for a 1-byte file.
TEST_F(SortE2e, HugeInputsAreRefusedAtOnce) {
  for (off_t size : {off_t{1} << 31, (off_t{1} << 32) + 1}) {
    std::filesystem::remove(dir_.file("huge.txt"));
    dir_.write("huge.txt", "");
    ASSERT_EQ(truncate(dir_.file("huge.txt").c_str(), size), 0);
    EXPECT_EQ(sort({"huge.txt", "out.txt", "/X"}), 1) << size;
    EXPECT_FALSE(dir_.exists("out.txt")) << size;
  }
}

// A device is written in place and never removed or replaced.
TEST_F(SortE2e, DeviceOutputIsWrittenInPlace) {
  dir_.write("in.txt", "b\r\na\r\n");
  EXPECT_EQ(sort({"in.txt", program_is_windows() ? "NUL" : "/dev/null", "/X"}), 0);
  struct stat st;
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(dir_.snapshot().size(), 1u);
}

// A read-only output: Windows refuses to replace it, and it stays as it was; elsewhere the
// directory decides, and the output is replaced as any other.
TEST_F(SortE2e, ReadOnlyOutput) {
  dir_.write("in.txt", "b\r\na\r\n");
  dir_.write("out.txt", "old\r\n");
  ASSERT_EQ(chmod(dir_.file("out.txt").c_str(), 0444), 0);
  if (program_is_windows()) {
    EXPECT_EQ(sort({"in.txt", "out.txt", "/X"}), 1);
    EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", "b\r\na\r\n"}, {"out.txt", "old\r\n"}}));
  } else {
    EXPECT_EQ(sort({"in.txt", "out.txt", "/X"}), 0);
    EXPECT_EQ(dir_.snapshot(), (snapshot{{"in.txt", "b\r\na\r\n"}, {"out.txt", "a\r\nb\r\n"}}));
  }
}

// On a processor without SSE2 (VELATR_ASSUME_NO_SSE2=1 says so) the 32-bit program stops with a
// message and status 1 before it touches anything; the 64-bit one has SSE2 by definition.
TEST_F(SortE2e, ProcessorWithoutSse2) {
  dir_.write("in.txt", "b\r\na\r\n");
  run_options no_sse2;
  no_sse2.error_file = dir_.file("errors.txt");
  no_sse2.before_start = [] { setenv("VELATR_ASSUME_NO_SSE2", "1", 1); };
  run_outcome outcome = run_program_with({"in.txt", "out.txt", "/X"}, dir_.path(), no_sse2);
  if (program_needs_sse2()) {
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(dir_.read("errors.txt").find("needs a processor with SSE2"), std::string::npos);
    EXPECT_FALSE(dir_.exists("out.txt"));
  } else {
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(dir_.read("out.txt"), "a\r\nb\r\n");
  }
}

// Another build of the program (the native one, when this is the Windows build) writes the
// same bytes and exits the same way, in every switch combination.
TEST_F(SortE2e, SameOutputAsTheOtherBuild) {
  if (other_program_path().empty()) {
    GTEST_SKIP() << "VELATR_OTHER_PROGRAM is not set";
  }
  const std::string inputs[] = {random_lines(11, 3000), "b\r\nB\r\na\r\nA\r\n\x1a",
                                "z\r\ny\ra\r\nq\r"s, "x\0y\r\n"s, ""};
  const char* combos[][3] = {{"/X", "", ""},    {"/X", "/R", ""},    {"/X", "/N", ""},
                             {"/X", "/L", ""},  {"/X", "/N", "/R"},  {"/X", "/L", "/R"},
                             {"/X", "/+3", ""}, {"/X", "/+3", "/L"}, {"/X", "/+2", "/R"},
                             {"/X", "/L", "/N"}};
  for (size_t i = 0; i < sizeof inputs / sizeof inputs[0]; ++i) {
    dir_.write("in.txt", inputs[i]);
    for (const auto& combo : combos) {
      std::vector<std::string> arguments = {"in.txt", "out.txt"};
      for (const char* s : combo) {
        if (*s != '\0') {
          arguments.push_back(s);
        }
      }
      std::filesystem::remove(dir_.file("out.txt"));
      std::filesystem::remove(dir_.file("other.txt"));
      int status = sort(arguments);
      std::vector<std::string> command = {other_program_path(), "in.txt", "other.txt"};
      command.insert(command.end(), arguments.begin() + 2, arguments.end());
      int other_status = run_command(command, dir_.path());
      std::string label = std::to_string(i) + " " + combo[1] + " " + combo[2];
      EXPECT_EQ(status, other_status) << label;
      EXPECT_EQ(dir_.exists("out.txt"), dir_.exists("other.txt")) << label;
      EXPECT_EQ(dir_.read("out.txt"), dir_.read("other.txt")) << label;
    }
  }
}

}  // namespace

// A 32-bit process keeps most of its address space for the text: an input of six tenths of it
// sorts (the records' block is sized for the records, not for another copy of the text). Shown
// with the 32-bit Linux build in an address space of 512 MiB under qemu-i386.
TEST_F(SortE2e, InputOfMostOfTheAddressSpace) {
  if (program_emulator().find("qemu-i386") == std::string::npos) {
    GTEST_SKIP() << "the address space is set only under qemu-i386";
  }
  // Keys 0 to count - 1 in a scattered order, so the sorted output is known without a sort.
  constexpr uint32_t count = 2000000;
  const std::string tail(140, 'x');
  auto line = [&](uint32_t key) {
    char head[16];
    std::snprintf(head, sizeof head, "%08u ", key);
    return head + tail + "\r\n";
  };
  std::string input;
  std::string expected;
  for (uint32_t i = 0; i < count; ++i) {
    input += line(static_cast<uint32_t>((uint64_t{i} * 1000003) % count));
    expected += line(i);
  }
  dir_.write("in.txt", input);
  input.clear();
  run_options small_space;
  small_space.error_file = dir_.file("errors.txt");
  small_space.before_start = [] { setenv("QEMU_RESERVED_VA", "0x20000000", 1); };
  run_outcome outcome = run_program_with({"in.txt", "out.txt", "/X"}, dir_.path(), small_space);
  EXPECT_EQ(outcome.status, 0) << dir_.read("errors.txt");
  EXPECT_TRUE(dir_.read("out.txt") == expected);
}

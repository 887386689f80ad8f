// What a person sees on the console, in a real pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "e2e/terminal_screen.h"

namespace {

// The console a Windows program gets under Wine: the locale picks the system's code pages
// (ja_JP: 932, fr_FR: 1252 with a console of 850, en_US: 1252 with 437); `code_page`, when not
// 0, is set with chcp before the program starts.
struct console_kind {
  const char* locale = "ja_JP.UTF-8";
  int code_page = 0;
};

// The program as a terminal command, through its emulator with the emulator's settings.
std::vector<std::string> terminal_command(const std::string& program, bool emulated,
                                          const std::vector<std::string>& arguments,
                                          console_kind console = {}) {
  std::vector<std::string> command;
  if (emulated) {
    command = {"env", std::string("LANG=") + console.locale};
    for (const char* name :
         {"WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "QEMU_LD_PREFIX", "QEMU_SET_ENV"}) {
      if (const char* value = std::getenv(name)) {
        command.push_back(std::string(name) + "=" + value);
      }
    }
    command.push_back(program_emulator());
  }
  if (console.code_page != 0 && program_is_windows()) {
    std::string line = "chcp " + std::to_string(console.code_page) + " >nul & Z:" + program;
    std::replace(line.begin(), line.end(), '/', '\\');
    for (const std::string& argument : arguments) {
      line += " " + argument;
    }
    command.insert(command.end(), {"cmd", "/c", line});
    return command;
  }
  command.push_back(program);
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

terminal_screen run_on_screen(const std::string& program, bool emulated,
                              const std::vector<std::string>& arguments,
                              const std::string& directory, int columns = 80,
                              console_kind console = {},
                              const std::function<bool()>& interrupt_when = nullptr) {
  return run_in_terminal(terminal_command(program, emulated, arguments, console), directory,
                         columns, interrupt_when);
}

class ConsoleE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!tmux_available()) {
      GTEST_SKIP() << "tmux is not installed";
    }
  }
  terminal_screen run(const std::vector<std::string>& arguments, int columns = 80) {
    return run_on_screen(program_path(), !program_emulator().empty(), arguments, dir_.path(),
                         columns);
  }
  temp_directory dir_;
};

const std::string banner_text =
    "  VELTAR 5ML   v.3.40    32bit Speed Sort (Win32)       03/01/21 fast line sort";

// Row 0: black on bright green for the first block, black on bright white for the second.
void expect_banner(const terminal_screen& screen) {
  ASSERT_GE(screen.rows.size(), 25u);
  EXPECT_EQ(screen.rows[0], banner_text);
  EXPECT_NE(screen.coloured[0].find("\x1b[30m\x1b[102m  VELTAR 5ML   v.3.40  \x1b[107m  32bit"),
            std::string::npos)
      << screen.coloured[0];
  EXPECT_EQ(screen.title, "  VELTAR 5ML   v.3.40  ");
}

const std::vector<std::string> usage = {
    "use  VELATR input-file-name output-file-name [/R] [/+n] [/N|/L] [/X]",
    "",
    "          /R  : 逆順ソート",
    "          /+n : n 文字目から比較します。",
    "          /N  : 半角英字の大文字小文字を区別しません（A と a を同一文字と解釈）",
    "          /L  : 同上。但し同一データの場合は、A < a として比較します。",
    "          /X  : ドライブサイズチェック省略",
    "          注  : /N と /L を同時に指定する事は出来ません",
    "              : /X オプションの利用時は、ご注意下さい",
    "",
};

void expect_usage(const terminal_screen& screen) {
  ASSERT_GE(screen.rows.size(), usage.size() + 1);
  for (size_t i = 0; i < usage.size(); ++i) {
    EXPECT_EQ(screen.rows[i + 1], usage[i]) << "row " << i + 1;
  }
}

TEST_F(ConsoleE2e, UsageScreen) {
  terminal_screen screen = run({});
  EXPECT_EQ(screen.status, 1);
  expect_banner(screen);
  expect_usage(screen);
  EXPECT_NE(screen.coloured[1].find("use  \x1b[92mVELATR\x1b[96m input-file-name"),
            std::string::npos)
      << screen.coloured[1];
  EXPECT_NE(screen.coloured[1].find("\x1b[93m [/R] [/+n] [/N|/L] [/X]"), std::string::npos);
  EXPECT_NE(screen.coloured[3].find("\x1b[93m/R  \x1b[97m: 逆順ソート"), std::string::npos)
      << screen.coloured[3];
}

// The Japanese text reads the same on a console of any code page: 932, 850 and 437 of the
// systems' own, and 65001 or 437 set by chcp on a Japanese one.
TEST_F(ConsoleE2e, UsageOnConsolesOfEveryCodePage) {
  const console_kind consoles[] = {
      {"fr_FR.UTF-8", 0}, {"en_US.UTF-8", 0}, {"ja_JP.UTF-8", 65001}, {"ja_JP.UTF-8", 437}};
  for (const console_kind& console : consoles) {
    SCOPED_TRACE(std::string(console.locale) + " " + std::to_string(console.code_page));
    expect_usage(
        run_on_screen(program_path(), !program_emulator().empty(), {}, dir_.path(), 80, console));
  }
}

TEST_F(ConsoleE2e, SortScreen) {
  dir_.write("in.txt", "b\r\nc\r\na\r\n");
  terminal_screen screen = run({"in.txt", "out.txt", "/X", "/R"});
  EXPECT_EQ(screen.status, 0);
  EXPECT_EQ(dir_.read("out.txt"), "c\r\nb\r\na\r\n");
  expect_banner(screen);
  // The console wrapped after the full banner row, so the notice's "\n" leaves row 1 empty.
  EXPECT_EQ(screen.rows[1], "");
  EXPECT_EQ(screen.rows[2], "Pretermit option '/X'");
  const char* phases[] = {R"(Init      \d+ \(Sec\)      Command = /R)",
                          R"(Read      \d+ \(Sec\)      3\(L\))", R"(Sort      \d+ \(Sec\))",
                          R"(Write     \d+ \(Sec\)      Success)"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(std::regex_match(screen.rows[3 + i], std::regex(phases[i])))
        << "row " << 3 + i << ": " << screen.rows[3 + i];
  }
  EXPECT_EQ(screen.rows[7], "");
}

TEST_F(ConsoleE2e, SortScreenWithTheDriveCheck) {
  dir_.write("in.txt", "b\r\na\r\n");
  terminal_screen screen = run({"in.txt", "out.txt"});
  EXPECT_EQ(screen.status, 0);
  EXPECT_EQ(dir_.read("out.txt"), "a\r\nb\r\n");
  expect_banner(screen);
  EXPECT_TRUE(std::regex_match(screen.rows[1], std::regex(R"(Disk Free \d{1,3}(,\d{3})* \(KB\))")))
      << screen.rows[1];
  EXPECT_EQ(screen.rows[2], "File      0 (KB)");
  EXPECT_TRUE(std::regex_match(screen.rows[3], std::regex(R"(Init      \d+ \(Sec\))")))
      << screen.rows[3];
  EXPECT_TRUE(std::regex_match(screen.rows[6], std::regex(R"(Write     \d+ \(Sec\)      Success)")))
      << screen.rows[6];
}

// A terminal of any width shows the 80-column layout: the banner alone on row 0 and the report
// from row 1, nothing right of column 80; a narrower one wraps the same text at its edge.
TEST_F(ConsoleE2e, LayoutOnTerminalsOfEveryWidth) {
  if (program_is_windows()) {
    GTEST_SKIP() << "the Windows console is as wide as its own window";
  }
  dir_.write("in.txt", "b\r\na\r\n");
  for (int columns : {60, 80, 100, 132}) {
    SCOPED_TRACE(columns);
    terminal_screen screen = run({"in.txt", "out.txt"}, columns);
    EXPECT_EQ(screen.status, 0);
    ASSERT_GE(screen.rows.size(), 8u);
    size_t width = static_cast<size_t>(std::min(columns, 80));
    std::string text;
    for (const std::string& row : screen.rows) {
      EXPECT_LE(row.size(), width) << row;
      text += row + std::string(width - std::min(width, row.size()), ' ');
    }
    EXPECT_EQ(text.substr(0, banner_text.size()), banner_text);
    EXPECT_EQ(text.substr(80, 10), "Disk Free ") << text;
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(Write     \d+ \(Sec\)      Success)")))
        << text;
  }
}

// A console wider than 80 columns, as Windows 10 and 11 give: the banner alone on its row, the
// report from the row after it, the rest of the window blank.
TEST_F(ConsoleE2e, WideConsole) {
  if (!program_is_windows()) {
    GTEST_SKIP() << "the Linux stand-in lays the screen out 80 columns wide on any terminal";
  }
  dir_.write("in.txt", "b\r\na\r\n");
  terminal_screen screen = run({"in.txt", "out.txt"}, 120);
  EXPECT_EQ(screen.status, 0);
  ASSERT_GE(screen.rows.size(), 7u);
  EXPECT_EQ(screen.rows[0], banner_text);
  EXPECT_TRUE(std::regex_match(screen.rows[1], std::regex(R"(Disk Free \d{1,3}(,\d{3})* \(KB\))")))
      << screen.rows[1];
  EXPECT_TRUE(std::regex_match(screen.rows[6], std::regex(R"(Write     \d+ \(Sec\)      Success)")))
      << screen.rows[6];
}

// Ctrl-C while the Windows program writes: "Output file write err." and status 1, the old
// output kept, no temporary file left.
TEST_F(ConsoleE2e, CtrlCWhileWriting) {
  if (!program_is_windows()) {
    GTEST_SKIP() << "the Linux program ends by the signal, as the fault tests check";
  }
  std::string input;
  // Long enough a write (200 MB) for the keys to come while it goes on.
  const std::string tail(32, '-');
  for (long long i = 5000000; i > 0; --i) {
    input += "line " + std::to_string(i * 7919 % 100003) + tail + "\r\n";
  }
  dir_.write("in.txt", input);
  int interrupted = 0;
  for (int attempt = 0; attempt < 8 && interrupted == 0; ++attempt) {
    dir_.write("out.txt", "the old output\r\n");
    const std::string directory = dir_.path();
    terminal_screen screen =
        run_on_screen(program_path(), true, {"in.txt", "out.txt", "/X"}, dir_.path(), 80, {},
                      [directory] { return has_temporary_file(directory); });
    EXPECT_FALSE(has_temporary_file(dir_.path()));
    if (dir_.read("out.txt") != "the old output\r\n") {
      continue;  // the write was done before Ctrl-C came
    }
    ++interrupted;
    EXPECT_EQ(screen.status, 1);
    std::string text;
    for (const std::string& row : screen.rows) {
      text += row + "\n";
    }
    EXPECT_NE(text.find("Output file write err."), std::string::npos) << text;
  }
  EXPECT_GT(interrupted, 0) << "Ctrl-C never came while the output was written";
}

// With standard error redirected to a file the messages land there as plain lines, without
// banner or escape sequences, and the sort goes on as before.
TEST_F(ConsoleE2e, RedirectedStandardErrorHoldsTheMessages) {
  dir_.write("in.txt", "b\r\na\r\n");
  std::string errors = dir_.file("errors.txt");
  EXPECT_EQ(run_program({"in.txt", "out.txt", "/X"}, dir_.path(), errors), 0);
  EXPECT_EQ(dir_.read("out.txt"), "a\r\nb\r\n");
  EXPECT_TRUE(std::regex_match(dir_.read("errors.txt"),
                               std::regex("\nPretermit option '/X'\n"
                                          "Init      \\d+ \\(Sec\\)\n"
                                          "Read      \\d+ \\(Sec\\)      2\\(L\\)\n"
                                          "Sort      \\d+ \\(Sec\\)\n"
                                          "Write     \\d+ \\(Sec\\)      Success\n")))
      << dir_.read("errors.txt");
  // The usage, in UTF-8; a failure's message.
  EXPECT_EQ(run_program({}, dir_.path(), errors), 1);
  EXPECT_NE(dir_.read("errors.txt").find("/R  : 逆順ソート\n"), std::string::npos);
  EXPECT_EQ(dir_.read("errors.txt").find('\x1b'), std::string::npos);
  EXPECT_EQ(run_program({"missing.txt", "out.txt"}, dir_.path(), errors), 1);
  EXPECT_EQ(dir_.read("errors.txt"), "\nInput file open err.\n");
  // A pipe, as Git Bash's terminal and CI runners give a program.
  std::string line;
  for (const std::string& part : program_command({"missing.txt", "out.txt"})) {
    line += "'" + part + "' ";
  }
  EXPECT_EQ(run_command({"sh", "-c", line + "2>&1 >/dev/null | cat > piped.txt"}, dir_.path()), 0);
  EXPECT_EQ(dir_.read("piped.txt"), "\nInput file open err.\n");
}

std::vector<std::string> without_seconds(std::vector<std::string> rows) {
  for (std::string& row : rows) {
    row = std::regex_replace(row, std::regex(R"(\d+ \(Sec\))"), "N (Sec)");
  }
  return rows;
}

// The native and Windows builds show the same screen, row for row, colours included.
TEST_F(ConsoleE2e, SameScreenAsTheOtherBuild) {
  if (other_program_path().empty()) {
    GTEST_SKIP() << "VELATR_OTHER_PROGRAM is not set";
  }
  dir_.write("in.txt", "b\r\nA\r\na\r\n");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"in.txt", "out.txt", "/X", "/L"},
        std::vector<std::string>{"missing.txt", "out.txt"}}) {
    terminal_screen mine = run(arguments);
    terminal_screen other = run_on_screen(other_program_path(), false, arguments, dir_.path());
    EXPECT_EQ(mine.status, other.status);
    EXPECT_EQ(without_seconds(mine.coloured), without_seconds(other.coloured));
    EXPECT_EQ(mine.title, other.title);
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "fakes/fake_console.h"

namespace {

// The text in a block of exactly its own size, so reading past its NUL is caught by ASan.
void write_exact(const std::string& text) {
  std::vector<char> block(text.begin(), text.end());
  block.push_back('\0');
  ansi_write(block.data());
}

class AnsiWriter : public ::testing::Test {
 protected:
  fake_console console_;
};

TEST_F(AnsiWriter, ColourSequencesSetTheirAttributes) {
  struct colour_case {
    const char* sequence;
    win_word attribute;
  };
  const colour_case cases[] = {
      {"\x1b[32m", 0x0A},   {"\x1b[36m", 0x0B},          {"\x1b[33m", 0x0E},
      {"\x1b[m", 0x0F},     {"\x1b[0m", 0x0F},           {"\x1b[7m", 0xF0},
      {"\x1b[41m", 0xC0},   {"\x1b[44;33m", 0xE0},       {"\x1b[33;44m", 0x90},
      {"\x1b[1m", 0x0F},    {"\x1b[30m", 0x00},          {"\x1b[40m", 0x00},
      {"\x1b[8m", 0x00},    {"\x1b[1;2;3;4;5m", 0x0F},   {"\x1b[44;0;33m", 0x0E},
      {"\x1b[31m", 0x0C},   {"\x1b[34m", 0x09},          {"\x1b[35m", 0x0D},
      {"\x1b[7;32m", 0xA0}, {"\x1b[38m", 0x0F},          {"\x1b[39m", 0x0F},
      {"\x1b[48m", 0x0F},   {"\x1b[-31m", 0x0F},         {"\x1b[+32m", 0x0A},
      {"\x1b[ 36m", 0x0B},  {"\x1b[99999999999m", 0x0F},
  };
  for (const colour_case& c : cases) {
    console_.clear_log();
    write_exact(c.sequence);
    ASSERT_EQ(console_.calls_of("attr").size(), 1u) << c.sequence + 1;
    EXPECT_EQ(console_.screen.attribute(), c.attribute) << c.sequence + 1;
    EXPECT_TRUE(console_.calls_of("write").empty()) << c.sequence + 1;
  }
}

TEST_F(AnsiWriter, BackgroundFlagStaysForLaterColours) {
  int32_t background = 0;
  int32_t colour = 7;
  for (int32_t p : {44, 33}) {
    ansi_sgr(p, &background, &colour);
  }
  EXPECT_EQ(ansi_attribute(colour, background), 0xE0);
  ansi_sgr(0, &background, &colour);
  EXPECT_EQ(ansi_attribute(colour, background), 0x0F);
}

struct cursor_case {
  const char* text;
  win_coord start;
  win_coord expected;
};

TEST_F(AnsiWriter, CursorSequencesMoveAndClamp) {
  const cursor_case cases[] = {
      {"\x1b[5Hxyz", {9, 9}, {3, 4}},  // the text after it is written from row 4, column 0
      {"\x1b[0;0H", {9, 9}, {0, 0}},
      {"\x1b[1;1H", {9, 9}, {0, 0}},
      {"\x1b[3;7f", {0, 0}, {6, 2}},
      {"\x1b[3A", {5, 1}, {5, 0}},
      {"\x1b[2B", {5, 1}, {5, 3}},
      {"\x1b[4C", {5, 1}, {9, 1}},
      {"\x1b[9D", {4, 2}, {0, 2}},
      {"\x1b"
       "D",
       {4, 2},
       {4, 3}},
      {"\x1b"
       "M",
       {4, 2},
       {4, 1}},
      {"\x1b"
       "M",
       {4, 0},
       {4, 0}},
      {"\x1b[3M", {4, 5}, {4, 4}},
      {"\x1b[0J", {4, 5}, {4, 5}},
      {"\x1b[1J", {4, 5}, {4, 5}},
      {"\x1b[-2A", {1, 1}, {1, 3}},
  };
  for (const cursor_case& c : cases) {
    console_.screen.set_cursor(c.start);
    write_exact(c.text);
    win_coord at = console_.screen.cursor();
    EXPECT_EQ(at.x, c.expected.x) << c.text + 1;
    EXPECT_EQ(at.y, c.expected.y) << c.text + 1;
  }
}

TEST_F(AnsiWriter, PlacementIsPassedOnBeyondTheScreen) {
  write_exact("\x1b[40;200H");
  EXPECT_EQ(console_.calls_of("cursor"), std::vector<std::string>{"199,39 (failed)"});
}

TEST_F(AnsiWriter, RelativeMoveWithoutAKnownPositionIsSkipped) {
  console_.fail_info = true;
  write_exact("\x1b[2B");
  EXPECT_TRUE(console_.calls_of("cursor").empty());
}

// The clear blanks the visible window of whatever size, its cells 0x0F, and leaves the cursor
// at its top left; without the window's size, the 80 x 24 cells at the top.
TEST_F(AnsiWriter, ClearScreen) {
  for (const char* clear : {"\x1b*", "\x1b[2J", "\x1b[5*"}) {
    for (int width : {80, 120}) {
      SCOPED_TRACE(std::string(clear + 1) + " " + std::to_string(width));
      console_.screen = screen_model(width, 30);
      console_.screen.set_cursor({7, 7});
      console_.screen.write("junk", 4);
      console_.clear_log();
      write_exact(clear);
      std::vector<std::string> expected = {"info", "attr 0F"};
      for (int row = 0; row < 30; ++row) {
        std::string at = "0," + std::to_string(row) + " " + std::to_string(width);
        expected.push_back("fill " + at + " ' '");
        expected.push_back("fill-attr " + at + " 0F");
      }
      expected.push_back("cursor 0,0");
      std::vector<std::string> calls = console_.calls;
      if (!calls.empty() && calls.front() == "handle") {
        calls.erase(calls.begin());  // fetched on the first step only
      }
      EXPECT_EQ(calls, expected);
      EXPECT_EQ(console_.screen.row_text(7), std::string(static_cast<size_t>(width), ' '));
      EXPECT_EQ(console_.screen.cell(width - 1, 29).attribute, 0x0F);
      EXPECT_EQ(console_.screen.attribute(), 0x0F);
    }
  }
  console_.fail_info = true;
  console_.clear_log();
  write_exact("\x1b*");
  std::vector<std::string> writes = console_.calls_of("write");
  EXPECT_EQ(writes, std::vector<std::string>(24, std::string(80, ' ')));
}

TEST_F(AnsiWriter, PlainRunsAreOneCall) {
  write_exact("hello, world\r\n");
  write_exact("\n");
  EXPECT_EQ(console_.calls_of("write"), (std::vector<std::string>{"hello, world\r\n", "\n"}));
  EXPECT_EQ(console_.calls_of("handle").size(), 1u);
  console_.clear_log();
  write_exact("a\x1b[33mb\x1b[mc");
  EXPECT_EQ(console_.calls_of("write"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(console_.screen.cell(1, 2).attribute, 0x0E);
  EXPECT_EQ(console_.screen.cell(2, 2).attribute, 0x0F);
}

TEST_F(AnsiWriter, ColourCarriesOverToTheNextCall) {
  write_exact("x\x1b[33m");
  write_exact("y");
  EXPECT_EQ(console_.screen.cell(1, 0).attribute, 0x0E);
}

TEST_F(AnsiWriter, UnknownFinalIsConsumed) {
  write_exact("\x1b[12xafter");
  EXPECT_EQ(console_.calls_of("write"), std::vector<std::string>{"after"});
  EXPECT_TRUE(console_.calls_of("cursor").empty());
  EXPECT_TRUE(console_.calls_of("attr").empty());
}

// The run is cut at the ESC byte, but the character search reads the lead byte and that ESC as
// one character and resumes at the next ESC it finds.
TEST_F(AnsiWriter, LeadByteBeforeEscape) {
  write_exact("ab\x82\x1b[33mskipped\x1b[32mshown");
  EXPECT_EQ(console_.calls_of("write"), (std::vector<std::string>{"ab\x82", "shown"}));
  EXPECT_EQ(console_.screen.attribute(), 0x0A);
  console_.clear_log();
  write_exact("z\x95\x1b[33mno further ESC");
  EXPECT_EQ(console_.calls_of("write"), std::vector<std::string>{"z\x95"});
  EXPECT_TRUE(console_.calls_of("attr").empty());
}

// Sequences without a final character: nothing is carried out, nothing past the NUL is read,
// and the rest of the text is still written.
TEST_F(AnsiWriter, MalformedSequencesAreSafe) {
  const char* texts[] = {"\x1b",
                         "x\x1b",
                         "\x1b[",
                         "\x1b[5",
                         "\x1b[5;",
                         "\x1b[H",
                         "\x1b[?25h",
                         "\x1b[5;H",
                         "\x1b[1;2;3;4;5;6m",
                         "\x1b[1;2;3;4;5;",
                         "\x1b[-",
                         "\x1b\x82",
                         "\x1b[5\x82",
                         "\x1b[5\x82\xA0",
                         "\x1bQ",
                         "\x1b[99999999999999999999H",
                         "\x1b[2147483648;-2147483649H"};
  for (const char* text : texts) {
    console_.clear_log();
    write_exact(text);
    for (const std::string& written : console_.calls_of("write")) {
      EXPECT_EQ(written.find('\x1b'), std::string::npos) << text + 1;
    }
  }
  console_.clear_log();
  write_exact("\x1b[?25hvisible");
  EXPECT_EQ(console_.calls_of("write"), std::vector<std::string>{"?25hvisible"});
  EXPECT_TRUE(console_.calls_of("attr").empty());
}

TEST_F(AnsiWriter, NullAndEmptyWriteNothing) {
  ansi_write(nullptr);
  write_exact("");
  EXPECT_TRUE(console_.calls.empty());
}

// Long texts are written whole: one call up to the working copy's 2,047 bytes, then pieces that
// never split a double-byte character.
TEST_F(AnsiWriter, LongTextsAreWrittenWhole) {
  std::string exact(2047, 'q');
  write_exact(exact);
  EXPECT_EQ(console_.calls_of("write"), std::vector<std::string>{exact});
  console_.clear_log();
  std::string long_text = "q";
  while (long_text.size() < 5000) {
    long_text += "\x82\xA0";
  }
  write_exact(long_text + "\x1b[33mtail");
  std::string joined;
  for (const std::string& piece : console_.calls_of("write")) {
    EXPECT_LE(piece.size(), 2047u);
    joined += piece;
  }
  EXPECT_EQ(joined, long_text + "tail");
  EXPECT_EQ(console_.screen.attribute(), 0x0E);
}

}  // namespace

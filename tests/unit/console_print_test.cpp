#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.h"
#include "fakes/fake_console.h"

namespace {

class ConsolePrint : public ::testing::Test {
 protected:
  fake_console console_;
};

TEST_F(ConsolePrint, PrintLineWritesTheLineFeedLast) {
  con_print_line("");
  EXPECT_EQ(console_.calls_of("write"), std::vector<std::string>{"\n"});
  console_.clear_log();
  con_print_line("text\x1b[33m");
  EXPECT_EQ(console_.calls_of("write"), (std::vector<std::string>{"text", "\n"}));
  EXPECT_EQ(console_.calls.back(), "write \n");
}

TEST_F(ConsolePrint, PrintfContinuesTheLine) {
  con_printf("Read");
  con_printf("      %ld (Sec)      %d(L)\n", 3L, 42);
  con_printf("Sort");
  EXPECT_EQ(console_.screen.row_text(0).substr(0, 28), "Read      3 (Sec)      42(L)");
  EXPECT_EQ(console_.screen.row_text(1).substr(0, 5), "Sort ");
  EXPECT_EQ(console_.screen.cursor().y, 1);
  EXPECT_EQ(console_.screen.cursor().x, 4);
}

TEST_F(ConsolePrint, EscapesFromArgumentsTakeEffect) {
  con_printf("%s%s", "\x1b[33m", "x");
  EXPECT_EQ(console_.screen.cell(0, 0).attribute, 0x0E);
  EXPECT_EQ(console_.calls_of("write"), std::vector<std::string>{"x"});
}

TEST_F(ConsolePrint, LongFormattedResultsAreWrittenWhole) {
  std::string long_argument(5000, 'w');
  con_printf("<%s>", long_argument.c_str());
  std::string joined;
  for (const std::string& piece : console_.calls_of("write")) {
    joined += piece;
  }
  EXPECT_EQ(joined, "<" + long_argument + ">");
}

TEST_F(ConsolePrint, BannerBlocksTitleAndAttributes) {
  show_banner("VELTAR 5ML", "$Revision: 3.40 $", "32bit Speed Sort (Win32)",
              "$Date: 103/01/21 16:17:24 $");
  const std::string first = "  VELTAR 5ML   v.3.40  ";
  ASSERT_EQ(first.size(), 23u);
  std::vector<std::string> writes = console_.calls_of("write");
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0], first);
  EXPECT_EQ(writes[1].size(), 57u);
  EXPECT_EQ(writes[1].substr(0, 42), "  32bit Speed Sort (Win32)       03/01/21 ");
  EXPECT_EQ(console_.screen.title(), first);
  EXPECT_EQ(console_.calls_of("attr"), (std::vector<std::string>{"A0", "F0", "07"}));
  EXPECT_EQ(console_.screen.cell(0, 0).attribute, 0xA0);
  EXPECT_EQ(console_.screen.cell(22, 0).attribute, 0xA0);
  EXPECT_EQ(console_.screen.cell(23, 0).attribute, 0xF0);
  EXPECT_EQ(console_.screen.cell(79, 0).attribute, 0xF0);
  // The banner fills row 0 exactly; the console wraps at once.
  EXPECT_EQ(console_.screen.cursor().x, 0);
  EXPECT_EQ(console_.screen.cursor().y, 1);
  EXPECT_EQ(console_.screen.attribute(), 0x07);
}

// On a console wider than 80 columns the banner's row ends there, and the next text starts on
// the row after it, as the wrap does on an 80-column one.
TEST_F(ConsolePrint, BannerOnAWiderConsole) {
  console_.screen = screen_model(120, 30);
  show_banner("VELTAR 5ML", "$Revision: 3.40 $", "32bit Speed Sort (Win32)",
              "$Date: 103/01/21 16:17:24 $");
  EXPECT_EQ(console_.screen.cursor().x, 0);
  EXPECT_EQ(console_.screen.cursor().y, 1);
  con_printf("Disk Free %s (KB)\n", "1");
  EXPECT_EQ(console_.screen.row_text(1).substr(0, 16), "Disk Free 1 (KB)");
}

TEST_F(ConsolePrint, BannerFieldsAreCutAndEscapesArePlain) {
  show_banner("A NAME LONGER THAN TWELVE", "$Revision: 12.345 $",
              "\x1b[33m a description longer than thirty characters", "$Date: 99/12/31 23:59:59 $");
  std::vector<std::string> writes = console_.calls_of("write");
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0], "  A NAME LONGE v.12.3  ");
  EXPECT_EQ(writes[1].size(), 57u);
  EXPECT_EQ(writes[1].substr(0, 42), "  \x1b[33m a description longer tha 99/12/31 ");
  EXPECT_EQ(console_.calls_of("attr"), (std::vector<std::string>{"A0", "F0", "07"}));
}

// Standard error as a file or a pipe: the messages and the usage reach it as plain lines, their
// sequences passed over, and neither banner nor title nor any console call is made.
TEST(PlainStandardError, MessagesAsPlainLines) {
  fake_console console;
  console.not_a_console = true;
  ansi_write("\x1b*");
  show_banner("VELTAR 5ML", "$Revision: 3.40 $", "32bit Speed Sort (Win32)", "$Date: 103/01/21 $");
  con_printf("\x1b[mInit");
  con_printf("      %ld (Sec)", 0L);
  con_print_line("");
  con_print_line(
      "\x1b[33m/R  \x1b[m: \x8b\x74\x8f\x87\x1b[5;3H\x1b"
      "D");
  con_printf("Write     %ld (Sec)      Success\n", 1L);
  EXPECT_EQ(console.plain,
            "Init      0 (Sec)\n/R  : \x8b\x74\x8f\x87\nWrite     1 (Sec)      Success\n");
  for (const std::string& call : console.calls) {
    EXPECT_EQ(call, "handle");  // the handle is asked for, nothing is done with it
  }
}

}  // namespace

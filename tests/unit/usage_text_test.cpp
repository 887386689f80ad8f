#include "console/usage_text.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/cp932.h"
#include "fakes/fake_console.h"

namespace {

// The usage lines as a person reads them, in UTF-8.
const char* const expected_lines[] = {
    "use  \x1b[32mVELATR\x1b[36m input-file-name output-file-name\x1b[33m [/R] [/+n] [/N|/L] "
    "[/X]\x1b[m",
    "",
    "          \x1b[33m/R  \x1b[m: 逆順ソート",
    "          \x1b[33m/+n \x1b[m: n 文字目から比較します。",
    "          \x1b[33m/N  \x1b[m: 半角英字の大文字小文字を区別しません（A と a を同一文字と解釈）",
    "          \x1b[33m/L  \x1b[m: 同上。但し同一データの場合は、A < a として比較します。",
    "          \x1b[33m/X  \x1b[m: ドライブサイズチェック省略",
    "          注  : /N と /L を同時に指定する事は出来ません",
    "              : /X オプションの利用時は、ご注意下さい",
};

TEST(UsageText, IsTheJapaneseTextInShiftJis) {
  std::string expected;
  for (const char* line : expected_lines) {
    expected += std::string(line) + "\n";
  }
  EXPECT_EQ(cp932_to_utf8(usage_text), expected);
}

TEST(UsageText, IsWrittenWithItsColours) {
  fake_console console;
  print_usage();
  EXPECT_EQ(console.screen.row_text(0).substr(0, 11), "use  VELATR");
  EXPECT_EQ(console.screen.cell(5, 0).attribute, 0x0A);   // VELATR in green
  EXPECT_EQ(console.screen.cell(12, 0).attribute, 0x0B);  // the file names in cyan
  EXPECT_EQ(console.screen.cell(10, 2).attribute, 0x0E);  // /R in yellow
  EXPECT_EQ(console.screen.cell(14, 2).attribute, 0x0F);  // its meaning in white
  // Nine lines and con_print_line's own line feed.
  EXPECT_EQ(console.screen.cursor().y, 10);
  EXPECT_EQ(console.calls.back(), "write \n");
}

}  // namespace

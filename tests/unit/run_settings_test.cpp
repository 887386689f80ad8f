#include "sort/run_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct switch_case {
  std::vector<const char*> arguments;
  entry_comparator entry;
  line_comparator line;
  bool fold;
  int32_t skip;
  bool skip_check;
  const char* summary;
};

class RunSettings : public ::testing::Test {
 protected:
  void TearDown() override { reset_run_settings(); }
};

TEST_F(RunSettings, SwitchesSetTheirSettings) {
  const switch_case cases[] = {
      {{}, compare_entries, compare_lines, false, 0, false, ""},
      {{"/R"}, compare_entries_reversed, compare_lines, false, 0, false, "/R "},
      {{"/r"}, compare_entries_reversed, compare_lines, false, 0, false, "/R "},
      {{"/Reverse"}, compare_entries_reversed, compare_lines, false, 0, false, "/R "},
      {{"-R", "R", "/Q", "/"}, compare_entries, compare_lines, false, 0, false, ""},
      {{"/n"}, compare_entries, compare_lines, true, 0, false, "/N "},
      {{"/l"}, compare_entries, compare_folded_then_exact, true, 0, false, "/L "},
      {{"/N", "/L"}, compare_entries, compare_folded_then_exact, true, 0, false, "/N /L "},
      {{"/L", "/N"}, compare_entries, compare_lines, true, 0, false, "/L /N "},
      {{"/x"}, compare_entries, compare_lines, false, 0, true, ""},
      {{"/X", "/R"}, compare_entries_reversed, compare_lines, false, 0, true, "/R "},
      {{"/+3"}, compare_entries, compare_lines, false, 2, false, "/+3 "},
      {{"/+1"}, compare_entries, compare_lines, false, 0, false, "/+1 "},
      {{"/+0"}, compare_entries, compare_lines, false, 0, false, "/+0 "},
      {{"/+-5"}, compare_entries, compare_lines, false, 0, false, "/+-5 "},
      {{"/+abc"}, compare_entries, compare_lines, false, 0, false, "/+abc "},
      {{"/+ 12x"}, compare_entries, compare_lines, false, 11, false, "/+ 12x "},
      {{"/+99999999999"},
       compare_entries,
       compare_lines,
       false,
       INT32_MAX - 1,
       false,
       "/+99999999999 "},
      {{"/R", "/R"}, compare_entries_reversed, compare_lines, false, 0, false, "/R /R "},
  };
  for (const switch_case& c : cases) {
    reset_run_settings();
    std::vector<char*> argv = {const_cast<char*>("velatr"), const_cast<char*>("in"),
                               const_cast<char*>("out")};
    for (const char* a : c.arguments) {
      argv.push_back(const_cast<char*>(a));
    }
    read_switches(static_cast<int>(argv.size()), argv.data());
    std::string label = c.arguments.empty() ? "(none)" : c.arguments[0];
    EXPECT_EQ(entry_compare, c.entry) << label;
    EXPECT_EQ(line_compare, c.line) << label;
    EXPECT_EQ(fold_case, c.fold) << label;
    // The flags the radix sort reads say what the comparators do.
    EXPECT_EQ(reverse_order, c.entry == compare_entries_reversed) << label;
    EXPECT_EQ(case_tie_break, c.line == compare_folded_then_exact) << label;
    EXPECT_EQ(column_skip, c.skip) << label;
    EXPECT_EQ(skip_drive_check, c.skip_check) << label;
    EXPECT_STREQ(command_summary, c.summary) << label;
  }
}

TEST_F(RunSettings, FileNamesAreNeverSwitches) {
  char* argv[] = {const_cast<char*>("velatr"), const_cast<char*>("/R"), const_cast<char*>("/N")};
  read_switches(3, argv);
  EXPECT_EQ(entry_compare, compare_entries);
  EXPECT_FALSE(fold_case);
}

// The summary keeps whole switch texts while they fit its 63 characters and never overflows.
TEST_F(RunSettings, SummaryLeavesOutWhatDoesNotFit) {
  std::string long_switch = "/+1" + std::string(70, '0');
  apply_switch("/R");
  apply_switch(long_switch.c_str());
  apply_switch("/N");
  EXPECT_STREQ(command_summary, "/R /N ");
  for (int i = 0; i < 40; ++i) {
    apply_switch("/L");
  }
  std::string summary = command_summary;
  EXPECT_LE(summary.size(), 63u);
  EXPECT_EQ(summary.size() % 3, 0u);
  EXPECT_EQ(summary.substr(0, 9), "/R /N /L ");
  std::string exact = "/+" + std::string(60, '7');  // 62 characters and a blank: 63
  reset_run_settings();
  apply_switch(exact.c_str());
  EXPECT_EQ(std::string(command_summary), exact + " ");
}

}  // namespace

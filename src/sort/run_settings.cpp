// The switches and what they set.
#include "sort/run_settings.h"

#include <cctype>
#include <climits>
#include <cstring>

bool skip_drive_check = false;
bool fold_case = false;
bool reverse_order = false;
bool case_tie_break = false;
line_comparator line_compare = compare_lines;
entry_comparator entry_compare = compare_entries;
int32_t column_skip = 0;
char command_summary[command_summary_size] = "";

namespace {

// Appends a switch's text and a blank when both fit whole; a text that does not fit is left
// out, so the summary never holds a cut switch.
void append_summary(const char* text) {
  size_t used = std::strlen(command_summary);
  size_t length = std::strlen(text);
  if (used + length + 1 < sizeof command_summary) {
    std::memcpy(command_summary + used, text, length);
    command_summary[used + length] = ' ';
    command_summary[used + length + 1] = '\0';
  }
}

// The decimal value of a text as formatted input reads it: white space, a sign, digits up to
// the first other character; no digits give 0. Values past 32 bits saturate.
int32_t read_decimal(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (std::isspace(*p)) {
    ++p;
  }
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  int64_t value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value <= INT32_MAX) {
      value = value * 10 + (*p - '0');
    }
    ++p;
  }
  if (negative) {
    value = -value;
  }
  if (value > INT32_MAX) {
    return INT32_MAX;
  }
  if (value < INT32_MIN) {
    return INT32_MIN;
  }
  return static_cast<int32_t>(value);
}

}  // namespace

void reset_run_settings() {
  skip_drive_check = false;
  fold_case = false;
  reverse_order = false;
  case_tie_break = false;
  line_compare = compare_lines;
  entry_compare = compare_entries;
  column_skip = 0;
  command_summary[0] = '\0';
}

void apply_switch(const char* argument) {
  if (argument[0] != '/') {
    return;
  }
  switch (argument[1]) {
    case 'R':
    case 'r':
      entry_compare = compare_entries_reversed;
      reverse_order = true;
      append_summary("/R");
      break;
    case 'N':
    case 'n':
      fold_case = true;
      case_tie_break = false;
      line_compare = compare_lines;
      append_summary("/N");
      break;
    case 'L':
    case 'l':
      fold_case = true;
      case_tie_break = true;
      line_compare = compare_folded_then_exact;
      append_summary("/L");
      break;
    case 'X':
    case 'x':
      skip_drive_check = true;
      break;
    case '+': {
      int64_t n = read_decimal(argument + 2);
      column_skip = n - 1 >= 1 ? static_cast<int32_t>(n - 1) : 0;
      append_summary(argument);
      break;
    }
    default:
      break;
  }
}

void read_switches(int argc, char** argv) {
  for (int i = 3; i < argc; ++i) {
    apply_switch(argv[i]);
  }
}

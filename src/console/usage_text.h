// The usage text shown when file names are missing.
#pragma once

// Nine lines in Shift-JIS with colour sequences, each ending in a line feed.
extern const char usage_text[];

// Writes the usage text with con_print_line, which adds one more line feed.
void print_usage();

// The run's settings, filled from the switches and read by the ordering.
#pragma once

#include <cstdint>

#include "sort/line_compare.h"

constexpr int command_summary_size = 64;

extern bool skip_drive_check;
extern bool fold_case;
// What the comparators chosen below mean, said outright for the radix sort: descending (/R),
// and the case-sensitive tie-break of /L.
extern bool reverse_order;
extern bool case_tie_break;
extern line_comparator line_compare;
extern entry_comparator entry_compare;
extern int32_t column_skip;
extern char command_summary[command_summary_size];

// Puts every setting back to its default.
void reset_run_settings();

// Applies one command-line argument: a switch sets its setting, anything else is ignored.
void apply_switch(const char* argument);

// Applies the arguments from the third on (argv[3..argc-1] counting the program's name as 0).
void read_switches(int argc, char** argv);

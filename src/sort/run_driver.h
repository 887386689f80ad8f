// The run: command line to finished output file.
#pragma once

// Runs one sort as the command line asks; returns the process exit status, 0 after "Success",
// 1 after any failure message or the usage text.
int run_velatr(int argc, char** argv);

// Running the real program on real files.
#pragma once

#include <string>
#include <vector>

#include "fakes/temp_directory.h"

// The program under test (VELATR_PROGRAM), run through VELATR_EMULATOR when that is set.
const std::string& program_path();
const std::string& program_emulator();
bool program_is_windows();
// Another build of the program (VELATR_OTHER_PROGRAM, run natively) whose output must match.
const std::string& other_program_path();

// Runs the program with `arguments` in `directory`; standard input and output are the null
// device, standard error goes to `error_file` (the null device when empty). Returns the exit
// status, or -1 when the program did not exit normally.
int run_program(const std::vector<std::string>& arguments, const std::string& directory,
                const std::string& error_file = "");

// Runs any command the same way (for tools beside the program).
int run_command(const std::vector<std::string>& command, const std::string& directory,
                const std::string& error_file = "");

bool running_as_root();

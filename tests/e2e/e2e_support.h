// Running the real program on real files.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/temp_directory.h"

// The program under test (VELATR_PROGRAM), run through VELATR_EMULATOR when that is set.
const std::string& program_path();
const std::string& program_emulator();
bool program_is_windows();
// True for the 32-bit x86 programs, built for SSE2 (VELATR_PROGRAM_NEEDS_SSE2).
bool program_needs_sse2();
// Another build of the program (VELATR_OTHER_PROGRAM, run natively) whose output must match.
const std::string& other_program_path();

// Runs the program with `arguments` in `directory`; standard input and output are the null
// device, standard error goes to `error_file` (the null device when empty). Returns the exit
// status, or -1 when the program did not exit normally.
int run_program(const std::vector<std::string>& arguments, const std::string& directory,
                const std::string& error_file = "");

struct run_options {
  std::string error_file;               // standard error's file (the null device when empty)
  std::string output_file;              // standard output's file (the null device when empty)
  bool append_output = false;           // standard output opened to append, as `>>` does
  bool close_standard_streams = false;  // start with descriptors 0, 1 and 2 closed
  long file_size_limit = -1;            // bytes (RLIMIT_FSIZE); SIGXFSZ keeps its default
  std::vector<int> ignored_signals;     // set to be ignored, as nohup does
  std::function<void()> before_start;   // run in the new process, in `directory`, before it
                                        // becomes the program (same process id)
};

struct run_outcome {
  int status = -1;   // the exit status, when it exited
  int signal = 0;    // the signal that ended it, when one did
  long peak_kb = 0;  // its largest resident size
};

// The program's command line: the emulator, when there is one, the program, its arguments.
std::vector<std::string> program_command(const std::vector<std::string>& arguments);

// Starts a command as run_program does and returns its process id, or waits for it.
pid_t start_command(const std::vector<std::string>& command, const std::string& directory,
                    const run_options& options);
run_outcome wait_command(pid_t child);

run_outcome run_program_with(const std::vector<std::string>& arguments,
                             const std::string& directory, const run_options& options);

// Runs any command the same way (for tools beside the program).
int run_command(const std::vector<std::string>& command, const std::string& directory,
                const std::string& error_file = "");

bool running_as_root();

// True when `directory` holds a temporary file of the program's (.velatr-*).
bool has_temporary_file(const std::string& directory);

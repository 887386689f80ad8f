// The screen a person sees: the program run in a pseudo-terminal (tmux), 25 rows high.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct terminal_screen {
  int status = -1;                    // the program's exit status
  std::vector<std::string> rows;      // the text of each row, trailing blanks removed
  std::vector<std::string> coloured;  // the same with the terminal's colour sequences
  std::string title;
};

bool tmux_available();

// Runs `command` (the program and its arguments, as argv) in `directory` inside a fresh tmux
// pane `columns` wide and captures the pane once the program has ended. With `interrupt_when`,
// Ctrl-C is typed into the pane as soon as it returns true (asked every millisecond).
terminal_screen run_in_terminal(const std::vector<std::string>& command,
                                const std::string& directory, int columns = 80,
                                const std::function<bool()>& interrupt_when = nullptr);

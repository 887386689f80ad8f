// Pseudo-terminal runs through a private tmux server.
#include "e2e/terminal_screen.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e/e2e_support.h"

namespace {

const std::string socket_name = "velatr-e2e-" + std::to_string(getpid());

std::string quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

std::string output_of(const std::string& shell_command) {
  std::string output;
  FILE* pipe = popen(shell_command.c_str(), "r");
  if (pipe == nullptr) {
    return output;
  }
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    output.append(buffer, n);
  }
  pclose(pipe);
  return output;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    size_t end = line.find_last_not_of(' ');
    lines.push_back(end == std::string::npos ? "" : line.substr(0, end + 1));
  }
  return lines;
}

std::string tmux() {
  return "tmux -L " + socket_name + " ";
}

}  // namespace

bool tmux_available() {
  return std::system("command -v tmux >/dev/null 2>&1") == 0;
}

terminal_screen run_in_terminal(const std::vector<std::string>& command,
                                const std::string& directory, int columns,
                                const std::function<bool()>& interrupt_when) {
  static int runs = 0;
  std::string session = "run" + std::to_string(runs++);
  temp_directory scratch;
  std::string status_file = scratch.file("status");
  std::string program;
  for (const std::string& part : command) {
    program += quote(part) + " ";
  }
  // The shell outlives a Ctrl-C typed into the pane (the trap is not inherited by the program).
  std::string script = "trap : INT; cd " + quote(directory) + " && " + program + "; echo $? > " +
                       quote(status_file) + "; " + tmux() + "wait-for -S " + session +
                       "; sleep 120";
  std::string start = "LANG=C.UTF-8 " + tmux() + "new-session -d -x " + std::to_string(columns) +
                      " -y 25 -s " + session + " " + quote(script);
  terminal_screen screen;
  if (std::system(start.c_str()) != 0) {
    return screen;
  }
  if (interrupt_when) {
    for (int waited = 0; waited < 60000 && !interrupt_when(); ++waited) {
      usleep(1000);
    }
    std::system((tmux() + "send-keys -t " + session + " C-c").c_str());
  }
  std::system(("timeout 120 " + tmux() + "wait-for " + session).c_str());
  // A console host (Wine's, behind cmd) may still be drawing when the program has ended: the
  // screen is taken once it holds still.
  std::string capture = tmux() + "capture-pane -p -t " + session;
  std::string shown = output_of(capture);
  for (int look = 0; look < 30; ++look) {
    usleep(100 * 1000);
    std::string again = output_of(capture);
    if (again == shown) {
      break;
    }
    shown = again;
  }
  screen.rows = lines_of(shown);
  screen.coloured = lines_of(output_of(tmux() + "capture-pane -p -e -t " + session));
  screen.title = output_of(tmux() + "display-message -p -t " + session + " '#{pane_title}'");
  if (!screen.title.empty() && screen.title.back() == '\n') {
    screen.title.pop_back();
  }
  std::system((tmux() + "kill-session -t " + session + " 2>/dev/null").c_str());
  std::ifstream status(status_file);
  status >> screen.status;
  return screen;
}

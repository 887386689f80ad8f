// Process running for the end-to-end tests.
#include "e2e/e2e_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

}  // namespace

const std::string& program_path() {
  static const std::string path = environment("VELATR_PROGRAM");
  return path;
}

const std::string& program_emulator() {
  static const std::string emulator = environment("VELATR_EMULATOR");
  return emulator;
}

const std::string& other_program_path() {
  static const std::string path = environment("VELATR_OTHER_PROGRAM");
  return path;
}

bool program_is_windows() { return !program_emulator().empty(); }

int run_command(const std::vector<std::string>& command, const std::string& directory,
                const std::string& error_file) {
  pid_t child = fork();
  if (child == 0) {
    if (chdir(directory.c_str()) != 0) {
      _exit(126);
    }
    int null_in = open("/dev/null", O_RDONLY);
    int null_out = open("/dev/null", O_WRONLY);
    int error = error_file.empty() ? null_out
                                   : open(error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(null_in, 0);
    dup2(null_out, 1);
    dup2(error, 2);
    std::vector<char*> argv;
    for (const std::string& part : command) {
      argv.push_back(const_cast<char*>(part.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) {
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run_program(const std::vector<std::string>& arguments, const std::string& directory,
                const std::string& error_file) {
  std::vector<std::string> command;
  if (program_is_windows()) {
    command.push_back(program_emulator());
  }
  command.push_back(program_path());
  command.insert(command.end(), arguments.begin(), arguments.end());
  return run_command(command, directory, error_file);
}

bool running_as_root() { return geteuid() == 0; }

// Process running for the end-to-end tests.
#include "e2e/e2e_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

bool program_is_windows() {
  static const bool windows = environment("VELATR_PROGRAM_WINDOWS") == "1";
  return windows;
}

bool program_needs_sse2() {
  static const bool needs = environment("VELATR_PROGRAM_NEEDS_SSE2") == "1";
  return needs;
}

pid_t start_command(const std::vector<std::string>& command, const std::string& directory,
                    const run_options& options) {
  pid_t child = fork();
  if (child != 0) {
    return child;
  }
  if (chdir(directory.c_str()) != 0) {
    _exit(126);
  }
  int null_in = open("/dev/null", O_RDONLY);
  int null_out = open("/dev/null", O_WRONLY);
  auto file_or_null = [null_out](const std::string& name, int how) {
    return name.empty() ? null_out : open(name.c_str(), O_WRONLY | O_CREAT | how, 0644);
  };
  int output = file_or_null(options.output_file, options.append_output ? O_APPEND : O_TRUNC);
  int error = file_or_null(options.error_file, O_TRUNC);
  dup2(null_in, 0);
  dup2(output, 1);
  dup2(error, 2);
  for (int fd = 3; fd < 64; ++fd) {
    close(fd);
  }
  if (options.close_standard_streams) {
    close(0);
    close(1);
    close(2);
  }
  for (int number : options.ignored_signals) {
    signal(number, SIG_IGN);
  }
  if (options.before_start) {
    options.before_start();
  }
  if (options.file_size_limit >= 0) {
    struct rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                           static_cast<rlim_t>(options.file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<char*> argv;
  for (const std::string& part : command) {
    argv.push_back(const_cast<char*>(part.c_str()));
  }
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

run_outcome wait_command(pid_t child) {
  run_outcome outcome;
  int status = 0;
  struct rusage usage {};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) {
    return outcome;
  }
  outcome.peak_kb = usage.ru_maxrss;
  if (WIFEXITED(status)) {
    outcome.status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
  return outcome;
}

std::vector<std::string> program_command(const std::vector<std::string>& arguments) {
  std::vector<std::string> command;
  if (!program_emulator().empty()) {
    command.push_back(program_emulator());
  }
  command.push_back(program_path());
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

namespace {

// Wine's client, not the program, lost its server ("wine client error:0: recvmsg: ..."): the
// run says nothing of the program, which then ran again.
bool wine_lost_its_server(const run_options& options) {
  // Only a file the program wrote says anything (/dev/full reads as endless zeros).
  if (!program_is_windows() || options.error_file.empty() ||
      !std::filesystem::is_regular_file(options.error_file)) {
    return false;
  }
  std::ifstream said(options.error_file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(said)), std::istreambuf_iterator<char>());
  return text.find("wine client error") != std::string::npos;
}

}  // namespace

run_outcome run_program_with(const std::vector<std::string>& arguments,
                             const std::string& directory, const run_options& options) {
  run_outcome outcome = wait_command(start_command(program_command(arguments), directory, options));
  if (wine_lost_its_server(options)) {
    std::fprintf(stderr, "Wine lost its server; the program runs again\n");
    outcome = wait_command(start_command(program_command(arguments), directory, options));
  }
  return outcome;
}

int run_command(const std::vector<std::string>& command, const std::string& directory,
                const std::string& error_file) {
  run_options options;
  options.error_file = error_file;
  return wait_command(start_command(command, directory, options)).status;
}

int run_program(const std::vector<std::string>& arguments, const std::string& directory,
                const std::string& error_file) {
  run_options options;
  options.error_file = error_file;
  return run_program_with(arguments, directory, options).status;
}

bool running_as_root() {
  return geteuid() == 0;
}

bool has_temporary_file(const std::string& directory) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    if (entry.path().filename().string().rfind(".velatr-", 0) == 0) {
      return true;
    }
  }
  return false;
}

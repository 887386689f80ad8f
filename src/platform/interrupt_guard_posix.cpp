// The interrupt guard on POSIX: signal handlers that unlink the temporary file.
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "platform/interrupt_guard.h"

namespace {

constexpr int guarded_signals[] = {SIGINT, SIGTERM, SIGHUP};
char guarded_name[4096];
struct sigaction previous[sizeof guarded_signals / sizeof guarded_signals[0]];
bool active = false;

void remove_and_die(int signal_number) {
  ::unlink(guarded_name);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

}  // namespace

void interrupt_guard_begin(const char* name) {
  size_t length = std::strlen(name);
  if (length >= sizeof guarded_name) {
    return;
  }
  std::memcpy(guarded_name, name, length + 1);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = remove_and_die;
  sigfillset(&action.sa_mask);
  for (size_t i = 0; i < sizeof guarded_signals / sizeof guarded_signals[0]; ++i) {
    ::sigaction(guarded_signals[i], &action, &previous[i]);
  }
  active = true;
}

void interrupt_guard_end() {
  if (!active) {
    return;
  }
  for (size_t i = 0; i < sizeof guarded_signals / sizeof guarded_signals[0]; ++i) {
    ::sigaction(guarded_signals[i], &previous[i], nullptr);
  }
  active = false;
}

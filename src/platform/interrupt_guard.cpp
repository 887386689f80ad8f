// The interrupt guard, with the C runtime's signals (the same on Windows and elsewhere).
#include "platform/interrupt_guard.h"

#include <csignal>

namespace {

#ifdef SIGBREAK
constexpr int guarded_signals[] = {SIGINT, SIGTERM, SIGBREAK};
#else
constexpr int guarded_signals[] = {SIGINT, SIGTERM, SIGHUP};
#endif
constexpr int guarded_count = sizeof guarded_signals / sizeof guarded_signals[0];

volatile std::sig_atomic_t noted_signal = 0;
void (*previous[guarded_count])(int);
bool active = false;

extern "C" void note_signal(int signal_number) {
  noted_signal = signal_number;
}

}  // namespace

void interrupt_guard_begin() {
  noted_signal = 0;
  for (int i = 0; i < guarded_count; ++i) {
    previous[i] = std::signal(guarded_signals[i], note_signal);
  }
  active = true;
}

bool interrupt_requested() {
  return noted_signal != 0;
}

void interrupt_guard_end() {
  if (!active) {
    return;
  }
  for (int i = 0; i < guarded_count; ++i) {
    std::signal(guarded_signals[i], previous[i] == SIG_ERR ? SIG_DFL : previous[i]);
  }
  active = false;
  int signal_number = noted_signal;
  if (signal_number != 0) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
  }
}

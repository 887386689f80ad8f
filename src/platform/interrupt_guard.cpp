// The interrupt guard: POSIX signals here, the C runtime's signals on Windows.
#include "platform/interrupt_guard.h"

#include <csignal>
#include <iterator>
#include <vector>

namespace {

volatile std::sig_atomic_t noted_signal = 0;
bool active = false;

extern "C" void note_signal(int signal_number) {
  noted_signal = signal_number;
#ifdef _WIN32
  // The C runtime puts the default back before it calls a handler: a second Ctrl-C would end
  // the process mid-write.
  std::signal(signal_number, note_signal);
#endif
}

}  // namespace

#ifdef _WIN32

namespace {

constexpr int guarded_signals[] = {SIGINT, SIGTERM, SIGBREAK};
void (*previous[std::size(guarded_signals)])(int);

}  // namespace

void interrupt_guard_begin() {
  noted_signal = 0;
  for (size_t i = 0; i < std::size(guarded_signals); ++i) {
    previous[i] = std::signal(guarded_signals[i], note_signal);
  }
  active = true;
}

void interrupt_guard_end() {
  if (!active) {
    return;
  }
  for (size_t i = 0; i < std::size(guarded_signals); ++i) {
    std::signal(guarded_signals[i], previous[i] == SIG_ERR ? SIG_DFL : previous[i]);
  }
  active = false;
  int signal_number = noted_signal;
  if (signal_number != 0) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
  }
}

#else

namespace {

struct guarded_signal {
  int number;
  struct sigaction previous;
};
std::vector<guarded_signal> guarded;

// Every signal that can be caught and whose default ends the process, but those that report a
// fault of the program itself (a bad address, instruction or division), which must not be
// waited out. SIGXFSZ is ignored instead: a file-size limit then fails the write.
std::vector<int> terminating_signals() {
  std::vector<int> numbers = {SIGHUP,  SIGINT,  SIGQUIT,   SIGPIPE, SIGALRM, SIGTERM,
                              SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU};
#ifdef SIGPOLL
  numbers.push_back(SIGPOLL);
#endif
#ifdef SIGPWR
  numbers.push_back(SIGPWR);
#endif
#ifdef SIGSTKFLT
  numbers.push_back(SIGSTKFLT);
#endif
#ifdef SIGRTMIN
  for (int n = SIGRTMIN; n <= SIGRTMAX; ++n) {
    numbers.push_back(n);
  }
#endif
  return numbers;
}

void install(int number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  guarded_signal entry{number, {}};
  if (sigaction(number, nullptr, &entry.previous) != 0) {
    return;
  }
  // A signal the caller chose to ignore (nohup, say) stays ignored.
  if (entry.previous.sa_handler == SIG_IGN) {
    return;
  }
  if (sigaction(number, &action, nullptr) == 0) {
    guarded.push_back(entry);
  }
}

}  // namespace

void interrupt_guard_begin() {
  noted_signal = 0;
  guarded.clear();
  for (int number : terminating_signals()) {
    install(number, note_signal);
  }
  install(SIGXFSZ, SIG_IGN);
  active = true;
}

void interrupt_guard_end() {
  if (!active) {
    return;
  }
  for (const guarded_signal& entry : guarded) {
    sigaction(entry.number, &entry.previous, nullptr);
  }
  guarded.clear();
  active = false;
  int signal_number = noted_signal;
  if (signal_number != 0) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal_number, &fallback, nullptr);
    sigset_t just_this;
    sigemptyset(&just_this);
    sigaddset(&just_this, signal_number);
    sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
    raise(signal_number);
  }
}

#endif

bool interrupt_requested() {
  return noted_signal != 0;
}

// The interrupt guard: POSIX signals here, the C runtime's signals on Windows.
#include "platform/interrupt_guard.h"

#include <atomic>
#include <csignal>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Atomic: on Windows the console's events arrive on a thread of their own.
std::atomic<int> noted_signal{0};
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
// Set when the guard ends, for a console event that must not let the process go before.
HANDLE guard_ended = nullptr;

// The console's events, on a thread of their own: Ctrl-C and Ctrl-Break are noted and the write
// stops; closing the window, log-off and shut-down end the process when the handler returns, so
// it waits (Windows grants a few seconds) until the writer has let its temporary file go.
BOOL WINAPI note_console_event(DWORD event) {
  noted_signal = event == CTRL_BREAK_EVENT ? SIGBREAK : SIGINT;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    return TRUE;
  }
  if (guard_ended != nullptr) {
    WaitForSingleObject(guard_ended, 4000);
  }
  return FALSE;
}

}  // namespace

void interrupt_guard_begin() {
  noted_signal = 0;
  if (guard_ended == nullptr) {
    guard_ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  } else {
    ResetEvent(guard_ended);
  }
  for (size_t i = 0; i < std::size(guarded_signals); ++i) {
    previous[i] = std::signal(guarded_signals[i], note_signal);
  }
  SetConsoleCtrlHandler(note_console_event, TRUE);
  active = true;
}

// A noted interrupt is raised again only where the caller has a handler of its own: by default
// the writer reports the interrupted write ("Output file write err.") and the run ends with
// status 1, instead of the C runtime's silent exit with status 3.
void interrupt_guard_end() {
  if (!active) {
    return;
  }
  SetConsoleCtrlHandler(note_console_event, FALSE);
  int signal_number = noted_signal;
  bool caller_handles = false;
  for (size_t i = 0; i < std::size(guarded_signals); ++i) {
    void (*handler)(int) = previous[i] == SIG_ERR ? SIG_DFL : previous[i];
    std::signal(guarded_signals[i], handler);
    if (guarded_signals[i] == signal_number) {
      caller_handles = handler != SIG_DFL && handler != SIG_IGN;
    }
  }
  active = false;
  if (guard_ended != nullptr) {
    SetEvent(guard_ended);
  }
  if (signal_number != 0 && caller_handles) {
    std::raise(signal_number);
  }
}

#else

namespace {

struct guarded_signal {
  int number;
  struct sigaction previous;
};
// Room for every signal there is, so that guarding allocates nothing.
constexpr int most_signals = 128;
guarded_signal guarded[most_signals];
int guarded_count = 0;

void install(int number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  guarded_signal entry{number, {}};
  if (guarded_count == most_signals || sigaction(number, nullptr, &entry.previous) != 0) {
    return;
  }
  // A signal the caller chose to ignore (nohup, say) stays ignored.
  if (entry.previous.sa_handler == SIG_IGN) {
    return;
  }
  if (sigaction(number, &action, nullptr) == 0) {
    guarded[guarded_count++] = entry;
  }
}

// Every signal that can be caught and whose default ends the process, but those that report a
// fault of the program itself (a bad address, instruction or division), which must not be
// waited out.
void install_terminating(void (*handler)(int)) {
  for (int number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2,
                     SIGVTALRM, SIGPROF, SIGXCPU}) {
    install(number, handler);
  }
#ifdef SIGPOLL
  install(SIGPOLL, handler);
#endif
#ifdef SIGPWR
  install(SIGPWR, handler);
#endif
#ifdef SIGSTKFLT
  install(SIGSTKFLT, handler);
#endif
#ifdef SIGRTMIN
  for (int n = SIGRTMIN; n <= SIGRTMAX; ++n) {
    install(n, handler);
  }
#endif
}

}  // namespace

// SIGXFSZ is ignored instead: a file-size limit then fails the write.
void interrupt_guard_begin() {
  noted_signal = 0;
  guarded_count = 0;
  install_terminating(note_signal);
  install(SIGXFSZ, SIG_IGN);
  active = true;
}

void interrupt_guard_end() {
  if (!active) {
    return;
  }
  for (int i = 0; i < guarded_count; ++i) {
    sigaction(guarded[i].number, &guarded[i].previous, nullptr);
  }
  guarded_count = 0;
  active = false;
  // Raised again under the caller's own handling: the default ends the process, a handler of
  // the caller's runs.
  int signal_number = noted_signal;
  if (signal_number != 0) {
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

// A console for the unit tests: the screen-buffer model behind the platform table's console
// entries, with a log of every call and calls that can be made to fail.
#pragma once

#include <string>
#include <vector>

#include "platform/screen_model.h"

class fake_console {
 public:
  // Installs itself in the platform table and forgets the writer's handle; the destructor
  // restores the defaults.
  fake_console();
  ~fake_console();
  fake_console(const fake_console&) = delete;
  fake_console& operator=(const fake_console&) = delete;

  screen_model screen{80, 25};
  // One entry a call: "write <bytes>", "attr 0F", "cursor x,y", "info", "title <text>",
  // "fill x,y n 'c'", "fill-attr x,y n 0F", "handle"; a failed call's entry ends in
  // " (failed)".
  std::vector<std::string> calls;
  bool fail_info = false;
  bool fail_all = false;
  // Standard error as a file or a pipe: console_attached says no, and plain text lands here.
  bool not_a_console = false;
  std::string plain;

  // The calls of one kind ("write", "attr", ...), without the kind.
  std::vector<std::string> calls_of(const std::string& kind) const;
  void clear_log() { calls.clear(); }
  static fake_console* current;
};

// The table itself, its defaults and their restoration.
#include "platform/platform.h"

#include "platform/platform_defaults.h"

namespace {

platform_calls build_defaults() {
  platform_calls calls{};
  set_default_console_calls(calls);
  set_default_disk_calls(calls);
  set_default_file_calls(calls);
  return calls;
}

}  // namespace

const platform_calls& platform_defaults() {
  static const platform_calls defaults = build_defaults();
  return defaults;
}

platform_calls platform = platform_defaults();

void platform_restore_defaults() {
  platform = platform_defaults();
}

// Console calls of the stand-in layer (until the screen model is in place they fail, as they do
// on Windows when standard error is not a console).
#include "platform/platform_defaults.h"

namespace {

win_handle standin_get_std_handle(win_dword) { return nullptr; }
win_bool standin_write(win_handle, const void*, win_dword, win_dword* written, void*) {
  if (written != nullptr) {
    *written = 0;
  }
  return 0;
}
win_bool standin_attribute(win_handle, win_word) { return 0; }
win_bool standin_cursor(win_handle, win_coord) { return 0; }
win_bool standin_info(win_handle, win_screen_buffer_info*) { return 0; }
win_bool standin_title(const char*) { return 0; }

}  // namespace

void set_default_console_calls(platform_calls& calls) {
  calls.GetStdHandle = standin_get_std_handle;
  calls.WriteConsoleA = standin_write;
  calls.SetConsoleTextAttribute = standin_attribute;
  calls.SetConsoleCursorPosition = standin_cursor;
  calls.GetConsoleScreenBufferInfo = standin_info;
  calls.SetConsoleTitleA = standin_title;
}

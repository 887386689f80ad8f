// Console calls on Windows: the real API on the handles it hands out.
#include <windows.h>

#include "platform/platform_defaults.h"

namespace {

win_handle real_get_std_handle(win_dword which) {
  return GetStdHandle(which);
}

win_bool real_write_console(win_handle console, const void* bytes, win_dword count,
                            win_dword* written, void* reserved) {
  DWORD done = 0;
  BOOL ok = WriteConsoleA(console, bytes, count, &done, reserved);
  if (written != nullptr) {
    *written = done;
  }
  return ok;
}

win_bool real_set_attribute(win_handle console, win_word attribute) {
  return SetConsoleTextAttribute(console, attribute);
}

win_bool real_set_cursor(win_handle console, win_coord position) {
  COORD coord{position.x, position.y};
  return SetConsoleCursorPosition(console, coord);
}

win_bool real_screen_info(win_handle console, win_screen_buffer_info* info) {
  CONSOLE_SCREEN_BUFFER_INFO real;
  if (!GetConsoleScreenBufferInfo(console, &real)) {
    return 0;
  }
  info->size = {real.dwSize.X, real.dwSize.Y};
  info->cursor = {real.dwCursorPosition.X, real.dwCursorPosition.Y};
  info->attributes = real.wAttributes;
  info->window = {real.srWindow.Left, real.srWindow.Top, real.srWindow.Right, real.srWindow.Bottom};
  info->maximum_window_size = {real.dwMaximumWindowSize.X, real.dwMaximumWindowSize.Y};
  return 1;
}

win_bool real_set_title(const char* title) {
  return SetConsoleTitleA(title);
}

}  // namespace

void set_default_console_calls(platform_calls& calls) {
  calls.GetStdHandle = real_get_std_handle;
  calls.WriteConsoleA = real_write_console;
  calls.SetConsoleTextAttribute = real_set_attribute;
  calls.SetConsoleCursorPosition = real_set_cursor;
  calls.GetConsoleScreenBufferInfo = real_screen_info;
  calls.SetConsoleTitleA = real_set_title;
}

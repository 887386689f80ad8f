// Console calls on Windows: the real API on the handles it hands out, text in UTF-16.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/platform_defaults.h"
#include "platform/wide_names_win32.h"

namespace {

constexpr unsigned japanese = 932;

win_handle real_get_std_handle(win_dword which) {
  return GetStdHandle(which);
}

// The program's console text is code page 932: converted and written as UTF-16, it shows the
// same cells on a code page 932 console and reads as well on any other (437, 850, 1252, 65001).
win_bool real_write_console(win_handle console, const void* bytes, win_dword count,
                            win_dword* written, void* reserved) {
  std::wstring wide = wide_from_code_page(static_cast<const char*>(bytes), count, japanese);
  DWORD done = 0;
  BOOL ok;
  if (wide.empty()) {
    ok = WriteConsoleA(console, bytes, count, &done, reserved);
  } else {
    ok = WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &done, reserved);
    done = ok ? count : 0;  // counted in the caller's bytes
  }
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
  std::wstring wide = wide_from_code_page(title, std::strlen(title), japanese);
  return wide.empty() ? SetConsoleTitleA(title) : SetConsoleTitleW(wide.c_str());
}

win_bool real_fill_characters(win_handle console, char character, win_dword length, win_coord start,
                              win_dword* written) {
  DWORD done = 0;
  BOOL ok = FillConsoleOutputCharacterA(console, character, length, COORD{start.x, start.y}, &done);
  *written = done;
  return ok;
}

win_bool real_fill_attributes(win_handle console, win_word attribute, win_dword length,
                              win_coord start, win_dword* written) {
  DWORD done = 0;
  BOOL ok = FillConsoleOutputAttribute(console, attribute, length, COORD{start.x, start.y}, &done);
  *written = done;
  return ok;
}

// A console screen buffer is drawn on; a file or a pipe (a redirection, mintty, a CI runner)
// takes plain text. Anything else (no handle, a character device such as NUL) counts as a
// console, whose writes fail harmlessly.
bool real_console_attached(win_handle console) {
  DWORD mode = 0;
  if (console == nullptr || console == INVALID_HANDLE_VALUE || GetConsoleMode(console, &mode)) {
    return true;
  }
  DWORD type = GetFileType(console);
  return type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE;
}

bool real_write_plain_text(const char* bytes, size_t count) {
  std::wstring wide = wide_from_code_page(bytes, count, japanese);
  std::string text = utf8_from_wide(wide.c_str());
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    DWORD done = 0;
    if (!WriteFile(error, p, static_cast<DWORD>(left), &done, nullptr) || done == 0) {
      return false;
    }
    p += done;
    left -= done;
  }
  return true;
}

}  // namespace

void set_default_console_calls(platform_calls& calls) {
  calls.GetStdHandle = real_get_std_handle;
  calls.WriteConsoleA = real_write_console;
  calls.SetConsoleTextAttribute = real_set_attribute;
  calls.SetConsoleCursorPosition = real_set_cursor;
  calls.GetConsoleScreenBufferInfo = real_screen_info;
  calls.SetConsoleTitleA = real_set_title;
  calls.FillConsoleOutputCharacterA = real_fill_characters;
  calls.FillConsoleOutputAttribute = real_fill_attributes;
  calls.console_attached = real_console_attached;
  calls.write_plain_text = real_write_plain_text;
}

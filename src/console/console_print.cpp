// The printing functions and the start-up banner.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "console/console.h"

namespace {

constexpr size_t format_buffer_size = 2048;
constexpr size_t banner_buffer_size = 128;
constexpr win_word first_block_attribute = 0xA0;   // black on bright green
constexpr win_word second_block_attribute = 0xF0;  // black on bright white
constexpr win_word after_banner_attribute = 0x07;  // light grey on black
constexpr int banner_width = 80;

// The last 15 of the second block's 57 characters.
constexpr char banner_tail[] = "fast line sort ";
static_assert(sizeof banner_tail - 1 == 15);

}  // namespace

void con_print_line(const char* text) {
  ansi_write(text);
  ansi_step("\n");
}

// Results longer than the buffer are formatted again into one large enough, never cut.
void con_printf(const char* format, ...) {
  char buffer[format_buffer_size];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length >= 0 && static_cast<size_t>(length) < sizeof buffer) {
    ansi_write(buffer);
  } else if (length > 0) {
    char* large = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (large != nullptr) {
      std::vsnprintf(large, static_cast<size_t>(length) + 1, format, again);
      ansi_write(large);
      std::free(large);
    }
  }
  va_end(again);
}

void show_banner(const char* name, const char* revision_tag, const char* description,
                 const char* date_tag) {
  const char* version = revision_tag + 11;  // after "$Revision: "
  // A three-digit year puts its "/" at index 10, a two-digit one at index 9.
  const char* date = date_tag[10] == '/' ? date_tag + 8 : date_tag + 7;
  win_handle console = platform.GetStdHandle(std_error_handle);
  if (!platform.console_attached(console)) {
    return;  // a log file or a pipe gets the messages, not a banner
  }
  char line[banner_buffer_size];
  win_dword written = 0;

  int length = std::snprintf(line, sizeof line, "  %-12.12s v.%4.4s  ", name, version);
  platform.SetConsoleTitleA(line);
  platform.SetConsoleTextAttribute(console, first_block_attribute);
  platform.WriteConsoleA(console, line, static_cast<win_dword>(length), &written, nullptr);

  length = std::snprintf(line, sizeof line, "  %-30.30s %8.8s %s", description, date, banner_tail);
  platform.SetConsoleTextAttribute(console, second_block_attribute);
  platform.WriteConsoleA(console, line, static_cast<win_dword>(length), &written, nullptr);
  platform.SetConsoleTextAttribute(console, after_banner_attribute);
  // The banner fills an 80-column row and the console wraps; on a wider one the next text
  // starts on the row after it all the same (a narrower one wraps the banner on, as before).
  win_screen_buffer_info info;
  if (platform.GetConsoleScreenBufferInfo(console, &info) &&
      info.window.right - info.window.left + 1 > banner_width &&
      info.cursor.x != info.window.left) {
    win_coord next_row{info.window.left, static_cast<int16_t>(info.cursor.y + 1)};
    platform.SetConsoleCursorPosition(console, next_row);
  }
}

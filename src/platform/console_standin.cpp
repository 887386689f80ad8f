// Console calls of the stand-in layer: a screen-buffer model, drawn on the terminal that is
// standard error. When standard error is not a terminal every call fails and the text is lost,
// as on Windows when standard error is redirected.
#include <iconv.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/platform_defaults.h"
#include "platform/screen_model.h"
#include "platform/sjis.h"

namespace {

constexpr int terminal_fd = 2;
// The handle GetStdHandle gives out for standard error, whatever it is connected to.
win_handle const standin_handle = reinterpret_cast<win_handle>(static_cast<uintptr_t>(0x0C));

// The width of the console window the program's layout was made for: its banner fills one row.
constexpr int console_columns = 80;

struct terminal_console {
  screen_model screen;
  iconv_t to_utf8;
  bool wider_terminal;  // columns right of the model's remain, and are cleared as rows are drawn
  terminal_console(int width, int height, bool wider)
      : screen(width, height), to_utf8(iconv_open("UTF-8", "CP932")), wider_terminal(wider) {}
  ~terminal_console() {
    if (to_utf8 != reinterpret_cast<iconv_t>(-1)) {
      iconv_close(to_utf8);
    }
  }
  terminal_console(const terminal_console&) = delete;
  terminal_console& operator=(const terminal_console&) = delete;
};

// The model, made on first use when standard error is a terminal: as tall as the terminal and
// as wide as an 80-column console, or as the terminal where that is narrower (the text then
// wraps at the terminal's edge, as in a narrow console window, and nothing is cut).
terminal_console* console() {
  static std::unique_ptr<terminal_console> instance;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (isatty(terminal_fd)) {
      struct winsize size {};
      int columns = 80;
      int rows = 25;
      if (ioctl(terminal_fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        columns = size.ws_col;
        rows = size.ws_row;
      }
      instance = std::make_unique<terminal_console>(std::min(columns, console_columns), rows,
                                                    columns > console_columns);
    }
  }
  return instance.get();
}

terminal_console* console_for(win_handle handle) {
  return handle == standin_handle ? console() : nullptr;
}

// Writes all of `bytes` to standard error; false when it would not take them.
bool send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(terminal_fd, bytes.data() + done, bytes.size() - done);
    if (put <= 0) {
      return false;
    }
    done += static_cast<size_t>(put);
  }
  return true;
}

// The console's blue is bit 0 and red bit 2; the terminal's colours count the other way.
int terminal_colour(int console_colour) {
  return (console_colour & 1) << 2 | (console_colour & 2) | (console_colour & 4) >> 2;
}

// Light grey on black, the console's own default, is the terminal's default colours.
std::string sgr_for(win_word attribute) {
  int foreground = (attribute & 0x0F) == 0x07
                       ? 39
                       : (attribute & 0x08 ? 90 : 30) + terminal_colour(attribute & 0x07);
  int background = (attribute & 0xF0) == 0
                       ? 49
                       : (attribute & 0x80 ? 100 : 40) + terminal_colour(attribute >> 4 & 0x07);
  return "\x1b[0;" + std::to_string(foreground) + ";" + std::to_string(background) + "m";
}

// Code page 932 bytes as UTF-8; what does not convert shows as '?' in each cell.
std::string utf8_of(terminal_console& c, const char* bytes, size_t count) {
  if (c.to_utf8 == reinterpret_cast<iconv_t>(-1)) {
    return std::string(count, '?');
  }
  char out[16];
  char* in = const_cast<char*>(bytes);
  size_t in_left = count;
  char* out_p = out;
  size_t out_left = sizeof out;
  iconv(c.to_utf8, nullptr, nullptr, nullptr, nullptr);
  if (iconv(c.to_utf8, &in, &in_left, &out_p, &out_left) == static_cast<size_t>(-1)) {
    return std::string(count, '?');
  }
  return std::string(out, static_cast<size_t>(out_p - out));
}

std::string cursor_to(int column, int row) {
  return "\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H";
}

// Draws the rows that changed, then puts the terminal's cursor where the model's is: the
// model's cursor is the truth (the console wraps at once, a terminal only at the next byte).
void render(terminal_console& c) {
  std::vector<bool> dirty = c.screen.take_dirty_rows();
  std::string out;
  for (int row = 0; row < c.screen.height(); ++row) {
    if (!dirty[static_cast<size_t>(row)]) {
      continue;
    }
    out += cursor_to(0, row);
    int current = -1;
    for (int column = 0; column < c.screen.width(); ++column) {
      const screen_cell& cell = c.screen.cell(column, row);
      if (cell.attribute != current) {
        current = cell.attribute;
        out += sgr_for(cell.attribute);
      }
      if (sjis_is_lead_byte(cell.byte) && column + 1 < c.screen.width()) {
        char pair[2] = {static_cast<char>(cell.byte),
                        static_cast<char>(c.screen.cell(column + 1, row).byte)};
        out += utf8_of(c, pair, 2);
        ++column;
      } else if (cell.byte < 0x20 || cell.byte == 0x7F) {
        out += cell.byte == 0 ? ' ' : '?';
      } else if (cell.byte < 0x80) {
        out += static_cast<char>(cell.byte);
      } else {
        char single = static_cast<char>(cell.byte);
        out += utf8_of(c, &single, 1);
      }
    }
    if (c.wider_terminal) {
      out += sgr_for(0x07) + "\x1b[K";
    }
  }
  win_coord at = c.screen.cursor();
  out += sgr_for(c.screen.attribute()) + cursor_to(at.x, at.y);
  send(out);
}

win_handle standin_get_std_handle(win_dword which) {
  return which == std_error_handle ? standin_handle : nullptr;
}

win_bool standin_write(win_handle handle, const void* bytes, win_dword count, win_dword* written,
                       void*) {
  if (written != nullptr) {
    *written = 0;
  }
  terminal_console* c = console_for(handle);
  if (c == nullptr) {
    return 0;
  }
  c->screen.write(static_cast<const char*>(bytes), count);
  render(*c);
  if (written != nullptr) {
    *written = count;
  }
  return 1;
}

win_bool standin_attribute(win_handle handle, win_word attribute) {
  terminal_console* c = console_for(handle);
  if (c == nullptr) {
    return 0;
  }
  c->screen.set_attribute(attribute);
  return 1;
}

win_bool standin_cursor(win_handle handle, win_coord position) {
  terminal_console* c = console_for(handle);
  if (c == nullptr || !c->screen.set_cursor(position)) {
    return 0;
  }
  send(cursor_to(position.x, position.y));
  return 1;
}

win_bool standin_info(win_handle handle, win_screen_buffer_info* info) {
  terminal_console* c = console_for(handle);
  if (c == nullptr) {
    return 0;
  }
  int16_t width = static_cast<int16_t>(c->screen.width());
  int16_t height = static_cast<int16_t>(c->screen.height());
  info->size = {width, height};
  info->cursor = c->screen.cursor();
  info->attributes = c->screen.attribute();
  info->window = {0, 0, static_cast<int16_t>(width - 1), static_cast<int16_t>(height - 1)};
  info->maximum_window_size = {width, height};
  return 1;
}

win_bool standin_fill_characters(win_handle handle, char character, win_dword length,
                                 win_coord start, win_dword* written) {
  terminal_console* c = console_for(handle);
  *written = 0;
  if (c == nullptr) {
    return 0;
  }
  c->screen.fill_bytes(start, length, static_cast<unsigned char>(character));
  render(*c);
  *written = length;
  return 1;
}

win_bool standin_fill_attributes(win_handle handle, win_word attribute, win_dword length,
                                 win_coord start, win_dword* written) {
  terminal_console* c = console_for(handle);
  *written = 0;
  if (c == nullptr) {
    return 0;
  }
  c->screen.fill_attributes(start, length, attribute);
  render(*c);
  *written = length;
  return 1;
}

win_bool standin_title(const char* title) {
  terminal_console* c = console();
  if (c == nullptr) {
    return 0;
  }
  c->screen.set_title(title);
  std::string utf8;
  for (const char* p = title; *p != '\0';) {
    uint16_t code;
    const char* next = sjis_next_char(p, &code);
    if (next == p || code == 0) {
      break;
    }
    unsigned char first = static_cast<unsigned char>(*p);
    utf8 += first >= 0x20 && first < 0x7F ? std::string(1, *p)
                                          : utf8_of(*c, p, static_cast<size_t>(next - p));
    p = next;
  }
  send("\x1b]0;" + utf8 + "\x07");
  return 1;
}

bool standin_console_attached(win_handle handle) {
  return console_for(handle) != nullptr;
}

// Code page 932 as UTF-8, a byte that does not convert as '?', written to standard error.
bool standin_write_plain_text(const char* bytes, size_t count) {
  static iconv_t to_utf8 = iconv_open("UTF-8", "CP932");
  std::string text;
  if (to_utf8 == reinterpret_cast<iconv_t>(-1)) {
    text.assign(bytes, count);
  } else {
    iconv(to_utf8, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    size_t in_left = count;
    while (in_left > 0) {
      char out[256];
      char* out_p = out;
      size_t out_left = sizeof out;
      size_t done = iconv(to_utf8, &in, &in_left, &out_p, &out_left);
      text.append(out, static_cast<size_t>(out_p - out));
      if (done == static_cast<size_t>(-1) && errno != E2BIG) {
        text += '?';  // a byte that is no character, or a character cut at the end
        ++in;
        --in_left;
        iconv(to_utf8, nullptr, nullptr, nullptr, nullptr);
      }
    }
  }
  return send(text);
}

}  // namespace

void set_default_console_calls(platform_calls& calls) {
  calls.GetStdHandle = standin_get_std_handle;
  calls.WriteConsoleA = standin_write;
  calls.SetConsoleTextAttribute = standin_attribute;
  calls.SetConsoleCursorPosition = standin_cursor;
  calls.GetConsoleScreenBufferInfo = standin_info;
  calls.SetConsoleTitleA = standin_title;
  calls.FillConsoleOutputCharacterA = standin_fill_characters;
  calls.FillConsoleOutputAttribute = standin_fill_attributes;
  calls.console_attached = standin_console_attached;
  calls.write_plain_text = standin_write_plain_text;
}

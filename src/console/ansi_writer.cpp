// The escape-sequence writer: plain runs go to WriteConsoleA, sequences become console calls.
// Where standard error is no console (a file, a pipe), the runs go there as plain text and the
// sequences are passed over.
#include <cstring>

#include "console/console.h"
#include "platform/sjis.h"

win_handle console_handle = nullptr;
bool console_is_plain = false;

namespace {

constexpr char escape = 0x1B;
constexpr int max_parameters = 5;
// The working copy's size: longer runs are written in pieces of at most this many bytes.
constexpr size_t piece_size = 2047;
// The clear of a console whose window is not known.
constexpr int clear_rows = 24;
constexpr int clear_columns = 80;

// Colour index to attribute; ANSI's red is bit 0 and the console's bit 2, so the table swaps
// them. Every colour is the intense one.
constexpr win_word colour_table[8][2] = {
    {0x00, 0x00}, {0x0C, 0xC0}, {0x0A, 0xA0}, {0x0E, 0xE0},
    {0x09, 0x90}, {0x0D, 0xD0}, {0x0B, 0xB0}, {0x0F, 0xF0},
};

struct sequence {
  char final = 0;  // 0: none
  int count = 0;
  int32_t parameters[max_parameters] = {};
  bool escape_d = false;
};

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads a decimal number as formatted input's %d does; false when there is none. Values past
// 32 bits saturate instead of overflowing.
bool read_number(const char*& p, int32_t* value) {
  while (is_space(*p)) {
    ++p;
  }
  const char* q = p;
  bool negative = false;
  if (*q == '+' || *q == '-') {
    negative = *q == '-';
    ++q;
  }
  if (*q < '0' || *q > '9') {
    return false;
  }
  int64_t magnitude = 0;
  for (; *q >= '0' && *q <= '9'; ++q) {
    if (magnitude <= INT32_MAX) {
      magnitude = magnitude * 10 + (*q - '0');
    }
  }
  int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT32_MAX) {
    signed_value = INT32_MAX;
  } else if (signed_value < INT32_MIN) {
    signed_value = INT32_MIN;
  }
  *value = static_cast<int32_t>(signed_value);
  p = q;
  return true;
}

// The parameters and final character of a bracketed sequence, from the byte after "[".
void parse_bracketed(const char* p, sequence* s) {
  if (*p == 'm') {
    s->final = 'm';
    return;
  }
  for (int i = 0; i < max_parameters; ++i) {
    int32_t value = 0;
    if (!read_number(p, &value) || *p == '\0') {
      return;  // no number, or the text ends inside the parameters
    }
    char c = *p++;
    s->parameters[i] = value;
    if (c != ';') {
      s->final = c;
      s->count = i + 1;
      return;
    }
  }
}

int16_t low_16(int32_t value) {
  return static_cast<int16_t>(value);
}

int16_t not_below_zero(int32_t value) {
  return value < 0 ? int16_t{0} : static_cast<int16_t>(value);
}

void set_cursor(int16_t column, int16_t row) {
  platform.SetConsoleCursorPosition(console_handle, win_coord{column, row});
}

// Moves relative to the cursor; without a known position there is nothing to move from.
void move_cursor(int32_t columns, int32_t rows) {
  win_screen_buffer_info info;
  if (!platform.GetConsoleScreenBufferInfo(console_handle, &info)) {
    return;
  }
  int32_t column = info.cursor.x + columns;
  int32_t row = info.cursor.y + rows;
  set_cursor(columns < 0 ? not_below_zero(column) : static_cast<int16_t>(column),
             rows < 0 ? not_below_zero(row) : static_cast<int16_t>(row));
}

void write_bytes(const char* bytes, size_t count) {
  if (console_is_plain) {
    platform.write_plain_text(bytes, count);
    return;
  }
  win_dword written = 0;
  platform.WriteConsoleA(console_handle, bytes, static_cast<win_dword>(count), &written, nullptr);
}

// Blanks the console's visible window, whatever its size, in bright white on black, and puts
// the cursor at its top left: the view stays where the user is. Without the window's size, the
// 80 x 24 cells at the top of the buffer.
void clear_screen() {
  win_screen_buffer_info info;
  if (!platform.GetConsoleScreenBufferInfo(console_handle, &info) ||
      info.window.right < info.window.left || info.window.bottom < info.window.top) {
    static const char blanks[clear_columns + 1] =
        "                                                                                ";
    set_cursor(0, 0);
    platform.SetConsoleTextAttribute(console_handle, 0x0F);
    for (int row = 0; row < clear_rows; ++row) {
      write_bytes(blanks, clear_columns);
    }
    set_cursor(0, 0);
    return;
  }
  platform.SetConsoleTextAttribute(console_handle, 0x0F);
  win_dword width = static_cast<win_dword>(info.window.right - info.window.left + 1);
  for (int16_t row = info.window.top; row <= info.window.bottom; ++row) {
    win_dword done = 0;
    platform.FillConsoleOutputCharacterA(console_handle, ' ', width, {info.window.left, row},
                                         &done);
    platform.FillConsoleOutputAttribute(console_handle, 0x0F, width, {info.window.left, row},
                                        &done);
  }
  set_cursor(info.window.left, info.window.top);
}

void set_colour(const sequence& s) {
  int32_t background = 0;
  int32_t colour = 7;
  for (int i = 0; i < s.count; ++i) {
    ansi_sgr(s.parameters[i], &background, &colour);
  }
  platform.SetConsoleTextAttribute(console_handle, ansi_attribute(colour, background));
}

void carry_out(const sequence& s) {
  int32_t p1 = s.parameters[0];
  int32_t p2 = s.parameters[1];
  switch (s.final) {
    case 'A':
      move_cursor(0, -low_16(p1));
      break;
    case 'B':
      move_cursor(0, low_16(p1));
      break;
    case 'C':
      move_cursor(low_16(p1), 0);
      break;
    case 'D':
      if (s.escape_d) {
        move_cursor(0, 1);
      } else {
        move_cursor(-low_16(p1), 0);
      }
      break;
    case 'H':
    case 'f':
      set_cursor(not_below_zero(low_16(p2) - 1), not_below_zero(low_16(p1) - 1));
      break;
    case 'J':
      if (p1 == 2) {
        clear_screen();
      }
      break;
    case 'M':
      move_cursor(0, -1);
      break;
    case '*':
      clear_screen();
      break;
    case 'm':
      set_colour(s);
      break;
    default:
      break;
  }
}

// A plain run: the bytes before the first ESC byte, written as one call (in character-aligned
// pieces when longer than the working copy); the rest resumes at the first ESC character.
const char* write_plain_run(const char* text) {
  const char* end = std::strchr(text, escape);
  size_t length = end == nullptr ? std::strlen(text) : static_cast<size_t>(end - text);
  const char* p = text;
  while (length > 0) {
    size_t piece = length;
    if (piece > piece_size) {
      // Cut after whole characters so no double-byte character straddles two calls.
      const char* q = p;
      uint16_t code;
      while (q < p + length) {
        const char* next = sjis_next_char(q, &code);
        if (next == q || next > p + piece_size) {
          break;
        }
        q = next;
      }
      piece = q > p ? static_cast<size_t>(q - p) : piece_size;
    }
    write_bytes(p, piece);
    p += piece;
    length -= piece;
  }
  return sjis_find_first_char(text, escape);
}

}  // namespace

void ansi_sgr(int32_t parameter, int32_t* background, int32_t* colour) {
  if (parameter == 0) {
    *colour = 7;
    *background = 0;
  } else if (parameter == 7) {
    *background = 1;
  } else if (parameter == 8) {
    *colour = 0;
  } else if (parameter >= 30 && parameter <= 47) {
    *colour = parameter % 10;
    if (parameter >= 40) {
      *background = 1;
    }
  }
}

// Indices 8 and 9 (from 38, 39, 48 is no colour) are shown as the default, white: 0x0F, or
// 0xF0 as background.
win_word ansi_attribute(int32_t colour, int32_t background) {
  int32_t index = colour >= 0 && colour < 8 ? colour : 7;
  return colour_table[index][background != 0 ? 1 : 0];
}

const char* ansi_step(const char* text) {
  if (console_handle == nullptr) {
    console_handle = platform.GetStdHandle(std_error_handle);
    console_is_plain = !platform.console_attached(console_handle);
  }
  if (text[0] != escape) {
    return write_plain_run(text);
  }
  sequence s;
  switch (text[1]) {
    case '*':
      s.final = '*';
      break;
    case 'D':
      s.final = 'D';
      s.escape_d = true;
      break;
    case 'M':
      s.final = 'M';
      break;
    case '[':
      parse_bracketed(text + 2, &s);
      break;
    default:
      break;
  }
  const char* final = nullptr;
  if (s.final != 0) {
    // Plain text has no colours, cursor or screen: the sequence is only passed over.
    if (!console_is_plain) {
      carry_out(s);
    }
    final = sjis_find_first_char(text, static_cast<unsigned char>(s.final));
  }
  if (final != nullptr) {
    return final + 1;
  }
  // No final character to resume after: skip the ESC and the character after it, and write on.
  uint16_t code;
  return sjis_next_char(text + 1, &code);
}

void ansi_write(const char* text) {
  if (text == nullptr) {
    return;
  }
  const char* p = text;
  while (p != nullptr && *p != '\0') {
    p = ansi_step(p);
  }
}

// A model of a console screen buffer: cells of byte and attribute, the cursor, the current
// attribute and the title, changed as the console's own output processing changes them.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

struct screen_cell {
  unsigned char byte = ' ';
  win_word attribute = 0x07;
};

class screen_model {
 public:
  screen_model(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  win_coord cursor() const { return cursor_; }
  win_word attribute() const { return attribute_; }
  const std::string& title() const { return title_; }
  const screen_cell& cell(int column, int row) const { return cells_[index(column, row)]; }
  // The bytes of one row, trailing blanks included.
  std::string row_text(int row) const;

  // Writes bytes at the cursor: LF and CR move it, BS steps back, TAB goes to the next stop,
  // BEL is silent; everything else is a cell. Wraps at the row's end and scrolls at the bottom.
  void write(const char* bytes, size_t count);
  bool set_cursor(win_coord position);
  void set_attribute(win_word attribute) { attribute_ = attribute; }
  void set_title(const char* title) { title_ = title; }
  // Sets `count` cells from `start` on, row after row up to the buffer's end, to `byte` or to
  // `attribute`; the cursor stays.
  void fill_bytes(win_coord start, size_t count, unsigned char byte);
  void fill_attributes(win_coord start, size_t count, win_word attribute);

  // Rows changed since the last call, and forget them.
  std::vector<bool> take_dirty_rows();

 private:
  size_t index(int column, int row) const {
    return static_cast<size_t>(row) * static_cast<size_t>(width_) + static_cast<size_t>(column);
  }
  void put(unsigned char byte);
  void new_line();
  void scroll_up();

  int width_;
  int height_;
  std::vector<screen_cell> cells_;
  std::vector<bool> dirty_;
  win_coord cursor_{0, 0};
  win_word attribute_ = 0x07;
  std::string title_;
  unsigned char pending_lead_ = 0;  // a lead byte whose second byte has not come yet
};

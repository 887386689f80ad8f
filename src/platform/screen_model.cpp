// The console screen-buffer model.
#include "platform/screen_model.h"

#include "platform/sjis.h"

screen_model::screen_model(int width, int height)
    : width_(width),
      height_(height),
      cells_(static_cast<size_t>(width) * static_cast<size_t>(height)),
      dirty_(static_cast<size_t>(height), false) {}

std::string screen_model::row_text(int row) const {
  std::string text;
  for (int column = 0; column < width_; ++column) {
    text += static_cast<char>(cell(column, row).byte);
  }
  return text;
}

bool screen_model::set_cursor(win_coord position) {
  if (position.x < 0 || position.y < 0 || position.x >= width_ || position.y >= height_) {
    return false;
  }
  cursor_ = position;
  pending_lead_ = 0;
  return true;
}

void screen_model::fill_bytes(win_coord start, size_t count, unsigned char byte) {
  if (start.x < 0 || start.y < 0 || start.x >= width_ || start.y >= height_) {
    return;
  }
  for (size_t i = index(start.x, start.y); i < cells_.size() && count > 0; ++i, --count) {
    cells_[i].byte = byte;
    dirty_[i / static_cast<size_t>(width_)] = true;
  }
}

void screen_model::fill_attributes(win_coord start, size_t count, win_word attribute) {
  if (start.x < 0 || start.y < 0 || start.x >= width_ || start.y >= height_) {
    return;
  }
  for (size_t i = index(start.x, start.y); i < cells_.size() && count > 0; ++i, --count) {
    cells_[i].attribute = attribute;
    dirty_[i / static_cast<size_t>(width_)] = true;
  }
}

void screen_model::scroll_up() {
  cells_.erase(cells_.begin(), cells_.begin() + width_);
  cells_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
  dirty_.assign(dirty_.size(), true);
}

void screen_model::new_line() {
  cursor_.x = 0;
  if (cursor_.y + 1 >= height_) {
    scroll_up();
  } else {
    ++cursor_.y;
  }
}

// One cell at the cursor; the console wraps as soon as the row is full.
void screen_model::put(unsigned char byte) {
  screen_cell& target = cells_[index(cursor_.x, cursor_.y)];
  target.byte = byte;
  target.attribute = attribute_;
  dirty_[static_cast<size_t>(cursor_.y)] = true;
  if (++cursor_.x >= width_) {
    new_line();
  }
}

void screen_model::write(const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (pending_lead_ != 0) {
      put(pending_lead_);
      put(byte);
      pending_lead_ = 0;
      continue;
    }
    switch (byte) {
      case '\n':
        new_line();
        break;
      case '\r':
        cursor_.x = 0;
        break;
      case '\b':
        if (cursor_.x > 0) {
          --cursor_.x;
        }
        break;
      case '\t':
        do {
          put(' ');
        } while (cursor_.x % 8 != 0);
        break;
      case '\a':
        break;
      default:
        if (sjis_is_lead_byte(byte)) {
          // A double-byte character never straddles two rows.
          if (cursor_.x == width_ - 1) {
            put(' ');
          }
          pending_lead_ = byte;
        } else {
          put(byte);
        }
        break;
    }
  }
}

std::vector<bool> screen_model::take_dirty_rows() {
  std::vector<bool> rows(static_cast<size_t>(height_), false);
  rows.swap(dirty_);
  return rows;
}

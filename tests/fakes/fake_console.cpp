// The test console.
#include "fakes/fake_console.h"

#include <cstdio>

#include "console/console.h"
#include "platform/platform.h"

fake_console* fake_console::current = nullptr;

namespace {

win_handle const fake_handle = reinterpret_cast<win_handle>(static_cast<uintptr_t>(0xC0DE));

std::string hex(win_word value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
  return text;
}

bool log(const std::string& entry, bool fail = false) {
  fake_console& c = *fake_console::current;
  bool failed = fail || c.fail_all;
  c.calls.push_back(failed ? entry + " (failed)" : entry);
  return !failed;
}

win_handle fake_get_std_handle(win_dword which) {
  log("handle");
  return which == std_error_handle ? fake_handle : nullptr;
}

win_bool fake_write(win_handle handle, const void* bytes, win_dword count, win_dword* written,
                    void*) {
  std::string text(static_cast<const char*>(bytes), count);
  if (!log("write " + text, handle != fake_handle)) {
    return 0;
  }
  fake_console::current->screen.write(text.data(), text.size());
  *written = count;
  return 1;
}

win_bool fake_attribute(win_handle handle, win_word attribute) {
  if (!log("attr " + hex(attribute), handle != fake_handle)) {
    return 0;
  }
  fake_console::current->screen.set_attribute(attribute);
  return 1;
}

win_bool fake_cursor(win_handle handle, win_coord position) {
  std::string entry = "cursor " + std::to_string(position.x) + "," + std::to_string(position.y);
  screen_model& screen = fake_console::current->screen;
  bool inside = position.x >= 0 && position.y >= 0 && position.x < screen.width() &&
                position.y < screen.height();
  if (!log(entry, handle != fake_handle || !inside)) {
    return 0;
  }
  return screen.set_cursor(position) ? 1 : 0;
}

win_bool fake_info(win_handle handle, win_screen_buffer_info* info) {
  fake_console& c = *fake_console::current;
  if (!log("info", handle != fake_handle || c.fail_info)) {
    return 0;
  }
  *info = {};
  info->size = {static_cast<int16_t>(c.screen.width()), static_cast<int16_t>(c.screen.height())};
  info->cursor = c.screen.cursor();
  info->attributes = c.screen.attribute();
  info->window = {0, 0, static_cast<int16_t>(c.screen.width() - 1),
                  static_cast<int16_t>(c.screen.height() - 1)};
  return 1;
}

win_bool fake_fill(win_handle handle, char character, win_dword length, win_coord start,
                   win_dword* written) {
  std::string entry = "fill " + std::to_string(start.x) + "," + std::to_string(start.y) + " " +
                      std::to_string(length) + " '" + std::string(1, character) + "'";
  *written = 0;
  if (!log(entry, handle != fake_handle)) {
    return 0;
  }
  fake_console::current->screen.fill_bytes(start, length, static_cast<unsigned char>(character));
  *written = length;
  return 1;
}

win_bool fake_fill_attribute(win_handle handle, win_word attribute, win_dword length,
                             win_coord start, win_dword* written) {
  std::string entry = "fill-attr " + std::to_string(start.x) + "," + std::to_string(start.y) + " " +
                      std::to_string(length) + " " + hex(attribute);
  *written = 0;
  if (!log(entry, handle != fake_handle)) {
    return 0;
  }
  fake_console::current->screen.fill_attributes(start, length, attribute);
  *written = length;
  return 1;
}

win_bool fake_title(const char* title) {
  if (!log(std::string("title ") + title)) {
    return 0;
  }
  fake_console::current->screen.set_title(title);
  return 1;
}

bool fake_console_attached(win_handle handle) {
  return handle == fake_handle && !fake_console::current->not_a_console;
}

bool fake_plain_text(const char* bytes, size_t count) {
  fake_console::current->plain.append(bytes, count);
  return true;
}

}  // namespace

fake_console::fake_console() {
  current = this;
  console_handle = nullptr;
  platform.GetStdHandle = fake_get_std_handle;
  platform.WriteConsoleA = fake_write;
  platform.SetConsoleTextAttribute = fake_attribute;
  platform.SetConsoleCursorPosition = fake_cursor;
  platform.GetConsoleScreenBufferInfo = fake_info;
  platform.SetConsoleTitleA = fake_title;
  platform.FillConsoleOutputCharacterA = fake_fill;
  platform.FillConsoleOutputAttribute = fake_fill_attribute;
  platform.console_attached = fake_console_attached;
  platform.write_plain_text = fake_plain_text;
}

fake_console::~fake_console() {
  platform_restore_defaults();
  console_handle = nullptr;
  current = nullptr;
}

std::vector<std::string> fake_console::calls_of(const std::string& kind) const {
  std::vector<std::string> found;
  for (const std::string& entry : calls) {
    if (entry.rfind(kind + " ", 0) == 0) {
      found.push_back(entry.substr(kind.size() + 1));
    } else if (entry == kind) {
      found.push_back("");
    }
  }
  return found;
}

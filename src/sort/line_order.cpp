// The Sort phase.
#include "sort/line_order.h"

#include <cstring>

#include "sort/line_table.h"
#include "sort/run_settings.h"

namespace {

void skip_columns(char** table, int32_t count, int32_t skip) {
  for (int32_t i = 0; i < count; ++i) {
    char* p = table[i];
    for (int32_t n = 0; n < skip && *p != '\0'; ++n) {
      ++p;
    }
    table[i] = p;
  }
}

// Every line is preceded by a NUL, so walking back to it finds the line's first byte.
void restore_line_starts(char** table, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    char* p = table[i];
    while (p[-1] != '\0') {
      --p;
    }
    table[i] = p;
  }
}

void fold_keys(char** table, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    for (char* p = table[i]; *p != '\0'; ++p) {
      if (*p >= 'a' && *p <= 'z') {
        *p = static_cast<char>(*p - 0x20);
      }
    }
  }
}

}  // namespace

void order_lines(char** table, int32_t count, int32_t size) {
  if (column_skip > 0) {
    skip_columns(table, count, column_skip);
  }
  size_t data_bytes = static_cast<size_t>(size) + 1;  // with the NUL after the data
  if (fold_case) {
    std::memcpy(spare_buffer, text_buffer, data_bytes);
    fold_keys(table, count);
  }
  sort_entries(table, count);
  if (fold_case) {
    std::memcpy(text_buffer, spare_buffer, data_bytes);
  }
  if (column_skip > 0) {
    restore_line_starts(table, count);
  }
}

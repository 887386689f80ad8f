// The Sort phase.
#include "sort/line_order.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/large_memory.h"
#include "sort/case_fold.h"
#include "sort/line_table.h"
#include "sort/radix_sort.h"
#include "sort/run_settings.h"

namespace {

// Every line is preceded by a NUL, so walking back to it finds the line's first byte.
char* line_start(char* p) {
  while (p[-1] != '\0') {
    --p;
  }
  return p;
}

void restore_line_starts(char** table, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    table[i] = line_start(table[i]);
  }
}

// Copies the data to `copy` as they are, and turns 'a' to 'z' into 'A' to 'Z' in every byte of
// the data, in one pass; only the keys' bytes matter, and the text is restored from the copy
// after the sort.
void copy_and_fold(char* data, char* copy, size_t size) {
  // Without a branch, so the compiler can do sixteen bytes at a time.
  unsigned char* p = reinterpret_cast<unsigned char*>(data);
  unsigned char* q = reinterpret_cast<unsigned char*>(copy);
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = p[i];
    q[i] = c;
    p[i] = fold_byte(c);
  }
}

// A line's length from where the next one starts: the split leaves each line end two bytes
// long. Counted when the neighbour says nothing (the last line, or a table out of that order).
uint32_t line_length(char** table, int32_t count, int32_t i) {
  if (i + 1 < count && table[i + 1] > table[i]) {
    size_t length = static_cast<size_t>(table[i + 1] - table[i]) - 2;
    if (table[i][length] == '\0') {
      return static_cast<uint32_t>(length);
    }
  }
  return static_cast<uint32_t>(std::strlen(table[i]));
}

// The comparator of the sort, equal lines kept in input order: the entries point into the text
// in that order, and the column skip keeps it.
int compare_entries_in_input_order(const void* p, const void* q) {
  int c = entry_compare(p, q);
  if (c != 0) {
    return c;
  }
  const char* a = *static_cast<char* const*>(p);
  const char* b = *static_cast<char* const*>(q);
  return a < b ? -1 : (a > b ? 1 : 0);
}

key_case case_of_keys() {
  if (!fold_case) {
    return key_case::exact;
  }
  return case_tie_break ? key_case::folded_then_exact : key_case::folded;
}

}  // namespace

// The keys are folded in the text over an unfolded copy in a block of its own, where the
// tie-break of compare_folded_then_exact finds it, and the text is restored after.
bool order_by_comparators(char** table, int32_t count, int32_t size) {
  size_t data_bytes = static_cast<size_t>(size) + 1;  // with the NUL after the data
  // Word-wise reads of the copy run past a line's end as they do in the text.
  size_t copy_bytes = data_bytes + buffer_slack;
  char* copy = nullptr;
  if (fold_case) {
    copy = static_cast<char*>(allocate_large(copy_bytes));
    if (copy == nullptr) {
      return false;
    }
    std::memset(copy + data_bytes, 0, buffer_slack);
    text_offset = copy - text_buffer;
    copy_and_fold(text_buffer, copy, data_bytes);
  }
  if (column_skip > 0) {
    for (int32_t i = 0; i < count; ++i) {
      char* p = table[i];
      for (int32_t n = 0; n < column_skip && *p != '\0'; ++n) {
        ++p;
      }
      table[i] = p;
    }
  }
  std::qsort(table, static_cast<size_t>(count), sizeof table[0], compare_entries_in_input_order);
  if (fold_case) {
    std::memcpy(text_buffer, copy, data_bytes);
    release_large(copy, copy_bytes);
    text_offset = 0;
  }
  if (column_skip > 0) {
    restore_line_starts(table, count);
  }
  return true;
}

// Records are made from the table as the split left it, in text order, so the lengths come
// from the neighbours; the column skip then moves each key's start, not the table. The keys are
// folded as the sort reads them: the text is never copied.
bool order_lines(char** table, int32_t count, int32_t size) {
  // The records live in the spare buffer when it is large enough: only their pages of it are
  // ever touched.
  size_t record_bytes = static_cast<size_t>(count) * sizeof(line_record);
  bool in_spare = record_bytes + alignof(line_record) <= spare_size;
  line_record* records = nullptr;
  if (count > 1 && in_spare) {
    uintptr_t aligned = (reinterpret_cast<uintptr_t>(spare_buffer) + alignof(line_record) - 1) /
                        alignof(line_record) * alignof(line_record);
    records = reinterpret_cast<line_record*>(aligned);
  } else if (count > 1) {
    records = static_cast<line_record*>(allocate_large(record_bytes));
  }
  const unsigned char* text = reinterpret_cast<const unsigned char*>(text_buffer);
  uint32_t skip = static_cast<uint32_t>(column_skip);
  bool sorted = false;
  if (records != nullptr) {
    for (int32_t i = 0; i < count; ++i) {
      line_record& r = records[i];
      uint32_t length = line_length(table, count, i);
      uint32_t skipped = length < skip ? length : skip;
      r.offset = static_cast<uint32_t>(table[i] - text_buffer) + skipped;
      r.length = length - skipped;
      r.key = load_key(text, r, 0);
    }
    sorted = radix_sort(records, static_cast<uint32_t>(count), text, case_of_keys(), reverse_order);
  }
  if (sorted) {
    for (int32_t i = 0; i < count; ++i) {
      const line_record& r = records[i];
      // A key that is not empty starts the whole skip into its line, without a read of the
      // line; an empty one may end a shorter line.
      char* start = text_buffer + r.offset;
      if (r.length > 0) {
        start -= skip;
      } else if (skip > 0) {
        start = line_start(start);
      }
      table[i] = start;
    }
  }
  if (records != nullptr && !in_spare) {
    release_large(records, record_bytes);
  }
  if (!sorted && count > 1) {
    return order_by_comparators(table, count, size);
  }
  return true;
}

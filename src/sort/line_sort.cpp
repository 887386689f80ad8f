// The sort step.
#include <algorithm>

#include "sort/line_order.h"
#include "sort/run_settings.h"

// A stable merge sort keeps the order of equal keys the same on every build.
void sort_entries(char** table, int32_t count) {
  std::stable_sort(table, table + count, [](char* const& a, char* const& b) {
    return entry_compare(&a, &b) < 0;
  });
}

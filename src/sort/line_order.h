// Putting the line table into output order.
#pragma once

#include <cstdint>

// The Sort phase: column skip, case folding into the keys, the sort, and the restores, so that
// every entry points at its line's first byte in unfolded text again.
void order_lines(char** table, int32_t count, int32_t size);

// The sort step alone: orders `count` entries of keys by entry_compare.
void sort_entries(char** table, int32_t count);

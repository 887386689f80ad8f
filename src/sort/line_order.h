// Putting the line table into output order.
#pragma once

#include <cstdint>

// The Sort phase on the table as split_lines left it: column skip, case folding into the keys,
// the sort, and the restores, so that every entry points at its line's first byte in unfolded
// text again, in the order of entry_compare.
void order_lines(char** table, int32_t count, int32_t size);

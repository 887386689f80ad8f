// Putting the line table into output order.
#pragma once

#include <cstdint>

// The Sort phase on the table as split_lines left it: column skip, case folding into the keys,
// the sort, and the restores, so that every entry points at its line's first byte in unfolded
// text again, in the order of entry_compare. False when the memory the sort needs cannot be had
// (the table is then as it was).
bool order_lines(char** table, int32_t count, int32_t size);

// The same order by qsort and the comparators, without the sort's records: what order_lines falls
// back to when their memory cannot be had. False when the copy of the text that case folding
// needs cannot be had either.
bool order_by_comparators(char** table, int32_t count, int32_t size);

// The comparators that define the output order.
#pragma once

#include <cstdint>

// Compares two NUL-terminated lines; negative, zero or positive.
using line_comparator = int32_t (*)(const char* a, const char* b);

// Compares the lines that two line-table entries point at, as qsort hands them over.
using entry_comparator = int (*)(const void* p, const void* q);

// Unsigned byte-wise comparison, four bytes at a time; -1, 0 or +1.
int32_t compare_lines(const char* a, const char* b);

// compare_lines of the folded keys, then, when equal, of the unfolded bytes at the same places
// in the spare buffer (text_offset further on).
int32_t compare_folded_then_exact(const char* a, const char* b);

// line_compare of the lines at p and q.
int compare_entries(const void* p, const void* q);

// line_compare of the lines at q and p: the exact reverse order, tie-break included.
int compare_entries_reversed(const void* p, const void* q);

// The check that the output's drive has room for a file as large as the input, and what it
// rests on: the run-time binding of the extended free-space function, the query path, and
// numbers with thousands separators.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// The binding of GetDiskFreeSpaceExA: unbound (all null, 0), bound (module and entry), or
// failed (null, null, -1), which is never retried.
extern win_module kernel_module;
extern free_space_ex_fn free_space_ex;
extern int32_t bind_failed;

// The longest output name and query path the check takes; longer ones leave the free space
// unknown (the check then fails).
size_t output_name_limit();
size_t query_path_limit();

// Prints the free space of the output's drive and the input size in KB, and "\nOutput drive
// err." when the input does not fit; true when it fits. An output that is a device is not
// measured; one whose folder is missing (or whose links lead nowhere) is "\nOutput file open
// err.".
bool check_output_space(const char* output_name, int32_t input_size);

// Free bytes on the directory's drive for the caller, or -1.0 when they cannot be had.
double disk_free_bytes(const char* directory);

// The value rounded (halves to even) and written with "," between groups of three digits.
char* format_thousands(char* out, size_t out_size, double value);

// The path handed to the system for `directory` (at most query_path_limit() bytes with its NUL):
// the directory with a separator added, reduced to its root when the extended function is
// unavailable. False when it does not fit.
bool prepare_root_path(const char* directory, char* query_path, size_t query_size);

// Appends the directory separator unless the name ends in one.
char* append_backslash(char* text, size_t size);

// 1 when free_space_ex can be called, 0 otherwise; binds on the first call.
int32_t bind_free_space_ex();
void unbind_free_space_ex();
free_space_ex_fn free_space_ex_entry();

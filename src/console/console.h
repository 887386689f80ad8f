// Console output: text with ANSI escape sequences carried out as console calls.
#pragma once

// Writes `text` and then a line feed.
void con_print_line(const char* text);

// Formats as printf does and writes the result; adds no line end.
void con_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

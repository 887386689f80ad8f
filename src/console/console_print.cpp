// Printing until the console writer is in place: the text goes to standard error as it is.
#include <cstdarg>
#include <cstdio>

#include "console/console.h"

void con_print_line(const char* text) {
  std::fputs(text, stderr);
  std::fputc('\n', stderr);
}

void con_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

// Console output: text with ANSI escape sequences carried out as console calls.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The console handle of the writer: null until its first step, then standard error's; and
// whether that is no console, so that the text goes there plain, without its sequences.
extern win_handle console_handle;
extern bool console_is_plain;

// Writes a NUL-terminated text (null or empty writes nothing), carrying out its sequences.
void ansi_write(const char* text);

// Handles the plain run or the escape sequence at the start of the non-empty `text`; returns
// where the next piece begins, or null when a plain run was the last piece.
const char* ansi_step(const char* text);

// Applies one colour parameter to the background flag and colour index.
void ansi_sgr(int32_t parameter, int32_t* background, int32_t* colour);

// The console attribute of an ANSI colour index (0 to 7) with the background flag.
win_word ansi_attribute(int32_t colour, int32_t background);

// Writes `text` and then a line feed.
void con_print_line(const char* text);

// Formats as printf does and writes the result; adds no line end.
void con_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Titles the console with the first block and paints the two banner blocks on the current row;
// nothing where standard error is no console.
void show_banner(const char* name, const char* revision_tag, const char* description,
                 const char* date_tag);

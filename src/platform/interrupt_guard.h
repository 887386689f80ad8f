// Removes a temporary file when the process is interrupted while it is being written.
#pragma once

// From now until interrupt_guard_end, SIGINT and SIGTERM (Ctrl-C, Ctrl-Break on Windows)
// remove the file `name` before the process ends as the signal would have ended it.
void interrupt_guard_begin(const char* name);

// Restores the handlers that were in force before interrupt_guard_begin.
void interrupt_guard_end();

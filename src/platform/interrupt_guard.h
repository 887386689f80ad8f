// Lets an interrupted write clean up before the process ends.
#pragma once

// From now until interrupt_guard_end, SIGINT and SIGTERM (and Ctrl-C, Ctrl-Break on Windows)
// are only noted, so that the writer can remove its temporary file first.
void interrupt_guard_begin();

// True once one of the guarded signals has arrived.
bool interrupt_requested();

// Restores the previous handlers; when a signal was noted, ends the process as it would have.
void interrupt_guard_end();

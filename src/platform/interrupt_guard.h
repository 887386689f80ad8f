// Lets an interrupted write clean up before the process ends.
#pragma once

// From now until interrupt_guard_end, the signals that would end the process (Ctrl-C and
// Ctrl-Break on Windows) are only noted, so that the writer can remove its temporary file
// first; SIGXFSZ is ignored, so that a file-size limit fails the write. Signals the caller had
// set to be ignored stay ignored.
void interrupt_guard_begin();

// True once one of the guarded signals has arrived.
bool interrupt_requested();

// Restores the previous handlers; when a signal was noted, raises it again under them: the
// process ends as it would have, or the caller's own handler runs. On Windows it is raised only
// to a handler of the caller's: by default the interrupted write is reported as a failure.
//
// On Windows the console's own events are guarded too: Ctrl-C and Ctrl-Break are noted like
// the signals; closing the window, log-off and shut-down are held until the guard ends.
void interrupt_guard_end();

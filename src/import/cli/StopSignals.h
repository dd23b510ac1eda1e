#pragma once

// The runner's answer to SIGINT, SIGTERM and SIGHUP: the first asks the run to stop after the
// row in hand, the second cuts a wait on a server that does not answer, the third ends the
// program. SIGPIPE is ignored, so a reader that went away costs only its messages.
void CatchStopSignals();

// True once a stop signal arrived.
bool StopRequested();

// The progress line is on the terminal: the stop hint clears it first.
void NoteProgressShown();

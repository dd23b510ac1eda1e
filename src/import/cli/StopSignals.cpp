#include "StopSignals.h"

#include "ServerSockets.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t stopSignal = 0;
volatile std::sig_atomic_t progressShown = 0; // the hint then first clears the progress line

void onStopSignal(int signal)
{
    const int savedErrno = errno; // the code interrupted may be about to read it
    if (stopSignal) {
        // Asked again: a wait on an ASE server that does not answer is not sat out, and a
        // third signal ends the program as it would without this handler.
        ServerSockets::cutAll();
        std::signal(signal, SIG_DFL);
        errno = savedErrno;
        return;
    }
    stopSignal = 1;
    static const char clearLine[] = "\r\033[K";
    static const char hint[] = "tessaloom-import: stopping after the row in hand; interrupt "
                               "again to stop at once.\n";
    if (progressShown)
        (void)!::write(STDERR_FILENO, clearLine, sizeof clearLine - 1);
    (void)!::write(STDERR_FILENO, hint, sizeof hint - 1);
    errno = savedErrno;
}
} // namespace

void CatchStopSignals()
{
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    // A closed terminal asks the run to end as a SIGTERM does.
    std::signal(SIGHUP, onStopSignal);
    // A reader that went away (a pipe into head) costs its messages only: the run and the
    // errors file go on.
    std::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested()
{
    return stopSignal != 0;
}

void NoteProgressShown()
{
    progressShown = 1;
}

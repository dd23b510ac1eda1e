#include "RunnerProgress.h"

#include "StopSignals.h"

#include <unistd.h>

void WireProgressDisplay(ConsoleInteraction& console, const ImportProgress& progress,
                         ErrorsFile* rejected, bool quiet)
{
    console.setOnYield([rejected] {
        if (rejected)
            rejected->flushIfDue();
    });
    if (!quiet && ::isatty(STDERR_FILENO)) {
        console.showProgress(&progress);
        NoteProgressShown();
    }
}

#pragma once

#include "ServerWaits.h"

#include <functional>

class Interaction;

// Makes a call that waits on a server on a thread of its own while this thread keeps yielding
// to its event loop: the window repaints, tells how long the wait has lasted, and can cut it.
// Returns when the call has ended; what the call threw is thrown here.
struct ServerWaitPump
{
    Interaction& interaction;
    // Told now and then while the call waits, with the seconds it has waited so far.
    std::function<void(double seconds)> waiting;
    // Asked after each yield: true cuts every server connection, as a second interrupt does
    // in the runner, so the wait ends at once.
    std::function<bool()> cutWanted;

    void run(const ServerWaits::Call& call) const;
};

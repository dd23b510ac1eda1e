#include "ServerWaitPump.h"

#include "Interaction.h"
#include "ServerSockets.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

void ServerWaitPump::run(const ServerWaits::Call& call) const
{
    using namespace std::chrono;
    // Short enough for a click or a repaint to feel immediate; a call that answers at once
    // costs no yield at all.
    constexpr milliseconds Slice(30);
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread worker([&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_one();
    });
    const auto began = steady_clock::now();
    bool cut = false;
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, Slice, [&] { return done; }))
                break;
        }
        interaction.yield();
        if (waiting)
            waiting(duration<double>(steady_clock::now() - began).count());
        if (!cut && cutWanted && cutWanted()) {
            ServerSockets::cutAll();
            cut = true;
        }
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

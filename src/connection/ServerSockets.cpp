#include "ServerSockets.h"

#include <array>
#include <atomic>
#include <sys/socket.h>

namespace {
// Lock-free slots, as a signal handler may read them at any moment: a socket is kept as its
// number plus one, so that 0, how they start, is free.
std::array<std::atomic<int>, 8> slots{};
std::atomic<bool> cut{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
} // namespace

void ServerSockets::add(int socket) noexcept
{
    if (socket < 0)
        return;
    for (auto& slot : slots) {
        int free = 0;
        if (slot.compare_exchange_strong(free, socket + 1))
            return;
    }
}

void ServerSockets::remove(int socket) noexcept
{
    if (socket < 0)
        return;
    for (auto& slot : slots) {
        int held = socket + 1;
        if (slot.compare_exchange_strong(held, 0))
            return;
    }
}

void ServerSockets::cutAll() noexcept
{
    cut.store(true);
    for (auto& slot : slots)
        if (const int held = slot.load(); held > 0)
            ::shutdown(held - 1, SHUT_RDWR); // async-signal-safe
}

bool ServerSockets::wereCut() noexcept
{
    return cut.load();
}

void ServerSockets::clearCut() noexcept
{
    cut.store(false);
}

#include "SocketWatchdog.h"

#include <sys/socket.h>

SocketWatchdog::SocketWatchdog(int socket, std::chrono::milliseconds deadline) : m_socket(socket)
{
    if (m_socket >= 0)
        m_thread =
            std::thread([this, end = std::chrono::steady_clock::now() + deadline] { run(end); });
}

SocketWatchdog::~SocketWatchdog()
{
    stop();
}

bool SocketWatchdog::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    return m_fired;
}

void SocketWatchdog::run(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    if (m_stopped.wait_until(lock, deadline, [this] { return m_stopping; }))
        return;
    m_fired = true;
    ::shutdown(m_socket, SHUT_RDWR);
}

#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Bounds one blocking call that the client library cannot bound itself: when a TDS 5.0 server
// stops answering while the connection is being closed, the library's logout waits for it
// again and again. If the deadline passes before stop(), the watchdog shuts the socket down,
// so every pending read and write in the library fails at once and the call returns.
// One watchdog watches one call: it is made just before the call and stopped right after.
class SocketWatchdog
{
public:
    // socket < 0 watches nothing.
    SocketWatchdog(int socket, std::chrono::milliseconds deadline);
    ~SocketWatchdog();
    SocketWatchdog(const SocketWatchdog&) = delete;
    SocketWatchdog& operator=(const SocketWatchdog&) = delete;

    // Ends the watch; returns whether the deadline had passed (the socket was shut down).
    bool stop();

private:
    void run(std::chrono::steady_clock::time_point deadline);

    const int m_socket;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    bool m_fired = false;
    std::thread m_thread;
};

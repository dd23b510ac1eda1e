#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

// Client-Library cannot always be stopped by its own timeouts: when a TDS 5.0 server never
// answers, its cancel path waits for the silent server again and again. This watchdog bounds
// every wait instead. While armed, if the deadline passes before disarm(), it shuts down the
// connection's socket, so every pending read and write in the library fails at once and the
// call returns with its own "connection lost" messages.
//
// During the login the socket is not known yet: the watchdog then shuts down the sockets that
// appeared since arming whose peer port is the server's port.
class SocketWatchdog
{
public:
    explicit SocketWatchdog(int serverPort);
    ~SocketWatchdog();
    SocketWatchdog(const SocketWatchdog&) = delete;
    SocketWatchdog& operator=(const SocketWatchdog&) = delete;

    void arm(std::chrono::milliseconds deadline);
    // Returns whether the deadline had passed (the socket was shut down).
    bool disarm();

    // After a successful login: remembers the socket the login made.
    void adoptNewSocket();
    bool hasSocket() const { return m_socket >= 0; }

private:
    void run();
    void shutDownTargets();

    const int m_port;
    int m_socket = -1;
    std::set<int> m_before;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_armed = false;
    bool m_stopping = false;
    bool m_fired = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};

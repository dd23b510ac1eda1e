#include "SocketWatchdog.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int fdLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < 65536)
        return int(limit.rlim_cur);
    return 4096;
}

bool isSocket(int fd)
{
    struct stat info{};
    return fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
}

int peerPort(int fd)
{
    sockaddr_storage peer{};
    socklen_t length = sizeof(peer);
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return -1;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in*>(&peer)->sin_port);
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port);
    return -1;
}

std::set<int> openSockets()
{
    std::set<int> fds;
    const int limit = fdLimit();
    for (int fd = 0; fd < limit; ++fd)
        if (isSocket(fd))
            fds.insert(fd);
    return fds;
}
} // namespace

SocketWatchdog::SocketWatchdog(int serverPort) : m_port(serverPort)
{
    m_thread = std::thread([this] { run(); });
}

SocketWatchdog::~SocketWatchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void SocketWatchdog::arm(std::chrono::milliseconds deadline)
{
    if (m_socket < 0)
        m_before = openSockets();
    {
        std::lock_guard lock(m_mutex);
        m_armed = true;
        m_fired = false;
        m_deadline = std::chrono::steady_clock::now() + deadline;
    }
    m_changed.notify_all();
}

bool SocketWatchdog::disarm()
{
    std::lock_guard lock(m_mutex);
    m_armed = false;
    return m_fired;
}

void SocketWatchdog::adoptNewSocket()
{
    for (int fd : openSockets())
        if (!m_before.count(fd) && peerPort(fd) == m_port) {
            m_socket = fd;
            return;
        }
}

void SocketWatchdog::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_changed.wait(lock, [this] { return m_stopping || m_armed; });
            continue;
        }
        const auto deadline = m_deadline;
        if (m_changed.wait_until(lock, deadline, [this, deadline] {
                return m_stopping || !m_armed || m_deadline != deadline;
            }))
            continue;
        m_fired = true;
        m_armed = false;
        shutDownTargets();
    }
}

void SocketWatchdog::shutDownTargets()
{
    if (m_socket >= 0) {
        ::shutdown(m_socket, SHUT_RDWR);
        return;
    }
    for (int fd : openSockets())
        if (!m_before.count(fd) && peerPort(fd) == m_port)
            ::shutdown(fd, SHUT_RDWR);
}

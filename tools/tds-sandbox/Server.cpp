#include "Server.h"

#include "AseErrors.h"
#include "Database.h"
#include "Session.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sandbox {

Server::Server(Options options) : m_options(std::move(options)) {}

Server::~Server()
{
    m_stopping = true;
    reap(true);
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

bool Server::start(std::string* error)
{
    std::error_code ec;
    std::filesystem::create_directories(m_options.dataDir, ec);
    if (ec) {
        *error = "cannot make " + m_options.dataDir + ": " + ec.message();
        return false;
    }
    std::vector<std::string> names = m_options.databases;
    names.emplace_back("master");
    for (const std::string& name : names) {
        Database db;
        if (!db.open((std::filesystem::path(m_options.dataDir) / (name + ".db")).string(), true,
                     error))
            return false;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(m_options.port));
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(m_listenFd, 64) != 0) {
        *error = "cannot listen on 127.0.0.1:" + std::to_string(m_options.port) + ": " +
                 std::strerror(errno);
        return false;
    }
    socklen_t len = sizeof(addr);
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    return true;
}

void Server::run(int stopFd)
{
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int rc = ::poll(fds, 2, 200);
        if (rc < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        if (fds[0].revents & POLLIN)
            accept();
        reap(false);
    }
    m_stopping = true;
    reap(true);
}

void Server::accept()
{
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    reap(false); // a session that has ended frees its place now
    const auto refusing = size_t(std::count_if(m_connections.begin(), m_connections.end(),
                                               [](const Connection& c) { return c.refused; }));
    const bool refused = m_connections.size() - refusing >= size_t(m_options.maxConnections);
    if (refused && refusing >= MaxRefusing) {
        ::close(fd); // a flood: no thread for each
        return;
    }
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
    // A client that stops reading must not hold its session's thread for ever.
    timeval sendTimeout{15, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof(sendTimeout));
    auto finished = std::make_shared<std::atomic<bool>>(false);
    const int spid = m_nextSpid++;
    if (m_nextSpid > 30000)
        m_nextSpid = 16;
    std::thread thread([fd, spid, finished, refused, this] {
        Session session(fd, m_options, spid, m_stopping);
        if (refused)
            session.refuse(noUserConnections());
        else
            session.run();
        *finished = true;
    });
    m_connections.push_back({fd, std::move(thread), std::move(finished), refused});
}

void Server::reap(bool all)
{
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (all || it->finished->load()) {
            if (all)
                ::shutdown(it->fd, SHUT_RDWR); // wakes a session blocked in send
            it->thread.join();
            // Only this thread closes the sockets, so no session ever sees a reused number.
            ::close(it->fd);
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace sandbox

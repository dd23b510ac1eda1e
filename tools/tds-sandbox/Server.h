#pragma once

#include "Options.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace sandbox {

// Accepts loopback connections and runs one Session thread for each.
class Server
{
public:
    explicit Server(Options options);
    ~Server();

    // Makes the data folder and the listed databases, binds 127.0.0.1. False with *error.
    bool start(std::string* error);
    int port() const { return m_port; }
    // Serves until stopFd becomes readable, then ends every session and returns.
    void run(int stopFd);

    // Connections past the limit still waiting to be refused; more than this are closed unread.
    static constexpr size_t MaxRefusing = 64;

private:
    struct Connection
    {
        int fd;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
        bool refused; // past the limit: its login is answered with 1601
    };
    void accept();
    void reap(bool all);

    Options m_options;
    int m_listenFd = -1;
    int m_port = 0;
    int m_nextSpid = 16;
    std::atomic<bool> m_stopping{false};
    std::vector<Connection> m_connections;
};

} // namespace sandbox

#pragma once

#include "BatchRunner.h"
#include "Options.h"
#include "PacketIo.h"

#include <atomic>
#include <string>

namespace sandbox {

// One client connection from login to logout, on its own thread and SQLite connection.
// The socket is owned by the server; the session only shuts it down when it is done.
class Session
{
public:
    Session(int fd, const Options& options, int spid, const std::atomic<bool>& stopping);
    void run();

private:
    bool login();
    // false when the connection is to end.
    bool serveMessage(const Message& message);
    bool serveBatch(std::string_view batch);
    void reply(TokenWriter& out);
    void replyError(const ServerMessage& message);
    // Reads and ignores everything, cancels too, until the client goes away.
    void staySilent();

    int m_fd;
    const Options& m_options;
    PacketChannel m_channel;
    SessionState m_state;
    bool m_silent = false;
};

} // namespace sandbox

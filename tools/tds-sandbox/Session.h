#pragma once

#include "BatchRunner.h"
#include "Login.h"
#include "Options.h"
#include "PacketIo.h"

#include <atomic>
#include <optional>
#include <string>

namespace sandbox {

// One client connection from login to logout, on its own thread and SQLite connection.
// The socket is owned by the server; the session only shuts it down when it is done.
class Session
{
public:
    Session(int fd, const Options& options, int spid, const std::atomic<bool>& stopping);
    void run();
    // Reads the login and refuses it with `reason` whatever it holds, as ASE refuses logins
    // it has no room for; then closes.
    void refuse(const ServerMessage& reason);

private:
    bool login();
    // The login record, or nullopt when the client sent something else or nothing in time.
    std::optional<LoginRecord> readLogin();
    void refuseLogin(const ServerMessage& reason);
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

#pragma once

#include "BatchRunner.h"
#include "BulkCopy.h"
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
    // The rows of a bulk copy batch (a bulk message after "insert bulk").
    bool serveBulkRows(const Message& message);
    // Runs one step of a bulk copy (its column query, "insert bulk", its rows) under the fault
    // switches that count statements: each step counts as one.
    BatchEnd countedStep(const std::function<void()>& step);
    // Sends what a batch or bulk step answered, or drops or silences the connection.
    bool finishReply(BatchEnd end, TokenWriter& out);
    bool cancelledWhileDelayed();
    void reply(TokenWriter& out);
    void replyError(const ServerMessage& message);
    // Reads and ignores everything, cancels too, until the client goes away.
    void staySilent();

    int m_fd;
    const Options& m_options;
    PacketChannel m_channel;
    SessionState m_state;
    bool m_silent = false;
    BulkCopy m_bulk;
    // The client asked at login for rows of datarows-locked tables in their own format.
    bool m_datarowsBulk = false;
};

} // namespace sandbox

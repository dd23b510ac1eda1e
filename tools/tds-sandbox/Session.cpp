#include "Session.h"

#include "AseErrors.h"

#include <chrono>
#include <cstdio>
#include <sys/socket.h>

namespace sandbox {

namespace {
constexpr std::string_view DefaultDatabase = "master";

namespace token {
constexpr uint8_t Language = 0x21;
constexpr uint8_t Logout = 0x71;
constexpr uint8_t Rpc = 0xE6;
constexpr uint8_t Dynamic = 0xE7;
} // namespace token

// The DOL_BULK request (capability 53): the client sends rows of datarows-locked tables in
// their own format. Request bits are numbered from the last byte of the request block.
bool requestsDatarowsBulk(const std::vector<uint8_t>& capabilities)
{
    constexpr size_t Bit = 53;
    if (capabilities.size() < 2 || capabilities[0] != 1)
        return false;
    const size_t length = capabilities[1];
    if (capabilities.size() < 2 + length || length <= Bit / 8)
        return false;
    return (capabilities[2 + length - 1 - Bit / 8] >> (Bit % 8) & 1) != 0;
}

uint32_t le32(const std::vector<uint8_t>& p, size_t at)
{
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
}
} // namespace

Session::Session(int fd, const Options& options, int spid, const std::atomic<bool>& stopping)
    : m_fd(fd), m_options(options), m_channel(fd, stopping)
{
    m_state.globals.spid = spid;
}

void Session::run()
{
    if (login()) {
        m_channel.setDeadline(std::nullopt);
        while (auto message = m_channel.read())
            if (!serveMessage(*message))
                break;
        if (m_silent)
            staySilent();
    }
    // Whatever the client left open is rolled back, as ASE does when a client goes.
    endSession(m_state);
    ::shutdown(m_fd, SHUT_RDWR);
}

void Session::refuse(const ServerMessage& reason)
{
    if (readLogin())
        refuseLogin(reason);
    ::shutdown(m_fd, SHUT_RDWR);
}

void Session::staySilent()
{
    while (m_channel.read()) {
    }
}

void Session::reply(TokenWriter& out)
{
    m_channel.send(packet::Reply, out.data());
}

void Session::replyError(const ServerMessage& message)
{
    TokenWriter out;
    out.message(message, ServerName);
    out.done(done::Error);
    reply(out);
}

std::optional<LoginRecord> Session::readLogin()
{
    // A connection that never logs in must not hold its place for ever.
    m_channel.setDeadline(std::chrono::steady_clock::now() +
                          std::chrono::seconds(m_options.loginTimeoutSeconds));
    const auto message = m_channel.read();
    // A TDS 7 prelogin probe: closing makes FreeTDS retry with TDS 5.0.
    if (!message || message->type != packet::Login)
        return std::nullopt;
    return parseLogin(message->payload);
}

void Session::refuseLogin(const ServerMessage& reason)
{
    TokenWriter out;
    out.message(reason, ServerName);
    out.loginAck(false);
    out.done(done::Error);
    reply(out);
}

bool Session::login()
{
    const auto record = readLogin();
    if (!record)
        return false;
    if (m_options.delayMs > 0 && m_channel.waitUnlessCancelled(m_options.delayMs))
        return false;
    const bool accepted = !m_options.refuseLogins && !record->encrypted && !record->user.empty() &&
                          record->user == m_options.user && record->password == m_options.password;
    std::string error;
    if (accepted && !m_state.database.open(databasePath(m_options, std::string(DefaultDatabase)),
                                           true, &error)) {
        replyError(
            unsupported("logins while the default database cannot be opened (" + error + ")"));
        return false;
    }
    if (!accepted) {
        refuseLogin(loginFailed());
        return false; // closing at once spares the client a long wait for its logout answer
    }
    TokenWriter out;
    m_state.databaseName = DefaultDatabase;
    out.envChange(1, m_state.databaseName, "");
    out.envChange(2, "us_english", "");
    out.envChange(3, m_options.charset, "");
    out.envChange(4, "512", "512");
    out.loginAck(true);
    if (!record->capabilities.empty())
        out.capability(record->capabilities);
    m_datarowsBulk = requestsDatarowsBulk(record->capabilities);
    out.done(0);
    reply(out);
    return !m_channel.broken();
}

bool Session::serveMessage(const Message& message)
{
    if (message.type == packet::Attention) {
        // The reply it meant to stop has already ended; it still gets its acknowledgement.
        TokenWriter out;
        out.done(done::Attention);
        reply(out);
        return !m_channel.broken();
    }
    if (message.type == packet::Bulk)
        return serveBulkRows(message);
    const std::vector<uint8_t>& p = message.payload;
    if (message.type != packet::Language || p.empty()) {
        replyError(unsupported("this kind of packet"));
        return !m_channel.broken();
    }
    switch (p[0]) {
    case token::Logout: {
        TokenWriter out;
        out.done(0);
        reply(out);
        return false;
    }
    case token::Language: {
        if (p.size() < 6) {
            replyError(unsupported("a language token this short"));
            return !m_channel.broken();
        }
        const uint32_t length = le32(p, 1);
        if (length < 1 || length > p.size() - 5) {
            replyError(unsupported("a language token whose length runs past its packet"));
            return !m_channel.broken();
        }
        if (p[5] & 0x01) {
            replyError(unsupported("language commands with parameters"));
            return !m_channel.broken();
        }
        const std::string_view text(reinterpret_cast<const char*>(p.data()) + 6, length - 1);
        return serveBatch(text);
    }
    case token::Rpc:
        replyError(unsupported("remote procedure calls"));
        return !m_channel.broken();
    case token::Dynamic:
        replyError(unsupported("dynamic SQL"));
        return !m_channel.broken();
    default:
        replyError(unsupported("this request"));
        return !m_channel.broken();
    }
}

bool Session::cancelledWhileDelayed()
{
    return m_options.delayMs > 0 && m_channel.waitUnlessCancelled(m_options.delayMs);
}

bool Session::serveBatch(std::string_view batch)
{
    if (cancelledWhileDelayed()) {
        m_channel.read(); // consume the attention; the DONE below acknowledges it
        TokenWriter out;
        out.done(done::Attention);
        reply(out);
        return !m_channel.broken();
    }
    m_bulk.abandon(); // rows are taken only right after their "insert bulk"
    TokenWriter out;
    BatchEnd end;
    if (const auto table = insertBulkTarget(batch))
        end = countedStep([&] { m_bulk.start(*table, m_state, m_datarowsBulk, out); });
    else if (const auto described = formatOnlyTarget(batch))
        end = countedStep([&] { BulkCopy::describe(*described, m_state, out); });
    else
        end = runBatch(batch, m_state, m_options, out,
                       [this] { return m_channel.attentionArrived(); });
    return finishReply(end, out);
}

bool Session::serveBulkRows(const Message& message)
{
    if (!m_bulk.active()) {
        replyError(unsupported("bulk rows without an \"insert bulk\" command before them"));
        return !m_channel.broken();
    }
    const std::string_view rows(reinterpret_cast<const char*>(message.payload.data()),
                                message.payload.size());
    if (cancelledWhileDelayed()) {
        m_bulk.abandon(); // cancelled before it ran: nothing of the batch is stored
        m_channel.read();
        TokenWriter out;
        out.done(done::Attention);
        reply(out);
        return !m_channel.broken();
    }
    // The statement fault switches see the batch's values as a statement's text.
    std::optional<ServerMessage> injected;
    if (!m_options.abortTranContaining.empty() &&
        rows.find(m_options.abortTranContaining) != std::string_view::npos)
        injected = deadlockVictim(m_state.globals.spid);
    else if (!m_options.rejectContaining.empty() &&
             rows.find(m_options.rejectContaining) != std::string_view::npos)
        injected = rejectedStatement(m_options.rejectContaining);
    TokenWriter out;
    const BatchEnd end = countedStep(
        [&] { m_bulk.load(rows, m_state, m_options.charset == "utf8", injected, out); });
    m_bulk.abandon();
    return finishReply(end, out);
}

BatchEnd Session::countedStep(const std::function<void()>& step)
{
    int& run = m_state.statementsRun;
    if (m_options.closeAfter >= 0 && run >= m_options.closeAfter)
        return BatchEnd::Drop;
    if (m_options.silentAfter >= 0 && run >= m_options.silentAfter)
        return BatchEnd::Silent;
    ++run;
    step();
    if (m_options.answerLostAfter >= 0 && run >= m_options.answerLostAfter)
        return BatchEnd::Drop;
    return BatchEnd::Answered;
}

bool Session::finishReply(BatchEnd end, TokenWriter& out)
{
    if (end == BatchEnd::Drop)
        return false; // the fault switch: drop the connection with this batch unanswered
    if (end == BatchEnd::Silent) {
        m_silent = true;
        // Said, so that a test knows the client now waits on nothing.
        std::printf("silent\n");
        std::fflush(stdout);
        return false;
    }
    if (m_channel.attentionArrived()) {
        m_channel.read();
        out.clear();
        out.done(done::Attention);
    }
    reply(out);
    return !m_channel.broken();
}

} // namespace sandbox

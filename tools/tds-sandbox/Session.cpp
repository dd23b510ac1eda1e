#include "Session.h"

#include "AseErrors.h"
#include "Login.h"
#include "ResultFormat.h"

#include <filesystem>
#include <sys/socket.h>

namespace sandbox {

namespace {
constexpr std::string_view ServerName = "sandbox";
constexpr std::string_view DefaultDatabase = "master";

namespace token {
constexpr uint8_t Language = 0x21;
constexpr uint8_t Logout = 0x71;
constexpr uint8_t Rpc = 0xE6;
constexpr uint8_t Dynamic = 0xE7;
} // namespace token

uint32_t le32(const std::vector<uint8_t>& p, size_t at)
{
    return uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
           uint32_t(p[at + 3]) << 24;
}
} // namespace

Session::Session(int fd, const Options& options, int spid, const std::atomic<bool>& stopping)
    : m_fd(fd), m_options(options), m_channel(fd, stopping)
{
    m_globals.spid = spid;
}

std::string Session::databasePath(const std::string& name) const
{
    return (std::filesystem::path(m_options.dataDir) / (name + ".db")).string();
}

uint16_t Session::transactionBit() const
{
    return m_database.inTransaction() ? done::InTransaction : 0;
}

void Session::run()
{
    if (login()) {
        while (auto message = m_channel.read())
            if (!serveMessage(*message))
                break;
    }
    ::shutdown(m_fd, SHUT_RDWR);
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

bool Session::login()
{
    const auto message = m_channel.read();
    // A TDS 7 prelogin probe: closing makes FreeTDS retry with TDS 5.0.
    if (!message || message->type != packet::Login)
        return false;
    const auto record = parseLogin(message->payload);
    if (!record)
        return false;
    if (m_options.delayMs > 0 && m_channel.waitUnlessCancelled(m_options.delayMs))
        return false;
    const bool accepted = !m_options.refuseLogins && !record->encrypted && !record->user.empty() &&
                          record->user == m_options.user && record->password == m_options.password;
    std::string error;
    if (accepted && !m_database.open(databasePath(std::string(DefaultDatabase)), true, &error)) {
        replyError(
            unsupported("logins while the default database cannot be opened (" + error + ")"));
        return false;
    }
    TokenWriter out;
    if (!accepted) {
        out.message(loginFailed(), ServerName);
        out.loginAck(false);
        out.done(done::Error);
        reply(out);
        return false; // closing at once spares the client a long wait for its logout answer
    }
    m_databaseName = DefaultDatabase;
    out.envChange(1, m_databaseName, "");
    out.envChange(2, "us_english", "");
    out.envChange(3, "utf8", "");
    out.envChange(4, "512", "512");
    out.loginAck(true);
    if (!record->capabilities.empty())
        out.capability(record->capabilities);
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

bool Session::serveBatch(std::string_view batch)
{
    if (m_options.delayMs > 0 && m_channel.waitUnlessCancelled(m_options.delayMs)) {
        m_channel.read(); // consume the attention; the DONE below acknowledges it
        TokenWriter out;
        out.done(done::Attention);
        reply(out);
        return !m_channel.broken();
    }
    const std::vector<std::string_view> statements = splitBatch(batch);
    TokenWriter out;
    if (statements.empty())
        out.done(0);
    auto cancelled = [this] { return m_channel.attentionArrived(); };
    for (size_t i = 0; i < statements.size(); ++i) {
        const uint16_t more = i + 1 < statements.size() ? done::More : 0;
        if (m_options.closeAfter >= 0 && m_statementsRun >= m_options.closeAfter)
            return false; // the fault switch: drop the connection with this batch unanswered
        ++m_statementsRun;
        if (cancelled())
            break;
        const std::string statement(statements[i]);
        if (!m_options.rejectContaining.empty() &&
            statement.find(m_options.rejectContaining) != std::string::npos) {
            out.message(rejectedStatement(m_options.rejectContaining), ServerName);
            out.done(done::Error | transactionBit());
            break;
        }
        const Translation t = translate(statement, m_globals);
        bool failed = false;
        switch (t.kind) {
        case Translation::Ignored:
            out.done(more | transactionBit());
            break;
        case Translation::Use: {
            std::string error;
            if (!Database::isValidName(t.database) ||
                !std::filesystem::exists(databasePath(t.database))) {
                out.message(noSuchDatabase(t.database), ServerName);
                failed = true;
            } else if (!m_database.open(databasePath(t.database), false, &error)) {
                out.message(unsupported("opening " + t.database + ": " + error), ServerName);
                failed = true;
            } else {
                out.envChange(1, t.database, m_databaseName);
                m_databaseName = t.database;
                out.done(more);
            }
            break;
        }
        case Translation::CreateDatabase: {
            std::string error;
            Database created;
            if (!Database::isValidName(t.database)) {
                out.message(aseMessageFor("near \"" + t.database + "\": syntax error", statement),
                            ServerName);
                failed = true;
            } else if (std::filesystem::exists(databasePath(t.database))) {
                out.message(databaseExists(t.database), ServerName);
                failed = true;
            } else if (!created.open(databasePath(t.database), true, &error)) {
                out.message(unsupported("creating " + t.database + ": " + error), ServerName);
                failed = true;
            } else {
                out.done(more);
            }
            break;
        }
        case Translation::Sql: {
            StatementOutcome r = m_database.run(t.sql, statement, cancelled);
            if (r.cancelled)
                break;
            if (r.failed) {
                out.message(r.error, ServerName);
                m_globals.error = r.error.number;
                failed = true;
                break;
            }
            if (r.hasRows) {
                const std::vector<ColumnFormat> formats = chooseFormats(r.columns, r.rows);
                writeRowFormat(out, r.columns, formats);
                for (const auto& row : r.rows)
                    writeRow(out, row, formats);
            }
            m_globals.error = 0;
            m_globals.rowCount = r.count;
            m_globals.inTransaction = m_database.inTransaction();
            out.done(uint16_t(more | (r.countValid ? done::CountValid : 0) | transactionBit()),
                     uint32_t(r.count));
            break;
        }
        }
        if (failed) {
            // Like a batch ASE aborts: the statements after the failing one are not run.
            out.done(done::Error | transactionBit());
            break;
        }
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

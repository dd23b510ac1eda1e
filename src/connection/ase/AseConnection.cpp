#include "AseConnection.h"

#include "AseCursor.h"
#include "AseProvider.h"
#include "Failure.h"
#include "FreeTdsInternals.h"
#include "RowsCursor.h"
#include "ServerSockets.h"
#include "SocketWatchdog.h"

#include <ctpublic.h>
#include <sys/socket.h>

namespace {
AseConnection* owner(CS_CONNECTION* con)
{
    AseConnection* self = nullptr;
    if (con && ct_con_props(con, CS_GET, CS_USERDATA, &self, sizeof(self), nullptr) == CS_SUCCEED)
        return self;
    return nullptr;
}

QString trimmedMessage(const char* text, CS_INT length)
{
    QString s = QString::fromUtf8(text, length >= 0 ? length : qsizetype(qstrlen(text)));
    while (s.endsWith(QLatin1Char('\n')) || s.endsWith(QLatin1Char('\r')))
        s.chop(1);
    return s;
}

// FreeTDS passes its own message numbers through; this one says a wait ran out.
constexpr CS_INT TimeoutMessage = 20003;

CS_RETCODE CS_PUBLIC clientMessage(CS_CONTEXT*, CS_CONNECTION* con, CS_CLIENTMSG* msg)
{
    AseConnection* self = owner(con);
    if (!self)
        return CS_SUCCEED;
    if (msg->msgnumber == TimeoutMessage)
        return self->timeoutStruck();
    // The library's own words ("Read from the server failed") would not say why.
    if (ServerSockets::wereCut())
        self->noteCut();
    self->addMessage(trimmedMessage(msg->msgstring, msg->msgstringlen));
    return CS_SUCCEED;
}

// The conversions the library makes for bulk copy report here, not per connection.
CS_RETCODE CS_PUBLIC libraryMessage(CS_CONTEXT* context, CS_CLIENTMSG* msg)
{
    AseConnection* self = nullptr;
    if (cs_config(context, CS_GET, CS_USERDATA, &self, sizeof(self), nullptr) == CS_SUCCEED && self)
        self->addMessage(trimmedMessage(msg->msgstring, msg->msgstringlen));
    return CS_SUCCEED;
}

CS_RETCODE CS_PUBLIC serverMessage(CS_CONTEXT*, CS_CONNECTION* con, CS_SERVERMSG* msg)
{
    // Severity 10 and below are informational ("Changed database context ...").
    if (msg->severity > 10)
        if (AseConnection* self = owner(con))
            self->addMessage(trimmedMessage(msg->text, msg->textlen));
    return CS_SUCCEED;
}

bool isPortNumber(const QString& port)
{
    bool ok = false;
    const int value = port.toInt(&ok);
    return ok && value > 0 && value < 65536 && port == QString::number(value);
}
} // namespace

namespace {
// A bulk batch holds the rows of many statement batches: one round trip carries them all.
AseBulkLoader::Limits bulkLimits(const SessionOptions& options)
{
    AseBulkLoader::Limits limits;
    if (options.rowsPerBatch > 1)
        limits.rows = options.rowsPerBatch;
    return limits;
}
} // namespace

AseConnection::AseConnection(const SessionOptions& options)
    : m_commandTimeoutWanted(options.commandTimeoutSeconds),
      m_rows(*this, AseRowBatcher::Limits{options.rowsPerBatch > 0 ? options.rowsPerBatch
                                                                   : DefaultRowsPerBatch}),
      m_bulkAllowed(options.rowsPerBatch != 1), m_bulkCopy(bulkLink()),
      m_bulk(
          m_bulkCopy,
          AseBulkLoader::StatementRoad{
              [this](const RowValues& row, const std::optional<QString>& refusal) {
                  submitStatement(row, refusal);
              },
              [this] { endStatements(); }},
          [this](RowOutcome outcome) { m_ready.push_back(std::move(outcome)); },
          bulkLimits(options))
{
}

AseConnection::~AseConnection()
{
    try {
        close();
    } catch (const Failure&) {
    }
}

void AseConnection::fail(const QString& fallback)
{
    const QString text = m_messages.isEmpty() ? fallback : m_messages.join(QStringLiteral("\r\n"));
    m_messages.clear();
    throw Failure(text);
}

void AseConnection::connect(const QString& server, const QString& port, const QString& user,
                            const QString& password, const QString& database)
{
    if (server.isEmpty())
        throw Failure(QStringLiteral("No server name was given."));
    if (ServerSockets::wereCut())
        throw Failure(QStringLiteral("The run was stopped at once: no new connection to the "
                                     "server is made."));
    if (!port.isEmpty() && !isPortNumber(port))
        throw Failure(QStringLiteral("The port \"%1\" is not a TCP port number.").arg(port));
    m_commandTimeout =
        m_commandTimeoutWanted ? *m_commandTimeoutWanted : AseProvider::commandTimeoutSeconds();
    if (cs_ctx_alloc(CS_VERSION_100, &m_context) != CS_SUCCEED || !m_context)
        throw Failure(QStringLiteral("The Client-Library context cannot be created."));
    if (ct_init(m_context, CS_VERSION_100) != CS_SUCCEED)
        throw Failure(QStringLiteral("The Client-Library cannot be initialised."));
    ct_callback(m_context, nullptr, CS_SET, CS_CLIENTMSG_CB,
                reinterpret_cast<CS_VOID*>(&clientMessage));
    ct_callback(m_context, nullptr, CS_SET, CS_SERVERMSG_CB,
                reinterpret_cast<CS_VOID*>(&serverMessage));
    AseConnection* self = this;
    cs_config(m_context, CS_SET, CS_USERDATA, &self, sizeof(self), nullptr);
    cs_config(m_context, CS_SET, CS_MESSAGE_CB, reinterpret_cast<CS_VOID*>(&libraryMessage),
              CS_UNUSED, nullptr);
    CS_INT loginTimeout = AseProvider::LoginTimeoutSeconds;
    ct_config(m_context, CS_SET, CS_LOGIN_TIMEOUT, &loginTimeout, CS_UNUSED, nullptr);
    if (m_commandTimeout > 0) {
        CS_INT commandTimeout = m_commandTimeout;
        ct_config(m_context, CS_SET, CS_TIMEOUT, &commandTimeout, CS_UNUSED, nullptr);
    }

    if (ct_con_alloc(m_context, &m_connection) != CS_SUCCEED)
        throw Failure(QStringLiteral("The Client-Library connection cannot be created."));
    ct_con_props(m_connection, CS_SET, CS_USERDATA, &self, sizeof(self), nullptr);
    // Bulk copy is refused on a connection that did not ask for it at login.
    CS_BOOL bulkLogin = CS_TRUE;
    ct_con_props(m_connection, CS_SET, CS_BULK_LOGIN, &bulkLogin, CS_UNUSED, nullptr);

    const QByteArray userBytes = user.toUtf8();
    const QByteArray passwordBytes = password.toUtf8();
    const QByteArray databaseBytes = database.toUtf8();
    const QByteArray appName("Tessaloom");
    ct_con_props(m_connection, CS_SET, CS_USERNAME, const_cast<char*>(userBytes.constData()),
                 CS_NULLTERM, nullptr);
    ct_con_props(m_connection, CS_SET, CS_PASSWORD, const_cast<char*>(passwordBytes.constData()),
                 CS_NULLTERM, nullptr);
    ct_con_props(m_connection, CS_SET, CS_APPNAME, const_cast<char*>(appName.constData()),
                 CS_NULLTERM, nullptr);
    CS_INT tdsVersion = CS_TDS_50;
    ct_con_props(m_connection, CS_SET, CS_TDS_VERSION, &tdsVersion, CS_UNUSED, nullptr);
    if (!database.isEmpty())
        ct_con_props(m_connection, CS_SET, CS_DATABASE,
                     const_cast<char*>(databaseBytes.constData()), CS_NULLTERM, nullptr);
    // The library would otherwise take the client's side from the process locale: under
    // LC_ALL=C it reads our UTF-8 as Latin-1 and the server stores every accent doubled. Set
    // here, it wins over freetds.conf and the environment.
    char clientCharset[] = "UTF-8";
    ct_con_props(m_connection, CS_SET, CS_CLIENTCHARSET, clientCharset, CS_NULLTERM, nullptr);

    m_address = port.isEmpty() ? server : server + QLatin1Char(':') + port;
    const QByteArray address = m_address.toUtf8();
    m_messages.clear();
    m_phase = Phase::Login;
    const bool connected =
        ct_connect(m_connection, const_cast<char*>(address.constData()), CS_NULLTERM) == CS_SUCCEED;
    m_phase = connected ? Phase::Open : Phase::Idle;
    if (!connected) {
        // The library's own messages ("Unknown host machine name.") do not say which name.
        m_messages.prepend(QStringLiteral("The login to the server %1 failed.").arg(m_address));
        fail(QString());
    }
    m_connected = true;
    m_socket = FreeTdsInternals::socketOf(m_connection);
    ServerSockets::add(m_socket);
    if (ServerSockets::wereCut() && m_socket >= 0) // asked for while the login ran
        ::shutdown(m_socket, SHUT_RDWR);
    m_charset = std::make_unique<ServerCharset>(FreeTdsInternals::serverCharsetOf(m_connection));
}

void AseConnection::noteCut()
{
    const QString note =
        QStringLiteral("The run was stopped at once: the connection to the server was cut.");
    if (!m_messages.contains(note))
        m_messages << note;
}

int AseConnection::timeoutStruck()
{
    switch (m_phase) {
    case Phase::Login:
        // Failing the wait here would enter the library's cancel path, which during a login
        // logs out and waits for the silent server again, without end. Shutting the socket
        // down and waiting on makes the next wait fail at once instead.
        if (const int socket = FreeTdsInternals::socketOf(m_connection); socket >= 0)
            ::shutdown(socket, SHUT_RDWR);
        m_messages.prepend(QStringLiteral("The server did not answer the login within %1 seconds.")
                               .arg(AseProvider::LoginTimeoutSeconds));
        return CS_SUCCEED;
    case Phase::Open:
        // Answering CS_FAIL while a command runs ends that wait cleanly: the command fails and
        // the library gives the connection up.
        m_messages.prepend(
            QStringLiteral(
                "The server did not answer within %1 seconds; the connection was closed.")
                .arg(m_commandTimeout));
        return CS_FAIL;
    case Phase::Idle:
    case Phase::Closing:
        break;
    }
    return CS_SUCCEED; // closing is bounded by the socket watchdog
}

void AseConnection::finishPending()
{
    if (auto pending = m_pending.lock())
        pending->close();
    m_pending.reset();
}

CS_COMMAND* AseConnection::send(const QString& statement)
{
    if (m_connected && !m_broken)
        m_charset->check(statement);
    return transmit(statement.toUtf8());
}

CS_COMMAND* AseConnection::transmit(const QByteArray& text)
{
    if (!m_connected)
        throw Failure(QStringLiteral("Operation is not allowed when the object is closed."));
    if (m_broken)
        throw Failure(QStringLiteral("The connection to the server was lost."));
    finishPending();
    m_messages.clear();
    CS_COMMAND* cmd = nullptr;
    if (ct_cmd_alloc(m_connection, &cmd) != CS_SUCCEED)
        fail(QStringLiteral("The command cannot be created: the connection is lost."));
    if (ct_command(cmd, CS_LANG_CMD, const_cast<char*>(text.constData()), CS_INT(text.size()),
                   CS_UNUSED) != CS_SUCCEED ||
        ct_send(cmd) != CS_SUCCEED) {
        dropCommand(cmd);
        fail(QStringLiteral("The statement could not be sent: the connection is lost."));
    }
    return cmd;
}

void AseConnection::dropCommand(CS_COMMAND* cmd)
{
    if (!cmd)
        return;
    if (ct_cmd_drop(cmd) != CS_SUCCEED) {
        ct_cancel(nullptr, cmd, CS_CANCEL_ALL);
        ct_cmd_drop(cmd);
    }
}

void AseConnection::execute(const QString& statement)
{
    endBulk();
    m_rows.flush();
    CS_COMMAND* cmd = send(statement);
    bool failed = false;
    CS_INT resultType = 0;
    CS_RETCODE rc;
    while ((rc = ct_results(cmd, &resultType)) == CS_SUCCEED) {
        switch (resultType) {
        case CS_CMD_FAIL:
            failed = true;
            break;
        case CS_ROW_RESULT:
        case CS_STATUS_RESULT:
        case CS_PARAM_RESULT:
        case CS_COMPUTE_RESULT:
            ct_cancel(nullptr, cmd, CS_CANCEL_CURRENT);
            break;
        default:
            break;
        }
    }
    if (rc != CS_END_RESULTS) {
        failed = true;
        ct_cancel(nullptr, cmd, CS_CANCEL_ALL);
    }
    dropCommand(cmd);
    if (failed || !m_messages.isEmpty())
        fail(isAlive() ? QStringLiteral("The server rejected the statement.")
                       : QStringLiteral("The connection to the server was lost."));
}

std::shared_ptr<Cursor> AseConnection::query(const QString& statement)
{
    endBulk();
    m_rows.flush();
    CS_COMMAND* cmd = send(statement);
    auto cursor = std::make_shared<AseCursor>(*this, cmd);
    cursor->start();
    m_pending = cursor;
    return cursor;
}

bool AseConnection::isAlive() const
{
    if (!m_connected || !m_connection || m_broken)
        return false;
    CS_INT status = 0;
    if (ct_con_props(m_connection, CS_GET, CS_CON_STATUS, &status, CS_UNUSED, nullptr) !=
        CS_SUCCEED)
        return false;
    return !(status & CS_CONSTAT_DEAD);
}

void AseConnection::close()
{
    // What was sent is committed before the connection goes.
    if (m_connected) {
        endBulk();
        m_rows.flush();
    }
    m_bulkCopy.release();
    finishPending();
    if (m_connection) {
        if (m_connected) {
            ServerSockets::remove(m_socket);
            m_socket = -1;
            m_phase = Phase::Closing;
            SocketWatchdog watchdog(FreeTdsInternals::socketOf(m_connection),
                                    std::chrono::seconds(AseProvider::LoginTimeoutSeconds));
            if (ct_close(m_connection, CS_UNUSED) != CS_SUCCEED)
                ct_close(m_connection, CS_FORCE_CLOSE);
            watchdog.stop();
        }
        ct_con_drop(m_connection);
        m_connection = nullptr;
    }
    m_connected = false;
    m_phase = Phase::Idle;
    if (m_context) {
        ct_exit(m_context, CS_FORCE_EXIT);
        cs_ctx_drop(m_context);
        m_context = nullptr;
    }
}

#pragma once

#include "AseRowBatcher.h"
#include "SessionProvider.h"
#include "StatementChannel.h"

#include <QString>
#include <QStringList>

#include <memory>

class SocketWatchdog;
struct _cs_context;
struct _cs_connection;
struct _cs_command;

// One Client-Library connection and the messages its callbacks collected. Rows go out in
// batches (see AseRowBatcher); every other statement first ends what the rows left open.
class AseConnection : public SessionProvider, private StatementChannel
{
public:
    // rowsPerBatch: statements per round trip; 1 sends each alone, without transactions.
    explicit AseConnection(int rowsPerBatch = DefaultRowsPerBatch);
    ~AseConnection() override;

    // Throws Failure.
    void connect(const QString& server, const QString& port, const QString& user,
                 const QString& password, const QString& database);

    void execute(const QString& statement) override;
    std::shared_ptr<Cursor> query(const QString& statement) override;
    std::shared_ptr<Cursor> tablesSchema() override;
    void close() override;
    bool isAlive() const override;
    void submitRow(const RowStatement& row) override;
    std::vector<RowOutcome> takeOutcomes() override;
    void flushRows() override;

    static constexpr int DefaultRowsPerBatch = 1000;

    // Called by the message callbacks.
    void addMessage(const QString& text) { m_messages << text; }

private:
    friend class AseCursor;
    [[noreturn]] void fail(const QString& fallback);
    _cs_command* send(const QString& statement);
    void finishPending();
    void dropCommand(_cs_command* cmd);
    // Bounds one exchange with the server (see SocketWatchdog).
    void armCommandDeadline();
    void endCommandDeadline();
    BatchAnswer exchange(const QStringList& statements) override;
    std::optional<qint64> firstValue(_cs_command* cmd);

    _cs_context* m_context = nullptr;
    _cs_connection* m_connection = nullptr;
    bool m_connected = false;
    std::unique_ptr<SocketWatchdog> m_watchdog;
    QStringList m_messages;
    std::weak_ptr<Cursor> m_pending;
    bool m_broken = false; // a batch got no complete answer: nothing more goes out
    AseRowBatcher m_rows;
};

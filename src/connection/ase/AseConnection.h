#pragma once

#include "AseBulkCopy.h"
#include "AseBulkLoader.h"
#include "AseRowBatcher.h"
#include "ConnectionSettings.h"
#include "ServerCharset.h"
#include "SessionProvider.h"
#include "StatementChannel.h"

#include <memory>
#include <QString>
#include <QStringList>

struct _cs_context;
struct _cs_connection;
struct _cs_command;

// One Client-Library connection and the messages its callbacks collected. Rows go out in
// batches of statements (see AseRowBatcher), or by bulk copy where the run allows it and the
// table suits (see AseBulkLoader); every other statement first ends what the rows left open.
class AseConnection : public SessionProvider, private StatementChannel
{
public:
    explicit AseConnection(const SessionOptions& options = {});
    ~AseConnection() override;

    // An empty port hands the server name to FreeTDS alone, so a freetds.conf or interfaces
    // entry of that name resolves with its own host, port and settings. Throws Failure.
    void connect(const QString& server, const QString& port, const QString& user,
                 const QString& password, const QString& database);

    void execute(const QString& statement) override;
    std::shared_ptr<Cursor> query(const QString& statement) override;
    std::shared_ptr<Cursor> tablesSchema() override;
    std::vector<ColumnType> columnTypes(const QString& table) override;
    void close() override;
    bool isAlive() const override;
    // In the set the server announced at login.
    qsizetype storedLength(QByteArrayView utf8) const override
    {
        return m_charset->encodedLength(utf8, 0);
    }
    void submitRow(const RowValues& row) override;
    std::vector<RowOutcome> takeOutcomes() override;
    void flushRows() override;

    static constexpr int DefaultRowsPerBatch = 1000;

    // The character set the server announced at login; every statement is checked against it
    // before it is sent.
    const ServerCharset& serverCharset() const { return *m_charset; }

    // Called by the message callbacks.
    void addMessage(const QString& text) { m_messages << text; }
    // Says once why the connection went, when the run cut it.
    void noteCut();
    // The library's own timeout struck; returns the callback's answer (see the .cpp).
    int timeoutStruck();

private:
    friend class AseCursor;
    enum class Phase
    {
        Idle,
        Login,
        Open,
        Closing
    };

    [[noreturn]] void fail(const QString& fallback);
    // Checks the statement against the server's character set, then sends it.
    _cs_command* send(const QString& statement);
    // Sends a text (UTF-8) whose statements were each checked already.
    _cs_command* transmit(const QByteArray& statement);
    void finishPending();
    void dropCommand(_cs_command* cmd);
    BatchAnswer exchange(const QByteArrayList& statements) override;
    BatchAnswer exchangeHere(const QByteArrayList& statements);
    // Why a row cannot go to this server at all: a value too long for a statement.
    std::optional<QString> fieldRefusal(const RowValues& row) const;
    // The most bytes of a value a statement may carry: ASE keeps no more of a literal (a
    // longer value needs writetext) and says nothing about what it cuts.
    static constexpr qsizetype MaxValueBytes = 16384;
    std::optional<qint64> firstValue(_cs_command* cmd);
    // Makes the server fail a value too long for a character column among columns.
    void refuseCutStrings(const std::vector<ColumnType>& columns);

    // AseBulkRoad.cpp: rows by bulk copy, in order with those by statement.
    void submitStatement(const RowValues& row, std::optional<QString> refusal);
    // Ends the rows held by bulk copy or by statement, so that the other road may go on.
    void endBulk();
    void endStatements();
    // The client's own checks of a row, as on either road.
    std::optional<QString> clientRefusal(const RowValues& row) const;
    AseBulkCopy::Link bulkLink();
    bool allPagesLocked(const QString& table);

    _cs_context* m_context = nullptr;
    _cs_connection* m_connection = nullptr;
    bool m_connected = false;
    int m_socket = -1; // while connected, for a stop at once
    Phase m_phase = Phase::Idle;
    QString m_address;
    std::optional<int> m_commandTimeoutWanted;
    int m_commandTimeout = 0;
    std::unique_ptr<ServerCharset> m_charset = std::make_unique<ServerCharset>();
    QStringList m_messages;
    std::weak_ptr<Cursor> m_pending;
    bool m_refusesCutStrings = false; // "set string_rtruncation on" was sent
    bool m_broken = false;            // a batch got no complete answer: nothing more goes out
    AseRowBatcher m_rows;
    const bool m_bulkAllowed; // not with one statement per round trip
    AseBulkCopy m_bulkCopy;
    AseBulkLoader m_bulk;
    std::vector<RowOutcome> m_ready; // outcomes of both roads, in order
};

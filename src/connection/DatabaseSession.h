#pragma once

#include "ConnectionSettings.h"
#include "SessionProvider.h"

#include <functional>
#include <memory>
#include <QString>
#include <vector>

// A database session opened with the connection values. A server beginning with "file:" is an
// embedded SQLite database at that path; any other reaches Sybase ASE over TDS 5.0.
// Every failure is a Failure carrying the provider's description text.
class DatabaseSession
{
public:
    DatabaseSession();
    ~DatabaseSession();
    DatabaseSession(const DatabaseSession&) = delete;
    DatabaseSession& operator=(const DatabaseSession&) = delete;

    void open(const ConnectionSettings& settings, const SessionOptions& options = {});
    bool isOpen() const { return m_provider != nullptr; }
    // False once the session's connection is known to be lost.
    bool isAlive() const { return m_provider && m_provider->isAlive(); }
    // How many bytes a UTF-8 value takes in the database's character set (the server's, on ASE).
    qsizetype storedLength(QByteArrayView utf8) const
    {
        return m_provider ? m_provider->storedLength(utf8) : utf8.size();
    }
    // Runs one statement text at once; a rejection is a Failure with the server's text.
    // Rows held back by submitRow() are sent and ended first.
    void execute(const QString& statement);
    // The column types of a table, read from the database's catalogue; empty when the table is
    // unknown.
    std::vector<ColumnType> columnTypes(const QString& table);
    // Hands over one row for its table. The provider may answer it later; every row gets one
    // outcome, in submission order, through takeOutcomes().
    void submitRow(const RowValues& row);
    // The outcomes that are final now.
    std::vector<RowOutcome> takeOutcomes();
    // Sends and ends every row held back; afterwards each submitted row has its outcome.
    void flushRows();
    // Closes the session and every result set opened on it. Throws only when work that was
    // reported as done could not be kept (the embedded database's final commit failed).
    void close();

private:
    friend class ResultSet;
    SessionProvider& provider();
    void track(const std::shared_ptr<Cursor>& cursor);

    std::unique_ptr<SessionProvider> m_provider;
    std::vector<std::weak_ptr<Cursor>> m_cursors;
};

// A result set opened on a session: a query's rows or the tables schema.
class ResultSet
{
public:
    // Opens "source" (a SELECT text) on the session; rows are read forward.
    void open(const QString& source, DatabaseSession& session);
    // The tables schema (schema number 20): fields TABLE_TYPE and TABLE_NAME.
    void openTablesSchema(DatabaseSession& session);

    bool isOpen() const { return m_cursor != nullptr && m_cursor->isOpen(); }
    int fieldCount() const;
    bool eof() const;
    QString value(const QString& field) const;
    void moveNext();
    void close();

private:
    void attach(std::shared_ptr<Cursor> cursor, DatabaseSession& session);
    const Cursor& cursor() const;

    std::shared_ptr<Cursor> m_cursor;
    bool m_atEnd = true;
};

// Makes the session objects; tests put a failing one in its place.
using SessionFactory = std::function<std::unique_ptr<DatabaseSession>()>;
SessionFactory defaultSessionFactory();

#pragma once

#include "SessionProvider.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>

#include "InsertShape.h"

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The embedded database: an SQLite file in WAL mode.
//
// Statements are grouped into transactions committed at most about 100 ms (or 5000 statements)
// apart and at close,
// so a row does not cost a disk flush of its own; each statement still succeeds or fails on
// its own. When SQLite answers an error by rolling back the whole transaction (disk full, I/O
// error), the statements of that transaction that had already succeeded are run again, and
// if that is impossible the failure says how many were lost: a reported success is never
// dropped silently.
class SqliteProvider : public SessionProvider
{
public:
    static std::unique_ptr<SessionProvider> open(const QString& path);
    ~SqliteProvider() override;

    void execute(const QString& statement) override;
    std::shared_ptr<Cursor> query(const QString& statement) override;
    std::shared_ptr<Cursor> tablesSchema() override;
    void close() override;

    static constexpr int CommitIntervalMs = 100;
    // Also committed after this many statements, so the statements kept for a replay stay few
    // and memory does not depend on how fast rows arrive.
    static constexpr size_t MaxStatementsPerTransaction = 5000;

private:
    explicit SqliteProvider(sqlite3* db);
    [[noreturn]] void fail(const QString& context);
    void runGeneral(const QString& statement);
    bool runInsertFast(const QString& statement);
    sqlite3_stmt* insertStatement(QStringView table, size_t valueCount);
    sqlite3_stmt* preparedInsert(QStringView table, size_t valueCount);
    void beginIfNeeded();
    void commitIfDue();
    bool tryCommit();
    // The final commit: tries a few times, then gives up and says how much was lost.
    void commit();
    void recoverRolledBack();
    void finalizeCached();

    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
    QElapsedTimer m_transactionAge;
    QString m_lastCommitError;
    // Statements that succeeded inside the open transaction, kept to run again if SQLite
    // rolls the transaction back. Implicitly shared with the caller's text: no copy.
    std::vector<QString> m_doneInTransaction;
    QHash<QString, sqlite3_stmt*> m_inserts;
    // Reused for every row, so a row costs no allocation.
    InsertShape m_shape;
    sqlite3_stmt* m_lastInsert = nullptr;
    size_t m_lastValueCount = 0;
    QString m_lastTable;
    std::string m_valueBytes;
    std::vector<size_t> m_valueEnds;
};

#pragma once

#include "BoundInserts.h"
#include "PendingRows.h"
#include "SessionProvider.h"

#include <memory>
#include <QElapsedTimer>
#include <QString>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The embedded database: an SQLite file in WAL mode.
//
// Statements run through execute() are grouped into transactions committed at most about
// 100 ms (or 5000 statements) apart and at close, so a statement does not cost a disk flush of
// its own; each still succeeds or fails on its own. When SQLite answers an error by rolling back
// the whole transaction (disk full, I/O error), the statements of that transaction that had
// already succeeded are run again, and if that is impossible the failure says how many were
// lost: a reported success is never dropped silently.
//
// Rows are bound to an INSERT prepared once per table and held in transactions of their own,
// committed about a second apart (sooner when they hold many rows or bytes) and whenever the
// caller needs them ended. A row's outcome is given only when its transaction ends. When SQLite
// rolls a transaction back, its rows are run again from the compact copy held for that; when it
// cannot be committed after one more try, its rows are answered as not loaded with the
// database's own text, marked as rows the database could not keep.
class SqliteProvider : public SessionProvider
{
public:
    static std::unique_ptr<SessionProvider> open(const QString& path);
    ~SqliteProvider() override;

    void execute(const QString& statement) override;
    std::shared_ptr<Cursor> query(const QString& statement) override;
    std::shared_ptr<Cursor> tablesSchema() override;
    std::vector<ColumnType> columnTypes(const QString& table) override;
    void close() override;

    void submitRow(const RowValues& row) override;
    void flushRows() override { endRows(); }

    static constexpr int CommitIntervalMs = 100;
    // Also committed after this many statements, so the statements kept for a replay stay few
    // and memory does not depend on how fast statements arrive.
    static constexpr size_t MaxStatementsPerTransaction = 5000;
    static constexpr int RowCommitIntervalMs = 1000;
    // Bound what a transaction holds to be run again and the outcomes handed over at its end.
    static constexpr std::int64_t MaxRowsPerTransaction = 1 << 16;
    static constexpr size_t MaxHeldBytes = 4 << 20;

private:
    explicit SqliteProvider(sqlite3* db);
    [[noreturn]] void fail(const QString& context);
    // Runs every statement of a text; returns SQLite's result code and, on failure, its text.
    int runText(const QByteArray& utf8, QString& error);
    void runGeneral(const QString& statement);
    void beginIfNeeded();
    void commitIfDue();
    bool tryCommit();
    // The final commit: tries a few times, then gives up and says how much was lost.
    void commit();
    void recoverRolledBack();

    bool beginRows();
    // Runs a row; one that succeeds is held for its transaction's end.
    // Steps a bound INSERT and readies it for the next row; SQLITE_OK when it succeeded.
    int stepBound(sqlite3_stmt* statement, QString& error);
    int runRow(const RowValues& row, QString& error);
    int runRowText(const RowValues& row, const QByteArray& text, QString& error);
    // The row's INSERT text, its values in their columns' forms when it has column types.
    static QByteArray typedText(const RowValues& row);
    // True when a value of the row goes as NULL (see FormOf).
    // Holds a row that succeeded as its text, to be run again as that.
    void keepAsText(const RowValues& row, const QByteArray& text);
    // Runs the held rows again in a new transaction after SQLite rolled theirs back.
    bool runAgain();
    void rowFailed(const RowValues& row, int code, const QString& error);
    // Commits the rows' transaction, trying once more; when that fails too, its rows are lost.
    void endRows();
    void loseRows(const QString& description);
    void answerAlone(std::int64_t ticket, const QString& description);

    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
    QElapsedTimer m_transactionAge;
    QString m_lastCommitError;
    // Statements that succeeded inside the open transaction, kept to run again if SQLite
    // rolls the transaction back. Implicitly shared with the caller's text: no copy.
    std::vector<QString> m_doneInTransaction;
    BoundInserts m_inserts;
    PendingRows m_pending;
    unsigned m_rowsSinceClockCheck = 0;
};

// The row path of SqliteProvider: rows bound to a prepared INSERT, held in transactions of their
// own and answered when those end.
#include "ColumnValues.h"
#include "Failure.h"
#include "InsertText.h"
#include "SqliteCalls.h"
#include "SqliteProvider.h"

#include <algorithm>

namespace {
// Failures that belong to the row itself; anything else says the database cannot take rows now.
bool rowsOwnFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_ERROR:
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
        return true;
    default:
        return false;
    }
}
} // namespace

void SqliteProvider::submitRow(const RowValues& row)
{
    if (!m_db) {
        answerAlone(row.ticket,
                    QStringLiteral("Operation is not allowed when the object is closed."));
        return;
    }
    if (m_inTransaction && !m_doneInTransaction.empty()) {
        // Statements reported as done come first, in a transaction of their own.
        try {
            commit();
        } catch (const Failure& failure) {
            answerAlone(row.ticket, failure.description());
            return;
        }
    }
    if (!beginRows()) {
        answerAlone(row.ticket, errorText(m_db));
        return;
    }
    // A value its column cannot hold fails its row alone, in its place among the others.
    std::optional<QString> refusal;
    if (row.columns)
        refusal = ValueRefusal(*row.columns, row.fields);
    QString error;
    const int rc = refusal ? SQLITE_OK : runRow(row, error);
    if (refusal)
        m_pending.rejected(row.ticket, *refusal);
    else if (rc != SQLITE_OK)
        rowFailed(row, rc, error);
    // The clock is read now and then only: a row costs less than reading it.
    if (m_inTransaction &&
        (m_pending.count() >= MaxRowsPerTransaction || m_pending.heldBytes() >= MaxHeldBytes ||
         ((++m_rowsSinceClockCheck & 63) == 0 &&
          m_transactionAge.elapsed() >= RowCommitIntervalMs)))
        endRows();
}

bool SqliteProvider::beginRows()
{
    if (m_inTransaction)
        return true;
    if (runPlain(m_db, "BEGIN") != SQLITE_OK)
        return false;
    m_inTransaction = true;
    m_transactionAge.start();
    return true;
}

int SqliteProvider::stepBound(sqlite3_stmt* statement, QString& error)
{
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE)
        error = errorText(m_db);
    BoundInserts::reset(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int SqliteProvider::runRow(const RowValues& row, QString& error)
{
    bool boundNull = false;
    if (sqlite3_stmt* st = m_inserts.bind(row.table, row.fields, row.columns, &boundNull)) {
        const int rc = stepBound(st, error);
        // A run again binds text only: a row that bound NULL is kept as its text instead.
        if (rc == SQLITE_OK && !boundNull)
            m_pending.succeeded(row.ticket, row.table, row.fields);
        else if (rc == SQLITE_OK)
            keepAsText(row, typedText(row));
        return rc;
    }
    return runRowText(row, typedText(row), error);
}

QByteArray SqliteProvider::typedText(const RowValues& row)
{
    return row.columns ? InsertText(row.table, row.fields, *row.columns)
                       : InsertText(row.table, row.fields);
}

void SqliteProvider::keepAsText(const RowValues& row, const QByteArray& text)
{
    m_pending.succeeded(row.ticket, row.table, std::string(text.constData(), size_t(text.size())),
                        {std::uint32_t(text.size())}, true);
}

// What cannot be bound runs as its text, with the text's own outcome.
int SqliteProvider::runRowText(const RowValues& row, const QByteArray& text, QString& error)
{
    const int rc = runText(text, error);
    if (rc == SQLITE_OK)
        keepAsText(row, text);
    return rc;
}

bool SqliteProvider::runAgain()
{
    if (!beginRows())
        return false;
    const bool done = m_pending.runAgain([&](const PendingRows::Kept& kept) {
        QString error;
        if (kept.asText)
            return runText(QByteArray::fromRawData(kept.bytes, qsizetype(kept.ends[0])), error) ==
                   SQLITE_OK;
        sqlite3_stmt* st =
            m_inserts.bindEncoded(kept.table, kept.bytes, kept.ends, kept.valueCount);
        if (!st)
            return false;
        const int rc = sqlite3_step(st);
        BoundInserts::reset(st);
        return rc == SQLITE_DONE;
    });
    if (!done) {
        if (!sqlite3_get_autocommit(m_db))
            runPlain(m_db, "ROLLBACK");
        m_inTransaction = false;
    }
    return done;
}

void SqliteProvider::rowFailed(const RowValues& row, int code, const QString& error)
{
    const bool rolledBack = sqlite3_get_autocommit(m_db) != 0;
    if (!rolledBack && rowsOwnFailure(code)) {
        m_pending.rejected(row.ticket, error);
        return;
    }
    // The disk is full or the database went wrong: the rows before are kept if they still can
    // be, and this row ends the caller's rows.
    if (rolledBack) {
        m_inTransaction = false;
        if (!m_pending.isEmpty() && !runAgain())
            m_pending.lost(error, m_outcomes);
    }
    endRows();
    answerAlone(row.ticket, error);
}

void SqliteProvider::answerAlone(std::int64_t ticket, const QString& description)
{
    RowOutcome outcome;
    outcome.ticket = ticket;
    outcome.description = description;
    outcome.storageFailed = true;
    m_outcomes.push_back(std::move(outcome));
}

void SqliteProvider::endRows()
{
    if (m_pending.isEmpty())
        return;
    for (int attempt = 0;; ++attempt) {
        if (runPlain(m_db, "COMMIT") == SQLITE_OK) {
            m_inTransaction = false;
            m_pending.committed(m_outcomes);
            return;
        }
        const QString text = errorText(m_db);
        const bool rolledBack = sqlite3_get_autocommit(m_db) != 0;
        if (rolledBack)
            m_inTransaction = false;
        // One more try; when SQLite gave the transaction up, its rows are run again first.
        if (attempt == 1 || (rolledBack && !runAgain())) {
            loseRows(text);
            return;
        }
    }
}

void SqliteProvider::loseRows(const QString& description)
{
    if (m_inTransaction && !sqlite3_get_autocommit(m_db))
        runPlain(m_db, "ROLLBACK");
    m_inTransaction = false;
    m_pending.lost(description, m_outcomes);
}

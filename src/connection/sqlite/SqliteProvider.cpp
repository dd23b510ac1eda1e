#include "SqliteProvider.h"

#include "Failure.h"
#include "RowsCursor.h"
#include "SqliteCalls.h"
#include "SqliteCursor.h"

#include <QFile>
#include <sqlite3.h>

std::unique_ptr<SessionProvider> SqliteProvider::open(const QString& path)
{
    if (path.isEmpty())
        throw Failure(QStringLiteral("The embedded database needs a file path after \"file:\"."));
    // Memory statistics cost a global lock per allocation; nothing here reads them.
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    Q_UNUSED(configured);
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    const int rc =
        sqlite3_open_v2(name.constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = db ? errorText(db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw Failure(QStringLiteral("The database file %1 cannot be opened: %2").arg(path, text));
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    // A new file gets pages of 16 KB: a bulk load then writes a quarter as many pieces to the
    // log and back. It can only be chosen before the first table (and before WAL).
    runPlain(db, "PRAGMA page_size=16384");
    // WAL lets the table catalogue read while an import writes; it also proves the file is a
    // database we can write to.
    if (runPlain(db, "PRAGMA journal_mode=WAL") != SQLITE_OK ||
        runPlain(db, "SELECT count(*) FROM sqlite_master") != SQLITE_OK) {
        const QString text = errorText(db);
        sqlite3_close_v2(db);
        throw Failure(QStringLiteral("The database file %1 cannot be opened: %2").arg(path, text));
    }
    // The log is copied into the database about every 32 MB rather than every 4 MB: each copy
    // costs two disk flushes, and a large import would otherwise spend its time waiting on them.
    runPlain(db, "PRAGMA wal_autocheckpoint=8192");
    return std::unique_ptr<SessionProvider>(new SqliteProvider(db));
}

SqliteProvider::SqliteProvider(sqlite3* db) : m_db(db), m_inserts(db) {}

SqliteProvider::~SqliteProvider()
{
    if (m_db) {
        m_inserts.clear();
        // Released without close: whatever is uncommitted is rolled back by SQLite.
        sqlite3_close_v2(m_db);
    }
}

void SqliteProvider::fail(const QString& context)
{
    QString text = context.isEmpty() ? errorText(m_db) : context;
    if (m_inTransaction && sqlite3_get_autocommit(m_db)) {
        // SQLite gave up the whole transaction along with this statement.
        m_inTransaction = false;
        try {
            recoverRolledBack();
        } catch (const Failure& lost) {
            text += QStringLiteral("\r\n") + lost.description();
        }
    }
    throw Failure(text);
}

void SqliteProvider::recoverRolledBack()
{
    std::vector<QString> redo;
    redo.swap(m_doneInTransaction);
    if (redo.empty())
        return;
    size_t done = 0;
    if (runPlain(m_db, "BEGIN") == SQLITE_OK) {
        m_inTransaction = true;
        m_transactionAge.start();
        for (; done < redo.size(); ++done) {
            try {
                runGeneral(redo[done]);
            } catch (const Failure&) {
                break;
            }
            m_doneInTransaction.push_back(redo[done]);
        }
    }
    if (done < redo.size()) {
        if (m_inTransaction && !sqlite3_get_autocommit(m_db))
            runPlain(m_db, "ROLLBACK");
        m_inTransaction = false;
        m_doneInTransaction.clear();
        throw Failure(QStringLiteral("The database rolled back %1 earlier statement(s) of this "
                                     "session that had succeeded, and they could not be run again.")
                          .arg(redo.size()));
    }
}

void SqliteProvider::beginIfNeeded()
{
    if (m_inTransaction)
        return;
    if (runPlain(m_db, "BEGIN") != SQLITE_OK)
        throw Failure(errorText(m_db));
    m_inTransaction = true;
    m_transactionAge.start();
}

bool SqliteProvider::tryCommit()
{
    if (!m_inTransaction)
        return true;
    if (runPlain(m_db, "COMMIT") == SQLITE_OK) {
        m_inTransaction = false;
        m_doneInTransaction.clear();
        return true;
    }
    m_lastCommitError = errorText(m_db);
    m_transactionAge.start();
    if (!sqlite3_get_autocommit(m_db))
        return false; // still open: the work is kept and the commit tried again later
    // SQLite gave the transaction up: run its statements again (throws when they cannot be).
    m_inTransaction = false;
    recoverRolledBack();
    return false;
}

void SqliteProvider::commit()
{
    for (int attempt = 0; attempt < 3; ++attempt)
        if (tryCommit())
            return;
    const size_t lost = m_doneInTransaction.size();
    if (!sqlite3_get_autocommit(m_db))
        runPlain(m_db, "ROLLBACK");
    m_inTransaction = false;
    m_doneInTransaction.clear();
    throw Failure(
        QStringLiteral(
            "%1\r\n%2 statement(s) of this session that had succeeded could not be saved.")
            .arg(m_lastCommitError)
            .arg(lost));
}

void SqliteProvider::commitIfDue()
{
    // A commit that fails here keeps the work and is tried again; only a loss is a failure.
    if (m_inTransaction && (m_doneInTransaction.size() >= MaxStatementsPerTransaction ||
                            m_transactionAge.elapsed() >= CommitIntervalMs))
        tryCommit();
}

void SqliteProvider::execute(const QString& statement)
{
    if (!m_db)
        throw Failure(QStringLiteral("Operation is not allowed when the object is closed."));
    endRows();
    beginIfNeeded();
    runGeneral(statement);
    m_doneInTransaction.push_back(statement);
    commitIfDue();
}

int SqliteProvider::runText(const QByteArray& utf8, QString& error)
{
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt* st = nullptr;
        const char* next = nullptr;
        int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &st, &next);
        if (rc != SQLITE_OK) {
            error = errorText(m_db);
            sqlite3_finalize(st);
            return rc;
        }
        if (!st) { // only blanks or a comment left
            tail = next;
            continue;
        }
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            error = errorText(m_db);
            sqlite3_finalize(st);
            return rc;
        }
        sqlite3_finalize(st);
        tail = next;
    }
    return SQLITE_OK;
}

void SqliteProvider::runGeneral(const QString& statement)
{
    QString error;
    if (runText(statement.toUtf8(), error) != SQLITE_OK)
        fail(error);
}

std::shared_ptr<Cursor> SqliteProvider::query(const QString& statement)
{
    if (!m_db)
        throw Failure(QStringLiteral("Operation is not allowed when the object is closed."));
    endRows();
    const QByteArray utf8 = statement.toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(QString());
    }
    if (!st)
        throw Failure(QStringLiteral("The command text is empty."));
    return std::make_shared<SqliteCursor>(m_db, st);
}

std::shared_ptr<Cursor> SqliteProvider::tablesSchema()
{
    auto rows = query(QStringLiteral("SELECT type, name FROM sqlite_master "
                                     "WHERE type IN ('table','view') ORDER BY rowid"));
    std::vector<RowsCursor::Row> listed;
    while (rows->next()) {
        const QString type = rows->value(0).value_or(QString());
        const QString name = rows->value(1).value_or(QString());
        QString tableType = QStringLiteral("VIEW");
        if (type == QStringLiteral("table"))
            tableType = name.startsWith(QStringLiteral("sqlite_")) ? QStringLiteral("SYSTEM TABLE")
                                                                   : QStringLiteral("TABLE");
        listed.push_back({tableType, name});
    }
    rows->close();
    return std::make_shared<RowsCursor>(
        QStringList{QStringLiteral("TABLE_TYPE"), QStringLiteral("TABLE_NAME")}, std::move(listed));
}

std::vector<ColumnType> SqliteProvider::columnTypes(const QString& table)
{
    if (!m_db)
        throw Failure(QStringLiteral("Operation is not allowed when the object is closed."));
    static const char sql[] = "SELECT name, type, \"notnull\" FROM pragma_table_info(?1)";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(QString());
    }
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_STATIC);
    std::vector<ColumnType> columns;
    auto text = [st](int index) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, index)),
                                 sqlite3_column_bytes(st, index));
    };
    while (sqlite3_step(st) == SQLITE_ROW)
        columns.push_back(SqliteColumnType(text(0), text(1), sqlite3_column_int(st, 2) != 0));
    sqlite3_finalize(st);
    return columns;
}

void SqliteProvider::close()
{
    if (!m_db)
        return;
    std::optional<Failure> pending;
    // Rows whose outcome nobody takes any more are still kept when they can be.
    endRows();
    try {
        commit();
    } catch (const Failure& f) {
        pending = f;
    }
    m_inserts.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    if (pending)
        throw *pending;
}

#include "SqliteCursor.h"

#include "Failure.h"

#include <sqlite3.h>

SqliteCursor::SqliteCursor(sqlite3* db, sqlite3_stmt* statement) : m_db(db), m_statement(statement)
{
    m_fieldCount = sqlite3_column_count(statement);
    for (int i = 0; i < m_fieldCount; ++i)
        m_names << QString::fromUtf8(sqlite3_column_name(statement, i));
}

SqliteCursor::~SqliteCursor()
{
    close();
}

bool SqliteCursor::next()
{
    if (!m_statement)
        return false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) {
        m_onRow = true;
        return true;
    }
    m_onRow = false;
    if (rc != SQLITE_DONE) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
        close();
        throw Failure(text);
    }
    // Release the read as soon as the rows are through.
    sqlite3_reset(m_statement);
    return false;
}

std::optional<QString> SqliteCursor::value(int index) const
{
    if (!m_statement || !m_onRow || index < 0 || index >= m_fieldCount)
        return std::nullopt;
    if (sqlite3_column_type(m_statement, index) == SQLITE_NULL)
        return std::nullopt;
    const void* text = sqlite3_column_text16(m_statement, index);
    const int bytes = sqlite3_column_bytes16(m_statement, index);
    return QString(reinterpret_cast<const QChar*>(text), bytes / 2);
}

void SqliteCursor::close()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_onRow = false;
}

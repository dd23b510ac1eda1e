#pragma once

#include "SessionProvider.h"

struct sqlite3;
struct sqlite3_stmt;

// The rows of one SELECT, stepped as they are read.
class SqliteCursor : public Cursor
{
public:
    SqliteCursor(sqlite3* db, sqlite3_stmt* statement);
    ~SqliteCursor() override;

    int fieldCount() const override { return m_fieldCount; }
    QStringList fieldNames() const override { return m_names; }
    bool next() override;
    std::optional<QString> value(int index) const override;
    void close() override;
    bool isOpen() const override { return m_statement != nullptr; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement;
    int m_fieldCount = 0;
    QStringList m_names;
    bool m_onRow = false;
};

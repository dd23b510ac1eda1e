#pragma once

#include "ColumnType.h"

#include <cstdint>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One prepared "INSERT INTO [table] VALUES(?,...)" per table and value count, so a row costs a
// bind and a step instead of building a text that SQLite parses back.
class BoundInserts
{
public:
    explicit BoundInserts(sqlite3* db) : m_db(db) {}
    ~BoundInserts() { clear(); }
    BoundInserts(const BoundInserts&) = delete;
    BoundInserts& operator=(const BoundInserts&) = delete;

    // The statement with the fields (UTF-8) bound where they stand, ready to step; nullptr when
    // the row cannot be bound with the same outcome as its text (a table name holding "]", a
    // value holding U+0000) or the INSERT cannot be prepared: the caller then runs the text,
    // which gives SQLite's own description. The fields must outlive the step.
    // With columns, an empty value that InsertText sends as NULL is bound as NULL (boundNull
    // then says so); a whole number for an INTEGER column is bound as the integer its
    // affinity would make of the text, other numbers as text, which the column's affinity
    // turns into what the bare literal would store.
    sqlite3_stmt* bind(const QString& table, const QList<QByteArrayView>& fields,
                       const std::vector<ColumnType>* columns = nullptr, bool* boundNull = nullptr);
    // The same for values packed one after the other: ends[i] is where value i ends, counted
    // from bytes.
    sqlite3_stmt* bindEncoded(const QString& table, const char* bytes, const std::uint32_t* ends,
                              int valueCount);
    // Ready for the next row, after bind() and a step.
    static void reset(sqlite3_stmt* statement);
    void clear();

private:
    // Binds value i as its column takes it; true when that is NULL.
    bool bindTyped(int i, const ColumnType& column, QByteArrayView field);
    sqlite3_stmt* prepared(const QString& table, qsizetype valueCount);
    sqlite3_stmt* statementFor(const QString& table, int valueCount);

    sqlite3* m_db;
    QHash<QString, sqlite3_stmt*> m_statements; // by table + "\n" + value count
    sqlite3_stmt* m_last = nullptr;
    QString m_lastTable;
    qsizetype m_lastCount = -1;
};

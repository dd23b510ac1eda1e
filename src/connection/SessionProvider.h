#pragma once

#include "RowValues.h"

#include <memory>
#include <optional>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <vector>

// Rows of one result, read forward. A cursor can be closed by its session at any time;
// after that it is at its end.
class Cursor
{
public:
    virtual ~Cursor() = default;
    virtual int fieldCount() const = 0;
    virtual QStringList fieldNames() const = 0;
    // Moves to the next row; false when there is none.
    virtual bool next() = 0;
    // The value of a field of the current row; nullopt for NULL.
    virtual std::optional<QString> value(int index) const = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// One open connection to a database. Every failure is a Failure carrying the database's own
// description text.
class SessionProvider
{
public:
    virtual ~SessionProvider() = default;
    virtual void execute(const QString& statement) = 0;
    virtual std::shared_ptr<Cursor> query(const QString& statement) = 0;
    // Rows with the fields TABLE_TYPE ("TABLE", "SYSTEM TABLE", "VIEW") and TABLE_NAME.
    virtual std::shared_ptr<Cursor> tablesSchema() = 0;
    // The columns of a table, in order, as its catalogue declares them; empty when the table
    // is unknown.
    virtual std::vector<ColumnType> columnTypes(const QString& table) = 0;
    virtual void close() = 0;
    // False once the connection to the server is known to be lost: nothing sent can succeed.
    virtual bool isAlive() const { return true; }
    // How many bytes a UTF-8 value takes in the database's character set.
    virtual qsizetype storedLength(QByteArrayView utf8) const { return utf8.size(); }

    // Rows: a provider may hold submitted rows back (batches, transactions) and answer them
    // later. Every row gets exactly one outcome, in submission order; flushRows() sends and
    // ends everything held, so that afterwards every submitted row has its outcome.
    virtual void submitRow(const RowValues& row) = 0;
    virtual std::vector<RowOutcome> takeOutcomes();
    virtual void flushRows() {}

protected:
    std::vector<RowOutcome> m_outcomes;
};

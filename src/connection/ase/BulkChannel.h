#pragma once

#include "ColumnType.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <vector>

// How bulk copy into a table could begin.
enum class BulkStart
{
    Ready,
    NotForThisTable, // the table is not one bulk copy loads as a statement would
    ConnectionLost,
};

// How the server ended a bulk batch. Each batch is a transaction of its own: committed whole or
// rejected whole.
struct BulkEnd
{
    bool committed = false;
    bool connectionLost = false;
    QString description; // the messages, when not committed
};

// Where a bulk loader sends its rows: one table at a time, rows in batches.
class BulkChannel
{
public:
    virtual ~BulkChannel() = default;
    // Prepares bulk copy into table, whose columns the catalogue described.
    virtual BulkStart begin(const QString& table, const std::vector<ColumnType>& columns) = 0;
    // Adds one row to the batch; false when the client library did not take it, so that it was
    // not sent.
    virtual bool transfer(const QList<QByteArrayView>& fields) = 0;
    // Ends the batch and the copy: afterwards the connection takes statements again.
    virtual BulkEnd end() = 0;
    // Why the connection went, once it has: given to every row not loaded.
    virtual QString lostDescription() const = 0;
};

#pragma once

#include "ColumnType.h"

#include <cstdint>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <vector>

// One row as the import run hands it to a session: its target table and its fields, as the
// UTF-8 bytes read from the working copy. The provider alone decides how it goes to the database
// (bound values or a statement text). The field views are only valid during the call that
// receives them.
struct RowValues
{
    std::int64_t ticket = 0; // the caller's tag; outcomes carry it back
    QString table;
    QList<QByteArrayView> fields;
    // The table's column types when some of its values are not sent as text (see
    // TakesTypedValues); nullptr sends every value quoted. Valid only during the call, as the
    // fields are.
    const std::vector<ColumnType>* columns = nullptr;
    // The run lets this row's table be loaded by bulk copy (a table it made, or one the user
    // named for it); a provider that has it takes it only where the values come out as the
    // statement would store them, with columns given.
    bool bulkCopy = false;
};

// What became of one submitted row, final: loaded means committed, or as durable as the
// provider makes any row.
struct RowOutcome
{
    std::int64_t ticket = 0;
    bool loaded = false;
    bool connectionLost = false; // not loaded because the connection went
    // Not loaded because the database could not keep it (a full disk): nothing more of the
    // file can be, so the rest is not sent.
    bool storageFailed = false;
    QString description; // the database's own text when not loaded
    // When the connection was lost: its own words, without what the description may add of
    // this row (a statement in flight may have been applied). Rows never sent get these.
    QString lostCause;
};

// The text of a row's UTF-8 bytes. Unlike QString::fromUtf8, a leading U+FEFF is kept: inside
// a file it is data, not a mark.
inline QString RowText(QByteArrayView utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

#pragma once

#include "ColumnType.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <vector>

class ServerCharset;

// What bulk copy carries exactly as an INSERT statement would: anything else goes by statement,
// where the server answers it with its own message.
namespace BulkValues {
// A table bulk copy can load: a plain name, and columns of types whose values it sends as a
// statement would store them (no text or image, no type it does not know).
bool takesTable(const QString& table, const std::vector<ColumnType>& columns);

// The form of one value in a bulk row.
enum class Form
{
    Null,
    Blank, // an empty character value: stored as one blank, as ASE stores ''
    Bytes, // the field's bytes (a character value in the server's set)
};
Form formOf(const ColumnType& column, QByteArrayView field);

// True when every value of the row goes by bulk copy as its statement would store it: as many
// fields as columns, no NULL for a column that refuses it (the server's message tells), a
// character value that fits its column in the server's set and does not end in a blank, a
// finite float, a date from 1753 written as ISO 8601 (YYYY-MM-DD, with " HH:MM:SS" and a
// fraction for a date and time; a time of day HH:MM:SS) whose fraction the library rounds as
// the server does.
bool carries(const std::vector<ColumnType>& columns, const QList<QByteArrayView>& fields,
             const ServerCharset& charset);
} // namespace BulkValues

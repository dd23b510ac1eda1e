#pragma once

#include "ColumnType.h"

#include <optional>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <vector>

// How a value read from a file goes into its column: numbers bare, other values quoted as
// text, an empty value of a column that is not of characters as NULL.
enum class ValueForm
{
    Quoted,
    Bare,
    Null,
};

// column is nullptr for a value past the table's columns: quoted, as the server will refuse it.
ValueForm FormOf(const ColumnType* column, QByteArrayView field);

// Why a row cannot go to its table: the first value that is not a number its column can hold,
// named with its field, the value and the column's type. The database would refuse a quoted
// number or misread a bare text, so such a row is never sent.
std::optional<QString> ValueRefusal(const std::vector<ColumnType>& columns,
                                    const QList<QByteArrayView>& fields);

// A column's type as a report names it: "int", "numeric(5,2)".
QString TypeLabel(const ColumnType& column);

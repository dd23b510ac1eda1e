#pragma once

#include "ColumnType.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <vector>

// The text a row is sent as where its values are not bound, in UTF-8:
// "INSERT INTO [table] VALUES('a','b');" with every apostrophe of a value doubled. Reports show
// the failing statement as the database saw it, so this is the only place it is built.
QByteArray InsertText(const QString& table, const QList<QByteArrayView>& fields);
// The same for a table whose columns take typed values: a number bare, an empty value of a
// column that is not of characters NULL, the rest quoted as above. The values must have passed
// ValueRefusal: a bare value goes into the text as it is.
QByteArray InsertText(const QString& table, const QList<QByteArrayView>& fields,
                      const std::vector<ColumnType>& columns);

#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The SQL texts of the import run, built exactly as sent (and as failure reports show them).
namespace StatementText {
// "INSERT INTO [table] VALUES('a','b');" with every apostrophe of a value doubled.
void insert(const QString& table, const QList<QStringView>& fields, QString& statement);
// The name of column `position` (1-based) from a header field or a typed answer: its letters
// and digits, or "Column" + position when it keeps none.
QString columnName(QStringView text, int position);
// "CREATE TABLE [table]([a] TEXT, [b] TEXT);"
QString createTable(const QString& table, const QStringList& columns);
} // namespace StatementText

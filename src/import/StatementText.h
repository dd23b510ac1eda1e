#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The texts that make a new table, built exactly as sent (and as failure reports show them).
namespace StatementText {
// The name of column `position` (1-based) from a header field or a typed answer: its letters
// and digits, or "Column" + position when it keeps none.
QString columnName(QStringView text, int position);
// "CREATE TABLE [table]([a] TEXT, [b] TEXT);"
QString createTable(const QString& table, const QStringList& columns);
// "CREATE TABLE [table]([a] int NOT NULL, [b] varchar(12) NULL);": each column with its
// declaration, and `afterColumns` (" lock datarows") after the list.
QString createTable(const QString& table, const QStringList& columns,
                    const QStringList& declarations, const QString& afterColumns = QString());
} // namespace StatementText

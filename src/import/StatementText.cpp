#include "StatementText.h"

#include "TextFilters.h"

namespace StatementText {

QString columnName(QStringView text, int position)
{
    const QString kept = KeepLettersAndDigits(text.toString());
    return kept.isEmpty() ? QStringLiteral("Column") + QString::number(position) : kept;
}

QString createTable(const QString& table, const QStringList& columns)
{
    return createTable(table, columns, QStringList(columns.size(), QStringLiteral("TEXT")));
}

QString createTable(const QString& table, const QStringList& columns,
                    const QStringList& declarations, const QString& afterColumns)
{
    QString s = QStringLiteral("CREATE TABLE [") + table + QStringLiteral("](");
    for (qsizetype i = 0; i < columns.size(); ++i)
        s += QLatin1Char('[') + columns[i] + QStringLiteral("] ") + declarations.value(i) +
             QStringLiteral(", ");
    s.chop(2);
    s += u')';
    s += afterColumns;
    s += u';';
    return s;
}
} // namespace StatementText

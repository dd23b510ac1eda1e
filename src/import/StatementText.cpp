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
    QString s = QStringLiteral("CREATE TABLE [") + table + QStringLiteral("](");
    for (const QString& column : columns)
        s += QLatin1Char('[') + column + QStringLiteral("] TEXT, ");
    s.chop(2);
    s += QStringLiteral(");");
    return s;
}
} // namespace StatementText

#include "StatementText.h"

#include "TextFilters.h"

namespace StatementText {

void insert(const QString& table, const QList<QStringView>& fields, QString& s)
{
    s.clear();
    s += QLatin1String("INSERT INTO [");
    s += table;
    s += QLatin1String("] VALUES(");
    for (QStringView field : fields) {
        s += QLatin1Char('\'');
        qsizetype from = 0;
        for (qsizetype quote; (quote = field.indexOf(QLatin1Char('\''), from)) >= 0; from = quote + 1) {
            s += field.mid(from, quote + 1 - from);
            s += QLatin1Char('\'');
        }
        s += field.mid(from);
        s += QLatin1String("',");
    }
    s.chop(1);
    s += QLatin1String(");");
}

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

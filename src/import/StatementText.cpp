#include "StatementText.h"

#include "TextFilters.h"

#include <algorithm>

namespace StatementText {

namespace {
void put(char16_t*& out, const char* ascii)
{
    while (*ascii)
        *out++ = char16_t(*ascii++);
}
} // namespace

void insert(const QString& table, const QList<QStringView>& fields, QString& s)
{
    // Written straight into a buffer of the final size: this runs once per row.
    qsizetype length = 13 + table.size() + 9 + 1;
    for (QStringView field : fields)
        length += field.size() + field.count(u'\'') + 3;
    // A text still shared (a session may keep the last one) is not copied only to be overwritten.
    if (s.isDetached())
        s.resize(length);
    else
        s = QString(length, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(s.data());
    put(out, "INSERT INTO [");
    out = std::copy_n(reinterpret_cast<const char16_t*>(table.utf16()), table.size(), out);
    put(out, "] VALUES(");
    for (QStringView field : fields) {
        *out++ = u'\'';
        for (QChar c : field) {
            *out++ = c.unicode();
            if (c == u'\'')
                *out++ = u'\'';
        }
        *out++ = u'\'';
        *out++ = u',';
    }
    --out; // over the last comma
    put(out, ");");
    Q_ASSERT(out == reinterpret_cast<char16_t*>(s.data()) + s.size());
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

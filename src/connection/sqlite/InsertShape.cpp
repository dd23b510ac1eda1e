#include "InsertShape.h"

bool InsertShape::parse(QStringView s)
{
    static const QString head = QStringLiteral("INSERT INTO [");
    static const QString middle = QStringLiteral("] VALUES(");
    values.clear();
    if (!s.startsWith(head))
        return false;
    const qsizetype tableEnd = s.indexOf(QLatin1Char(']'), head.size());
    if (tableEnd < 0 || s.mid(tableEnd, middle.size()) != middle)
        return false;
    table = s.mid(head.size(), tableEnd - head.size());

    qsizetype i = tableEnd + middle.size();
    const qsizetype n = s.size();
    for (;;) {
        if (i >= n || s[i] != QLatin1Char('\''))
            return false;
        ++i;
        QString value;
        qsizetype runStart = i;
        for (;;) {
            const qsizetype quote = s.indexOf(QLatin1Char('\''), i);
            if (quote < 0)
                return false;
            if (quote + 1 < n && s[quote + 1] == QLatin1Char('\'')) {
                value.append(s.mid(runStart, quote + 1 - runStart));
                i = quote + 2;
                runStart = i;
                continue;
            }
            value.append(s.mid(runStart, quote - runStart));
            i = quote + 1;
            break;
        }
        values.push_back(std::move(value));
        if (i < n && s[i] == QLatin1Char(',')) {
            ++i;
            continue;
        }
        break;
    }
    // Only ");" may follow the last value.
    return s.mid(i) == QStringLiteral(");");
}

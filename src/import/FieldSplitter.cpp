#include "FieldSplitter.h"

void SplitFields(QStringView line, const QString& separator, QList<QStringView>& fields)
{
    fields.clear();
    if (line.isEmpty())
        return;
    if (separator.isEmpty()) {
        fields.append(line);
        return;
    }
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = line.indexOf(separator, from);
        if (at < 0) {
            fields.append(line.mid(from));
            return;
        }
        fields.append(line.mid(from, at - from));
        from = at + separator.size();
    }
}

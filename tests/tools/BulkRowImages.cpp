#include "BulkRowImages.h"

namespace {
void appendLe(QByteArray& out, quint32 value, int bytes)
{
    for (int b = 0; b < bytes; ++b)
        out += char(value >> (8 * b));
}
} // namespace

QByteArray rowImage(bool datarows, qint32 i, std::optional<QByteArray> n,
                    std::optional<QByteArray> v)
{
    QByteArray row = datarows ? QByteArray(4, '\0') : QByteArray();
    const int countAt = int(row.size());
    row += QByteArray(2, '\0'); // count of variable columns, row number
    appendLe(row, quint32(i), 4);
    const QList<std::optional<QByteArray>> variable{n, v};
    qsizetype sent = variable.size();
    while (sent > 0 && !variable[sent - 1])
        --sent; // trailing NULL columns are left out
    if (sent == 0)
        return row;
    const int lengthAt = int(row.size());
    row += QByteArray(2, '\0');
    QList<int> offsets{int(row.size())};
    for (qsizetype c = 0; c < sent; ++c) {
        row += variable[c].value_or(QByteArray());
        offsets << int(row.size());
    }
    if (datarows) {
        for (qsizetype c = sent; c-- > 0;)
            appendLe(row, quint32(offsets[c]), 2);
    } else {
        row += char(sent + 1);
        for (qsizetype c = sent + 1; c-- > 0;)
            row += char(offsets[c]);
    }
    row[countAt] = char(sent);
    row[lengthAt] = char(row.size());
    row[lengthAt + 1] = char(row.size() >> 8);
    return row;
}

QByteArray bulkMessage(const QList<QByteArray>& rows)
{
    QByteArray out;
    for (const QByteArray& row : rows) {
        appendLe(out, quint32(row.size()), 2);
        out += row;
    }
    return out;
}

QByteArray numeric52(quint32 hundredths)
{
    return QByteArray(1, '\0') + char(hundredths >> 16) + char(hundredths >> 8) + char(hundredths);
}

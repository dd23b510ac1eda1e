#include "FieldSplitter.h"

#include <algorithm>

namespace {
// Text and UTF-8 bytes are cut the same way; only the kind of view differs.
template <typename View> void splitAt(View line, View separator, QList<View>& fields)
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
            fields.append(line.sliced(from));
            return;
        }
        fields.append(line.sliced(from, at - from));
        from = at + separator.size();
    }
}
} // namespace

void SplitFields(QStringView line, const QString& separator, QList<QStringView>& fields)
{
    splitAt(line, QStringView(separator), fields);
}

void SplitFields(QByteArrayView line, QByteArrayView separator, QList<QByteArrayView>& fields)
{
    splitAt(line, separator, fields);
}

void SplitQuotedFields(QStringView record, const QString& separator, QChar quote, QString& unquoted,
                       QList<QStringView>& fields)
{
    fields.clear();
    if (record.isEmpty())
        return;
    // Unquoting never lengthens a field, so the views stay valid while it is filled.
    if (unquoted.size() < record.size())
        unquoted.resize(record.size());
    char16_t* const base = reinterpret_cast<char16_t*>(unquoted.data());
    char16_t* out = base;
    const qsizetype n = record.size();
    qsizetype i = 0;
    for (;;) {
        if (i >= n || record[i] != quote) {
            const qsizetype at = separator.isEmpty() ? -1 : record.indexOf(separator, i);
            const qsizetype stop = at < 0 ? n : at;
            fields.append(record.mid(i, stop - i));
            if (at < 0)
                return;
            i = at + separator.size();
            continue;
        }
        ++i; // the opening quote
        // Most quoted fields hold no doubled quote and end at a separator: they view the record.
        const qsizetype close = record.indexOf(quote, i);
        if (close >= 0 && (close + 1 == n ||
                           (!separator.isEmpty() && record.mid(close + 1).startsWith(separator)))) {
            fields.append(record.mid(i, close - i));
            if (close + 1 == n)
                return;
            i = close + 1 + separator.size();
            continue;
        }
        char16_t* const start = out;
        while (i < n) {
            const qsizetype close = record.indexOf(quote, i);
            const qsizetype stop = close < 0 ? n : close;
            out = std::copy(record.utf16() + i, record.utf16() + stop, out);
            i = stop;
            if (close < 0)
                break;
            if (close + 1 < n && record[close + 1] == quote) {
                *out++ = quote.unicode();
                i = close + 2;
                continue;
            }
            i = close + 1;
            break;
        }
        // Anything between the closing quote and the separator is kept as written.
        const qsizetype at = separator.isEmpty() ? -1 : record.indexOf(separator, i);
        const qsizetype stop = at < 0 ? n : at;
        out = std::copy(record.utf16() + i, record.utf16() + stop, out);
        fields.append(QStringView(start, out - start));
        if (at < 0)
            return;
        i = at + separator.size();
    }
}

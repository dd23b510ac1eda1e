#include "FieldSplitter.h"

#include "RecordGrammar.h"

namespace {
QStringView quoteText(const QChar& quote)
{
    return quote.isNull() ? QStringView() : QStringView(&quote, 1);
}

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

QStringList SplitRecord(QStringView record, const QString& separator, QChar quote)
{
    RecordGrammar<QStringView> grammar;
    grammar.setMatching(separator, quoteText(quote));
    QList<QStringView> fields;
    grammar.begin(&fields);
    grammar.read(record, 0);
    grammar.end(record);
    QStringList names;
    for (QStringView field : fields)
        names << field.toString();
    return names;
}

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
    // One grammar a thread, so that every row reuses its memory.
    thread_local RecordGrammar<QStringView> grammar;
    grammar.setMatching(separator, quoteText(quote));
    grammar.begin(&fields);
    grammar.read(record, 0);
    grammar.end(record);
    unquoted.resize(0);
    unquoted.append(QStringView(grammar.unquoted()));
    grammar.viewUnquotedIn(unquoted);
}

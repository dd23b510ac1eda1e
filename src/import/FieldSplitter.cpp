#include "FieldSplitter.h"

#include "RecordGrammar.h"

namespace {
QStringView quoteText(const QChar& quote)
{
    return quote.isNull() ? QStringView() : QStringView(&quote, 1);
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

#include "InsertText.h"

#include "ColumnValues.h"

#include <cstring>

QByteArray InsertText(const QString& table, const QList<QByteArrayView>& fields)
{
    const QByteArray name = table.toUtf8();
    // Written straight into a buffer of the final size: this runs once per row.
    qsizetype length = 13 + name.size() + 9 + 1;
    for (QByteArrayView field : fields)
        length += field.size() + field.count('\'') + 3;
    QByteArray text(length, Qt::Uninitialized);
    char* out = text.data();
    auto put = [&out](const char* bytes, qsizetype size) {
        std::memcpy(out, bytes, size_t(size));
        out += size;
    };
    put("INSERT INTO [", 13);
    put(name.constData(), name.size());
    put("] VALUES(", 9);
    for (QByteArrayView field : fields) {
        *out++ = '\'';
        // Apostrophes are ASCII: doubling them byte by byte never splits a character.
        for (qsizetype from = 0; from < field.size();) {
            qsizetype at = field.indexOf('\'', from);
            const qsizetype end = at < 0 ? field.size() : at + 1;
            put(field.data() + from, end - from);
            if (at >= 0)
                *out++ = '\'';
            from = end;
        }
        *out++ = '\'';
        *out++ = ',';
    }
    --out; // over the last comma, or the parenthesis when there is no field
    put(");", 2);
    text.truncate(out - text.constData());
    return text;
}

namespace {
// 'value' with every apostrophe doubled, appended piece by piece without a copy of the value.
void appendQuoted(QByteArray& text, QByteArrayView value)
{
    text += '\'';
    for (qsizetype from = 0; from < value.size();) {
        const qsizetype at = value.indexOf('\'', from);
        const qsizetype end = at < 0 ? value.size() : at + 1;
        text += value.sliced(from, end - from);
        if (at >= 0)
            text += '\'';
        from = end;
    }
    text += '\'';
}
} // namespace

QByteArray InsertText(const QString& table, const QList<QByteArrayView>& fields,
                      const std::vector<ColumnType>& columns)
{
    // Typed tables are the rarer case: built by pieces, each value in its column's form.
    QByteArray text = "INSERT INTO [" + table.toUtf8() + "] VALUES(";
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            text += ',';
        const ColumnType* column = i < qsizetype(columns.size()) ? &columns[size_t(i)] : nullptr;
        switch (FormOf(column, fields[i])) {
        case ValueForm::Null:
            text += "NULL";
            break;
        case ValueForm::Bare:
            text += fields[i];
            break;
        case ValueForm::Quoted:
            appendQuoted(text, fields[i]);
            break;
        }
    }
    text += ");";
    return text;
}

#include "BoundInserts.h"

#include "ColumnValues.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <sqlite3.h>

sqlite3_stmt* BoundInserts::bindEncoded(const QString& table, const char* bytes,
                                        const std::uint32_t* ends, int valueCount)
{
    if (!statementFor(table, valueCount))
        return nullptr;
    std::uint32_t start = 0;
    for (int i = 0; i < valueCount; ++i) {
        // The bytes outlive the step, so SQLite need not copy them. A zero length with a
        // pointer that is not null binds an empty text, not NULL, as '' does.
        sqlite3_bind_text(m_last, i + 1, bytes + start, int(ends[i] - start), SQLITE_STATIC);
        start = ends[i];
    }
    return m_last;
}

namespace {
// The value of a whole number in plain form ([+-]digits) that fits 64 bits, as SQLite's
// INTEGER affinity reads the text; nullopt for anything else, which then goes as text.
std::optional<std::int64_t> wholeNumber(QByteArrayView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p < end && *p == '-';
    p += p < end && (*p == '-' || *p == '+');
    if (p == end)
        return std::nullopt;
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t Limit = std::uint64_t(1) << 63; // the most a negative one takes
    for (; p < end; ++p) {
        if (*p < '0' || *p > '9' || magnitude > (Limit - 9) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + std::uint64_t(*p - '0');
    }
    if (magnitude > Limit - (negative ? 0 : 1))
        return std::nullopt;
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}
} // namespace

sqlite3_stmt* BoundInserts::bind(const QString& table, const QList<QByteArrayView>& fields,
                                 const std::vector<ColumnType>* columns, bool* boundNull)
{
    for (QByteArrayView field : fields)
        if (std::memchr(field.data(), 0, size_t(field.size())))
            return nullptr;
    if (!statementFor(table, int(fields.size())))
        return nullptr;
    bool anyNull = false;
    const qsizetype typed = columns ? std::min(fields.size(), qsizetype(columns->size())) : 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i < typed) {
            anyNull = bindTyped(int(i), (*columns)[size_t(i)], fields[i]) || anyNull;
            continue;
        }
        // Never a null pointer, so an empty field binds an empty text, not NULL.
        const QByteArrayView field = fields[i];
        sqlite3_bind_text(m_last, int(i) + 1, field.data() ? field.data() : "", int(field.size()),
                          SQLITE_STATIC);
    }
    if (boundNull)
        *boundNull = anyNull;
    return m_last;
}

bool BoundInserts::bindTyped(int i, const ColumnType& column, QByteArrayView field)
{
    const ValueForm form = FormOf(&column, field);
    if (form == ValueForm::Null) {
        sqlite3_bind_null(m_last, i + 1);
        return true;
    }
    // The integer spares SQLite reading the text back as a number for every row.
    if (form == ValueForm::Bare && column.kind == ColumnType::Kind::Integer)
        if (const std::optional<std::int64_t> value = wholeNumber(field)) {
            sqlite3_bind_int64(m_last, i + 1, *value);
            return false;
        }
    sqlite3_bind_text(m_last, i + 1, field.data() ? field.data() : "", int(field.size()),
                      SQLITE_STATIC);
    return false;
}

sqlite3_stmt* BoundInserts::statementFor(const QString& table, int valueCount)
{
    if (table.contains(u']'))
        return nullptr;
    // A run sends row after row of one shape: skip the look-up when it repeats.
    if (!m_last || valueCount != m_lastCount || table != m_lastTable) {
        m_last = prepared(table, valueCount);
        m_lastTable = table;
        m_lastCount = valueCount;
    }
    return m_last;
}

void BoundInserts::reset(sqlite3_stmt* statement)
{
    sqlite3_reset(statement);
}

void BoundInserts::clear()
{
    m_last = nullptr;
    m_lastCount = -1;
    for (sqlite3_stmt* st : std::as_const(m_statements))
        sqlite3_finalize(st);
    m_statements.clear();
}

sqlite3_stmt* BoundInserts::prepared(const QString& table, qsizetype valueCount)
{
    const QString key = table + u'\n' + QString::number(valueCount);
    if (sqlite3_stmt* cached = m_statements.value(key))
        return cached;
    QString sql = QStringLiteral("INSERT INTO [") + table + QStringLiteral("] VALUES(");
    for (qsizetype i = 0; i < valueCount; ++i)
        sql += i ? QStringLiteral(",?") : QStringLiteral("?");
    sql += QStringLiteral(");");
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st,
                           nullptr) != SQLITE_OK ||
        !st) {
        sqlite3_finalize(st);
        return nullptr;
    }
    m_statements.insert(key, st);
    return st;
}

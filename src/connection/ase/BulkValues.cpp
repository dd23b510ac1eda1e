#include "BulkValues.h"

#include "ColumnValues.h"
#include "ServerCharset.h"

#include <cmath>
#include <cstdlib>
#include <QRegularExpression>
#include <string>

namespace {
using Kind = ColumnType::Kind;

bool plainName(const QString& table)
{
    // The library writes the name into its own statements unquoted.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_@#$]*$"));
    return plain.match(table).hasMatch();
}

bool takesColumn(const ColumnType& column)
{
    const QString name = column.name.toLower();
    switch (column.kind) {
    case Kind::Integer:
    case Kind::Decimal:
    case Kind::Float:
    case Kind::Bit:
        return true;
    case Kind::Character:
        // Byte lengths: the national and Unicode types count otherwise.
        return name == QStringLiteral("varchar") || name == QStringLiteral("char");
    case Kind::Date:
        return name == QStringLiteral("date");
    case Kind::Time:
    case Kind::DateTime:
        // The library converts such a value itself, and the sandbox that plays ASE keeps what
        // it converted in another written form (10:11:12.000) than the literal a statement
        // sends: the two roads would leave tables that differ there.
    case Kind::Text:
    case Kind::Other:
        break;
    }
    return false;
}

int number(QByteArrayView text, qsizetype from, qsizetype digits)
{
    int value = 0;
    for (qsizetype i = from; i < from + digits; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

bool validDate(int year, int month, int day, int firstYear)
{
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < firstYear || month < 1 || month > 12 || day < 1 || day > days[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}

bool isoDate(QByteArrayView text, int firstYear)
{
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d$"));
    return text.size() == 10 && shape.match(QLatin1StringView(text)).hasMatch() &&
           validDate(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2), firstYear);
}

bool finite(QByteArrayView text)
{
    const std::string copy(text.data(), size_t(text.size()));
    return std::isfinite(std::strtod(copy.c_str(), nullptr));
}

bool valueCarried(const ColumnType& column, QByteArrayView field, const ServerCharset& charset)
{
    switch (column.kind) {
    case Kind::Character:
        return !field.endsWith(' ') && charset.encodedLength(field, column.length) <= column.length;
    case Kind::Float:
        return finite(field);
    case Kind::Date:
        return isoDate(field, 1);
    default:
        return true; // numbers were checked as the statement road checks them
    }
}
} // namespace

namespace BulkValues {
bool takesTable(const QString& table, const std::vector<ColumnType>& columns)
{
    if (columns.empty() || !plainName(table))
        return false;
    for (const ColumnType& column : columns)
        if (!takesColumn(column))
            return false;
    return true;
}

Form formOf(const ColumnType& column, QByteArrayView field)
{
    if (FormOf(&column, field) == ValueForm::Null)
        return Form::Null;
    return field.isEmpty() ? Form::Blank : Form::Bytes;
}

bool carries(const std::vector<ColumnType>& columns, const QList<QByteArrayView>& fields,
             const ServerCharset& charset)
{
    if (fields.size() != qsizetype(columns.size()))
        return false;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const ColumnType& column = columns[size_t(i)];
        switch (formOf(column, fields[i])) {
        case Form::Null:
            if (!column.nullable)
                return false;
            break;
        case Form::Blank:
            if (column.kind != Kind::Character)
                return false;
            break;
        case Form::Bytes:
            if (!valueCarried(column, fields[i], charset))
                return false;
            break;
        }
    }
    return true;
}
} // namespace BulkValues

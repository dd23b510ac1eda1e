#include "BulkValues.h"

#include "ColumnValues.h"
#include "ServerCharset.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <QRegularExpression>
#include <string>

namespace {
using Kind = ColumnType::Kind;

// The library's conversion of a text refuses an earlier year and leaves 1900 in its place.
constexpr int EarliestYear = 1753;

struct TimeOfDay
{
    int second = 0;
    qint64 nanoseconds = 0; // the fraction of the second
};

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
        return name == QStringLiteral("time") || name == QStringLiteral("bigtime");
    case Kind::DateTime:
        // Not datetimn: its grain (datetime or smalldatetime) is not known here.
        return name == QStringLiteral("datetime") || name == QStringLiteral("bigdatetime") ||
               name == QStringLiteral("smalldatetime");
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

// HH:MM:SS and an optional fraction of up to nine digits, from `from` to the end.
std::optional<TimeOfDay> isoTime(QByteArrayView text, qsizetype from)
{
    static const QRegularExpression shape(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d(\\.\\d{1,9})?$"));
    const QByteArrayView time = text.sliced(from);
    if (!shape.match(QLatin1StringView(time)).hasMatch() || number(time, 0, 2) > 23 ||
        number(time, 3, 2) > 59 || number(time, 6, 2) > 59)
        return std::nullopt;
    TimeOfDay out{number(time, 6, 2), 0};
    for (qsizetype i = 9; i < 18; ++i)
        out.nanoseconds = out.nanoseconds * 10 + (i < time.size() ? time[i] - '0' : 0);
    return out;
}

// Whether the library converts the time to the value the server's statement parser makes of
// it: the library cuts a fraction to milliseconds and rounds those to 1/300 s short of the
// nearest (.002 becomes .000, not .003), cuts one to microseconds, and drops the seconds of a
// smalldatetime, where the server rounds.
bool sameTime(const QString& type, const TimeOfDay& time)
{
    constexpr qint64 PerSecond = 1000000000;
    const qint64 ns = time.nanoseconds;
    if (type == QStringLiteral("bigdatetime") || type == QStringLiteral("bigtime"))
        return ns % 1000 == 0;
    if (type == QStringLiteral("smalldatetime"))
        return time.second * PerSecond + ns < 29999000000;
    return (ns / 1000000 * 300 + 150) / 1000 == (ns * 300 + PerSecond / 2) / PerSecond;
}

// YYYY-MM-DD, a day the library reads (from 1753: it leaves 1900 for an earlier year), then
// for a date and time nothing or " HH:MM:SS[.fraction]", for a time of day HH:MM:SS[.fraction].
bool dateTimeCarried(const ColumnType& column, QByteArrayView field)
{
    const QString type = column.name.toLower();
    if (column.kind == Kind::Time) {
        const auto time = isoTime(field, 0);
        return time && sameTime(type, *time);
    }
    if (field.size() < 10 || !isoDate(field.first(10), EarliestYear))
        return false;
    if (column.kind == Kind::Date || field.size() == 10)
        return field.size() == 10;
    const auto time = field[10] == ' ' ? isoTime(field, 11) : std::nullopt;
    return time && sameTime(type, *time);
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
    case Kind::Time:
    case Kind::DateTime:
        return dateTimeCarried(column, field);
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

#pragma once

#include <optional>
#include <QByteArray>
#include <QString>
#include <vector>

// A column's type as a database declares it: what loading text into the column needs to know.
struct ColumnType
{
    enum class Kind
    {
        Text,      // ASE text, SQLite TEXT or no declared type: any value, quoted
        Character, // char(n), varchar(n), nchar, nvarchar, unichar, univarchar: quoted, at most
                   // length
        Integer,   // tinyint, smallint, int, bigint and the unsigned ones: unquoted
        Decimal,   // numeric(p,s), decimal(p,s), money, smallmoney: unquoted
        Float,     // float, real, double precision: unquoted
        Date,      // date: quoted
        Time,      // time, bigtime: quoted
        DateTime,  // datetime, smalldatetime, bigdatetime: quoted
        Bit,       // bit: unquoted 0 or 1
        Other,     // binary, image, ...: quoted, as today
    };
    Kind kind = Kind::Text;
    QString column;    // the column's own name, for the reports
    QString name;      // as the database names it: "int", "numeric", "varchar", "TEXT"
    qint64 length = 0; // Character: the most bytes a value may take; 0: no limit known
    int precision = 0; // Decimal: digits in all; 0: any number
    int scale = 0;     // Decimal: digits after the point
    // Integer: the values the column holds; an unsigned bigint reaches past qint64.
    qint64 minimum = 0;
    quint64 maximum = 0;
    bool nullable = true;
    // The run made this column from a file with empty fields: an empty field goes as NULL
    // whatever the column's kind.
    bool emptyIsNull = false;
    // A field equal to this text goes as NULL (the runner's --null).
    std::optional<QByteArray> nullText;
};

// The type of an ASE column from its catalogue row (systypes.name, syscolumns.length, prec,
// scale, status).
ColumnType AseColumnType(const QString& column, const QString& typeName, qint64 length,
                         int precision, int scale, int status);
// The type of an SQLite column from its declared type, by SQLite's affinity rules.
ColumnType SqliteColumnType(const QString& column, const QString& declared, bool notNull);
// True when some value of a row of these columns is sent otherwise than quoted as text.
bool TakesTypedValues(const std::vector<ColumnType>& columns);

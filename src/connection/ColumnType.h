#pragma once

#include <QString>

// A column's type as a database declares it: what loading text into the column needs to know.
struct ColumnType
{
    enum class Kind
    {
        Text,      // ASE text, SQLite TEXT or no declared type: any value, quoted
        Character, // char(n), varchar(n), nchar, nvarchar, unichar, univarchar: quoted, at most length
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
    QString name;      // as the database names it: "int", "numeric", "varchar", "TEXT"
    qint64 length = 0; // Character: the most bytes a value may take; 0: no limit known
    int precision = 0; // Decimal: digits in all
    int scale = 0;     // Decimal: digits after the point
    bool nullable = true;
};

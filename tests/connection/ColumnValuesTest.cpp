#include "ColumnValues.h"

#include "InsertText.h"

#include <QtTest>

Q_DECLARE_METATYPE(ColumnType)

namespace {
ColumnType ase(const char* type, qint64 length = 4, int precision = 0, int scale = 0)
{
    return AseColumnType(QStringLiteral("amount"), QString::fromLatin1(type), length, precision,
                         scale, 8);
}

// What a one-value row becomes: its VALUES list, or the reason it is not sent.
QString sent(const ColumnType& column, const QByteArray& value)
{
    const std::vector<ColumnType> columns{column};
    const QList<QByteArrayView> fields{QByteArrayView(value)};
    if (const auto refusal = ValueRefusal(columns, fields))
        return *refusal;
    const QByteArray text = InsertText(QStringLiteral("t"), fields, columns);
    return QString::fromUtf8(text.sliced(23, text.size() - 25)); // INSERT INTO [t] VALUES(...);
}

QString refused(const char* value, const char* type)
{
    return QStringLiteral("Field #1 (\"%1\") is not a number the column amount (%2) can hold; "
                          "the row was not sent.")
        .arg(QString::fromUtf8(value), QString::fromLatin1(type));
}
} // namespace

class ColumnValuesTest : public QObject
{
    Q_OBJECT

private slots:
    void valueAsItsColumnTakesIt_data()
    {
        QTest::addColumn<ColumnType>("column");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("expected");
        struct Case
        {
            const char* name;
            ColumnType column;
            const char* value;
            QString expected;
        };
        const Case cases[] = {
            {"int", ase("int"), "5", "5"},
            {"int signed", ase("int"), "+7", "+7"},
            {"int lowest", ase("int"), "-2147483648", "-2147483648"},
            {"int past highest", ase("int"), "2147483648", refused("2147483648", "int")},
            {"int letters", ase("int"), "12x", refused("12x", "int")},
            {"int blanks", ase("int"), " 5", refused(" 5", "int")},
            {"int point", ase("int"), "1.0", refused("1.0", "int")},
            {"int sign alone", ase("int"), "-", refused("-", "int")},
            {"int empty", ase("int"), "", "NULL"},
            {"intn by length", ase("intn", 2), "40000", refused("40000", "intn")},
            {"tinyint top", ase("tinyint", 1), "255", "255"},
            {"tinyint past", ase("tinyint", 1), "256", refused("256", "tinyint")},
            {"tinyint negative", ase("tinyint", 1), "-1", refused("-1", "tinyint")},
            {"tinyint minus zero", ase("tinyint", 1), "-0", "-0"},
            {"bigint lowest", ase("bigint", 8), "-9223372036854775808", "-9223372036854775808"},
            {"bigint past lowest", ase("bigint", 8), "-9223372036854775809",
             refused("-9223372036854775809", "bigint")},
            {"bigint leading zeros", ase("bigint", 8), "000000000000000000000001",
             "000000000000000000000001"},
            {"ubigint top", ase("ubigint", 8), "18446744073709551615", "18446744073709551615"},
            {"ubigint past", ase("ubigint", 8), "18446744073709551616",
             refused("18446744073709551616", "ubigint")},
            {"numeric fits", ase("numeric", 5, 5, 2), "123.45", "123.45"},
            {"numeric trailing zeros", ase("numeric", 5, 5, 2), "-1.2300", "-1.2300"},
            {"numeric point only", ase("numeric", 5, 5, 2), "1.", "1."},
            {"numeric fraction only", ase("numeric", 5, 5, 2), ".5", ".5"},
            {"numeric whole too long", ase("numeric", 5, 5, 2), "1234.5",
             refused("1234.5", "numeric(5,2)")},
            {"numeric scale lost", ase("numeric", 5, 5, 2), "1.234",
             refused("1.234", "numeric(5,2)")},
            {"numeric exponent", ase("numeric", 5, 5, 2), "1e2", refused("1e2", "numeric(5,2)")},
            {"numeric point alone", ase("numeric", 5, 5, 2), ".", refused(".", "numeric(5,2)")},
            {"money", ase("money", 8), "922337203685477.5807", "922337203685477.5807"},
            {"smallmoney past", ase("smallmoney", 4), "1234567.1",
             refused("1234567.1", "smallmoney")},
            {"float exponent", ase("float", 8), "1.5E+10", "1.5E+10"},
            {"float small", ase("float", 8), "-1e-5", "-1e-5"},
            {"float bare exponent", ase("float", 8), "e5", refused("e5", "float")},
            {"float open exponent", ase("float", 8), "1e", refused("1e", "float")},
            {"float infinity", ase("float", 8), "inf", refused("inf", "float")},
            {"bit one", ase("bit", 1), "1", "1"},
            {"bit two", ase("bit", 1), "2", refused("2", "bit")},
            {"bit empty", ase("bit", 1), "", "NULL"},
            {"varchar quoted", ase("varchar", 30), "O'Brien", "'O''Brien'"},
            {"varchar empty", ase("varchar", 30), "", "''"},
            {"varchar number", ase("varchar", 30), "5", "'5'"},
            {"text empty", ase("text", 16), "", "''"},
            {"datetime", ase("datetime", 8), "2024-01-31", "'2024-01-31'"},
            {"datetime empty", ase("datetime", 8), "", "NULL"},
            {"binary as today", ase("varbinary", 8), "", "''"},
            {"sqlite integer", SqliteColumnType("amount", "INTEGER", false), "99999999999",
             "99999999999"},
            {"sqlite decimal any size", SqliteColumnType("amount", "DECIMAL(3,1)", false),
             "12345.678", "12345.678"},
            {"sqlite numeric exponent", SqliteColumnType("amount", "NUMERIC", false), "1e3", "1e3"},
            {"sqlite real", SqliteColumnType("amount", "REAL", false), "x", refused("x", "REAL")},
        };
        for (const Case& c : cases)
            QTest::newRow(c.name) << c.column << QByteArray(c.value) << c.expected;
    }
    void valueAsItsColumnTakesIt()
    {
        QFETCH(ColumnType, column);
        QFETCH(QByteArray, value);
        QFETCH(QString, expected);
        QCOMPARE(sent(column, value), expected);
    }

    // The first bad value names its own field; values past the columns go quoted, for the
    // server to refuse the row.
    void rowsOfSeveralValues()
    {
        const std::vector<ColumnType> columns{ase("varchar", 9), ase("int"), ase("int")};
        const QList<QByteArrayView> fields{"a", "1", "z", "y", "it's"};
        QCOMPARE(ValueRefusal(columns, fields).value_or(QString()),
                 QStringLiteral("Field #3 (\"z\") is not a number the column amount (int) can "
                                "hold; the row was not sent."));
        const QList<QByteArrayView> good{"a", "", "2", "it's"};
        QVERIFY(!ValueRefusal(columns, good));
        QCOMPARE(InsertText(QStringLiteral("T w"), good, columns),
                 QByteArray("INSERT INTO [T w] VALUES('a',NULL,2,'it''s');"));
    }

    void catalogueRowsMapToKinds()
    {
        using Kind = ColumnType::Kind;
        const ColumnType notNull = AseColumnType("n", "numeric", 9, 10, 3, 0);
        QCOMPARE(notNull.kind, Kind::Decimal);
        QCOMPARE(notNull.precision, 10);
        QCOMPARE(notNull.scale, 3);
        QVERIFY(!notNull.nullable);
        const ColumnType varchar = AseColumnType("v", "varchar", 30, 0, 0, 8);
        QCOMPARE(varchar.kind, Kind::Character);
        QCOMPARE(varchar.length, 30);
        QVERIFY(varchar.nullable);
        QCOMPARE(AseColumnType("u", "id_type", 4, 0, 0, 0).kind, Kind::Other);
        const QList<QPair<const char*, Kind>> sqlite{
            {"INTEGER", Kind::Integer}, {"BIGINT", Kind::Integer}, {"VARCHAR(10)", Kind::Text},
            {"", Kind::Text},           {"BLOB", Kind::Text},      {"DOUBLE", Kind::Float},
            {"NUMERIC", Kind::Decimal}, {"DATE", Kind::Date},      {"DATETIME", Kind::DateTime},
            {"BOOLEAN", Kind::Bit},     {"MONEY", Kind::Decimal}};
        for (const auto& [declared, kind] : sqlite)
            QCOMPARE(SqliteColumnType("c", declared, false).kind, kind);
        QVERIFY(!TakesTypedValues({SqliteColumnType("a", "TEXT", false), varchar}));
        QVERIFY(TakesTypedValues({varchar, notNull}));
    }
};

QTEST_GUILESS_MAIN(ColumnValuesTest)
#include "ColumnValuesTest.moc"

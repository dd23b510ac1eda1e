#include "ColumnTypeChoice.h"

#include <QtTest>

namespace {
ColumnProfile profileOf(const QStringList& values)
{
    ColumnProfile profile;
    for (const QString& value : values) {
        const QByteArray bytes = value.toUtf8();
        profile.add(bytes, bytes.size());
    }
    return profile;
}

QString aseDeclaration(const QStringList& values, int pageSize = 2048)
{
    return ColumnTypeChoice::declaration(
        ColumnTypeChoice::forAse({profileOf(values)}, pageSize).columns[0], true);
}

// Columns given as groups: how many columns hold this one value.
using ColumnGroups = QList<QPair<int, QString>>;

std::vector<ColumnProfile> profilesOf(const ColumnGroups& groups)
{
    std::vector<ColumnProfile> profiles;
    for (const auto& [count, value] : groups)
        for (int i = 0; i < count; ++i)
            profiles.push_back(profileOf({value}));
    return profiles;
}

QString sqliteDeclaration(const QStringList& values)
{
    return ColumnTypeChoice::declaration(ColumnTypeChoice::forSqlite({profileOf(values)})[0],
                                         false);
}
} // namespace

class ColumnTypeChoiceTest : public QObject
{
    Q_OBJECT

private slots:
    // Every value of the column fits the type chosen; codes that look like numbers stay text.
    void theNarrowestTypeEveryValueFits_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("ase");
        QTest::addColumn<QString>("sqlite");
        QTest::newRow("small integers") << QStringList{"1", "-20", "0"} << "int NOT NULL"
                                        << "INTEGER";
        QTest::newRow("int's edges") << QStringList{"2147483647", "-2147483648"} << "int NOT NULL"
                                     << "INTEGER";
        QTest::newRow("past int") << QStringList{"2147483648"} << "bigint NOT NULL"
                                  << "INTEGER";
        QTest::newRow("bigint's edges")
            << QStringList{"9223372036854775807", "-9223372036854775808"} << "bigint NOT NULL"
            << "INTEGER";
        QTest::newRow("past 64 bits")
            << QStringList{"9223372036854775808"} << "numeric(19,0) NOT NULL"
            << "TEXT";
        QTest::newRow("leading zero is a code") << QStringList{"007", "12"} << "varchar(3) NOT NULL"
                                                << "TEXT";
        QTest::newRow("plus sign is text") << QStringList{"+5"} << "varchar(2) NOT NULL"
                                           << "TEXT";
        QTest::newRow("decimals") << QStringList{"12345.678", "-0.5", "3"}
                                  << "numeric(8,3) NOT NULL"
                                  << "REAL";
        QTest::newRow("below one") << QStringList{"0.25", "0.5"} << "numeric(2,2) NOT NULL"
                                   << "REAL";
        QTest::newRow("too precise for a double")
            << QStringList{"1234567890.1234567"} << "numeric(17,7) NOT NULL"
            << "TEXT";
        QTest::newRow("not plain decimals")
            << QStringList{"1.", ".5", "1e5"} << "varchar(3) NOT NULL"
            << "TEXT";
        QTest::newRow("more digits than numeric keeps")
            << QStringList{QString(40, u'9')} << "varchar(40) NOT NULL"
            << "TEXT";
        QTest::newRow("dates") << QStringList{"2021-03-04", "2024-02-29"} << "date NOT NULL"
                               << "TEXT";
        QTest::newRow("not a date") << QStringList{"2021-02-29"} << "varchar(10) NOT NULL"
                                    << "TEXT";
        QTest::newRow("whole seconds")
            << QStringList{"2021-03-04 10:11:12", "2021-03-04 23:59:59.000"} << "datetime NOT NULL"
            << "TEXT";
        QTest::newRow("fractions")
            << QStringList{"2021-03-04 10:11:12.123"} << "bigdatetime NOT NULL"
            << "TEXT";
        QTest::newRow("before datetime's years")
            << QStringList{"1700-01-01 00:00:00"} << "bigdatetime NOT NULL"
            << "TEXT";
        QTest::newRow("dates and times mixed")
            << QStringList{"2021-03-04", "2021-03-04 10:11:12"} << "varchar(19) NOT NULL"
            << "TEXT";
        QTest::newRow("an empty field allows NULL") << QStringList{"1", ""} << "int NULL"
                                                    << "INTEGER";
        QTest::newRow("only empty fields") << QStringList{"", ""} << "varchar(1) NULL"
                                           << "TEXT";
        QTest::newRow("bytes, not characters") << QStringList{"€uro"} << "varchar(6) NOT NULL"
                                               << "TEXT";
    }
    void theNarrowestTypeEveryValueFits()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, ase);
        QFETCH(QString, sqlite);
        QCOMPARE(aseDeclaration(values), ase);
        QCOMPARE(sqliteDeclaration(values), sqlite);
    }

    // Character columns too wide for the page become text, the widest first, until the row fits.
    void wideColumnsBecomeTextUntilTheRowFits()
    {
        QCOMPARE(aseDeclaration({QString(1961, u'x')}), QStringLiteral("text NULL"));
        QCOMPARE(aseDeclaration({QString(1961, u'x')}, 4096),
                 QStringLiteral("varchar(1961) NOT NULL"));
        const std::vector<ColumnProfile> columns{profileOf({QString(900, u'a')}),
                                                 profileOf({QString(1000, u'b')}),
                                                 profileOf({QString(100, u'c')})};
        const std::vector<ColumnType> types = ColumnTypeChoice::forAse(columns, 2048).columns;
        QCOMPARE(ColumnTypeChoice::declaration(types[0], true),
                 QStringLiteral("varchar(900) NOT NULL"));
        QCOMPARE(ColumnTypeChoice::declaration(types[1], true), QStringLiteral("text NULL"));
        QCOMPARE(ColumnTypeChoice::declaration(types[2], true),
                 QStringLiteral("varchar(100) NOT NULL"));
        // On 8K pages the same row fits as it is.
        const std::vector<ColumnType> wide = ColumnTypeChoice::forAse(columns, 8192).columns;
        QCOMPARE(ColumnTypeChoice::declaration(wide[1], true),
                 QStringLiteral("varchar(1000) NOT NULL"));
    }

    // A column becomes text only where that narrows the row; past 254 variable-length columns
    // (nullable ones count) the table is locked by rows and sized by their limits; a table no
    // lock scheme holds is refused before it is made.
    void tablesKeepWithinAsesLimits_data()
    {
        QTest::addColumn<ColumnGroups>("columns");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<QList<int>>("textColumns"); // positions, 0-based
        QTest::addColumn<bool>("datarows");
        QTest::addColumn<QString>("refusal"); // its start; empty: the table is made
        const QString tooWide = QStringLiteral("A row of the table could take ");
        QTest::newRow("the wider of two goes, the narrow stay")
            << ColumnGroups{{2, QString(40, u'w')}, {110, QString(15, u'n')}} << 2048
            << QList<int>{0} << false << QString();
        QTest::newRow("text is no narrower than short values")
            << ColumnGroups{{120, QString(15, u'n')}} << 2048 << QList<int>{} << false
            << tooWide + "2040 bytes even with its wide columns as text, more than the 1948 a "
                         "row of an allpages-locked table holds on the server's 2048-byte pages";
        QTest::newRow("short values fit larger pages")
            << ColumnGroups{{120, QString(15, u'n')}} << 4096 << QList<int>{} << false << QString();
        QTest::newRow("254 nullable columns")
            << ColumnGroups{{254, QString()}} << 2048 << QList<int>{} << false << QString();
        QTest::newRow("255 nullable columns")
            << ColumnGroups{{255, QString()}} << 2048 << QList<int>{} << true << QString();
        QTest::newRow("fixed-length columns do not count")
            << ColumnGroups{{254, QStringLiteral("x")}, {100, QStringLiteral("7")}} << 2048
            << QList<int>{} << false << QString();
        QTest::newRow("too many short values for 2K rows")
            << ColumnGroups{{300, QStringLiteral("abcde")}} << 2048 << QList<int>{} << true
            << tooWide + "2100 bytes even with its wide columns as text, more than the 1958 a "
                         "row of a datarows-locked table holds on the server's 2048-byte pages";
        QTest::newRow("the same on 4K pages") << ColumnGroups{{300, QStringLiteral("abcde")}}
                                              << 4096 << QList<int>{} << true << QString();
        // On 16K pages a variable-length column of a row-locked table begins by 8183 bytes.
        QList<int> first99;
        for (int i = 0; i < 99; ++i)
            first99 << i;
        QTest::newRow("16K rows locked by rows")
            << ColumnGroups{{300, QString(30, u'v')}} << 16384 << first99 << true << QString();
        QTest::newRow("past 1024 columns")
            << ColumnGroups{{1025, QStringLiteral("1")}} << 16384 << QList<int>{} << false
            << QStringLiteral("The file has 1025 columns, more than the 1024 an ASE table holds");
    }
    void tablesKeepWithinAsesLimits()
    {
        QFETCH(ColumnGroups, columns);
        QFETCH(int, pageSize);
        QFETCH(QList<int>, textColumns);
        QFETCH(bool, datarows);
        QFETCH(QString, refusal);
        const ColumnTypeChoice::AseTable table =
            ColumnTypeChoice::forAse(profilesOf(columns), pageSize);
        QCOMPARE(table.refusal.left(refusal.size()), refusal);
        QCOMPARE(table.refusal.isEmpty(), refusal.isEmpty());
        QList<int> texts;
        for (size_t i = 0; i < table.columns.size(); ++i)
            if (table.columns[i].kind == ColumnType::Kind::Text)
                texts << int(i);
        QCOMPARE(texts, textColumns);
        QCOMPARE(table.lockDatarows, datarows);
        QCOMPARE(ColumnTypeChoice::lockClause(table),
                 datarows ? QStringLiteral(" lock datarows") : QString());
    }
};

QTEST_APPLESS_MAIN(ColumnTypeChoiceTest)
#include "ColumnTypeChoiceTest.moc"

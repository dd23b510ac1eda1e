#include "../connection/FaultyVfs.h"
#include "ColumnValues.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "ImportFixture.h"
#include "InsertText.h"
#include "SqliteRows.h"

#include <QtTest>
#include <sqlite3.h>

namespace {
// What a database holds, with each value's type, so that '' and NULL or 42 and '42' differ.
QStringList typedRows(const QString& db, const QString& table)
{
    return SqliteRows(
        db, QStringLiteral("SELECT quote(a), quote(b) FROM [%1] ORDER BY rowid").arg(table));
}
} // namespace

class EmbeddedImportTest : public QObject
{
    Q_OBJECT

private slots:
    // Rows bound to their table give what their statement texts give: the same values and the
    // same failure texts.
    void boundRowsMatchTheirTexts()
    {
        TestEnvironment env;
        const QString asText = env.path(QStringLiteral("text.db"));
        const QString bound = env.path(QStringLiteral("bound.db"));
        const QString create =
            QStringLiteral("CREATE TABLE [%1] ([a] TEXT, [b] INTEGER); CREATE TABLE [x]([a]);");
        const QList<QStringList> rows{
            {"plain", "42"},
            {"", "  7 "},
            {"O'Brien", "''"},
            {"Ünïcödé – \U0001F600", "x"},
            {QString(QChar(0xD800)) + u'a', QString(u'b') + QChar(0xDC00)},
            {QString(QChar(0xD83D)), "high surrogate last"},
            {QStringLiteral("nul") + QChar(0) + u'x', "1"},
            {"too few"},
            {"a", "b", "too many"},
            {"a');--", "DROP"},
        };
        const QStringList tables{QStringLiteral("T w"), QStringLiteral("Nope"),
                                 QStringLiteral("x](a); DROP TABLE [x];--")};
        QStringList textFailures, boundFailures;
        DatabaseSession text, binding;
        text.open(embedded(asText));
        binding.open(embedded(bound));
        text.execute(create.arg(tables[0]));
        binding.execute(create.arg(tables[0]));
        std::int64_t ticket = 0;
        for (const QString& table : tables) {
            for (const QStringList& values : rows) {
                QList<QByteArray> encoded;
                for (const QString& v : values)
                    encoded << v.toUtf8();
                RowValues row;
                row.ticket = ++ticket;
                row.table = table;
                for (const QByteArray& e : encoded)
                    row.fields.append(QByteArrayView(e));
                textFailures << failureOf(
                    [&] { text.execute(QString::fromUtf8(InsertText(table, row.fields))); });
                binding.submitRow(row);
            }
        }
        binding.flushRows();
        for (const RowOutcome& o : binding.takeOutcomes())
            boundFailures << (o.loaded ? QString() : o.description);
        text.close();
        binding.close();
        QCOMPARE(boundFailures, textFailures);
        QCOMPARE(typedRows(bound, tables[0]), typedRows(asText, tables[0]));
        QCOMPARE(typedRows(bound, tables[0]).size(), 7);
        // A name that leaves its brackets runs as its text does, wherever that leads.
        QCOMPARE(SqliteRows(bound, QStringLiteral("SELECT name FROM sqlite_master")),
                 SqliteRows(asText, QStringLiteral("SELECT name FROM sqlite_master")));
    }

    // Into a table of typed columns, a bound row stores what its typed text stores: numbers
    // through the column's affinity, NULL for an empty value, the same refusals and failures.
    void typedBoundRowsMatchTheirTexts()
    {
        TestEnvironment env;
        const QString asText = env.path(QStringLiteral("text.db"));
        const QString bound = env.path(QStringLiteral("bound.db"));
        const QString create = QStringLiteral(
            "CREATE TABLE [typed] ([i] INTEGER NOT NULL, [r] REAL, [n] NUMERIC, [d] DATE, "
            "[t] TEXT, [v] VARCHAR(3))");
        const QList<QList<QByteArray>> rows{
            {"5", "1.5", "2.0", "2024-01-01", "x", "longer than three"},
            {"-0", "5", "1e3", "", "", ""},
            {"", "1", "1", "d", "t", "v"},
            {"12x", "1", "1", "d", "t", "v"},
            {"9223372036854775807", "-0.0", ".5", "", "O'Brien", "a"},
            {"007", "1e400", "123456789012345678901234567890", "1", "2", "3"},
            {"1", "0.1", "-1.", "d", QByteArray("nul\0x", 5), "v"},
            {"1", "2"},
            {"1", "2", "3", "4", "5", "6", "7"},
        };
        QStringList textFailures, boundFailures;
        DatabaseSession text, binding;
        text.open(embedded(asText));
        binding.open(embedded(bound));
        text.execute(create);
        binding.execute(create);
        const std::vector<ColumnType> columns = binding.columnTypes(QStringLiteral("typed"));
        QCOMPARE(columns.size(), size_t(6));
        QVERIFY(TakesTypedValues(columns));
        std::int64_t ticket = 0;
        for (const QList<QByteArray>& values : rows) {
            RowValues row;
            row.ticket = ++ticket;
            row.table = QStringLiteral("typed");
            row.columns = &columns;
            for (const QByteArray& v : values)
                row.fields.append(QByteArrayView(v));
            const auto refusal = ValueRefusal(columns, row.fields);
            textFailures << (refusal ? *refusal : failureOf([&] {
                text.execute(QString::fromUtf8(InsertText(row.table, row.fields, columns)));
            }));
            binding.submitRow(row);
        }
        binding.flushRows();
        for (const RowOutcome& o : binding.takeOutcomes())
            boundFailures << (o.loaded ? QString() : o.description);
        text.close();
        binding.close();
        QCOMPARE(boundFailures, textFailures);
        const QString stored = QStringLiteral(
            "SELECT quote(i), quote(r), quote(n), quote(d), quote(t), quote(v) FROM typed "
            "ORDER BY rowid");
        QCOMPARE(SqliteRows(bound, stored), SqliteRows(asText, stored));
        QCOMPARE(SqliteRows(bound, stored).size(), 4);
        QCOMPARE(SqliteRows(bound, stored).at(1), QStringLiteral("0|5.0|1000|NULL|''|''"));
    }

    // A full disk ends each file at once with one report saying what is in the table; rows
    // reported as loaded before stay, and the run goes on to its end.
    void aFullDiskEndsEachFileWithOneReport()
    {
        FaultyVfs::install();
        ImportFixture f;
        QByteArray lines = "n,v\n";
        for (int i = 1; i <= 3000; ++i)
            lines += QByteArray::number(i) + ",x\n";
        for (const char* name : {"a.csv", "b.csv", "c.csv"})
            f.addFile(QString::fromLatin1(name), lines);
        f.onFileRead = [](int index) {
            if (index == 1)
                FaultyVfs::failWalWrites(SQLITE_FULL);
        };
        const ImportOutcome outcome = f.run();
        FaultyVfs::failWalWrites(0);

        QCOMPARE(outcome.closingMessage, QStringLiteral("Done."));
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const QString& report = reports[i];
            QVERIFY2(report.contains(QStringLiteral("database or disk is full")),
                     qPrintable(report));
            QVERIFY2(report.contains(QStringLiteral("The file ") + f.files[i + 1] +
                                     QStringLiteral(" was not imported.")),
                     qPrintable(report));
            QVERIFY2(!report.contains(QStringLiteral("connection")), qPrintable(report));
            QCOMPARE(lineOf(report), 240);
        }
        QCOMPARE(f.rows(QStringLiteral("NewTable1")).size(), 3000);
        QCOMPARE(f.tablesInDatabase(), QStringList({"NewTable1"}));
        QCOMPARE(f.tables.items(), QStringList({"NewTable1"}));
    }
};

QTEST_GUILESS_MAIN(EmbeddedImportTest)
#include "EmbeddedImportTest.moc"

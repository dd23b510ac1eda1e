#include "ImportFixture.h"
#include "SqliteRows.h"

#include <QtTest>

// New tables typed from their file's values: the table fits every value, so every row loads,
// empty fields are NULL, and codes that look like numbers keep their zeros.
class InferredTypesTest : public QObject
{
    Q_OBJECT

private slots:
    void everyRowFitsTheTypesChosen_data()
    {
        QTest::addColumn<ImportTarget>("target");
        QTest::addColumn<QString>("charset"); // the sandbox's; empty: its default, utf8
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QStringList>("rows");
        const QByteArray mixed = "id,name,amount,day,code,note\n"
                                 "1,Ann,12.50,2021-03-04,007,x\n"
                                 "2,Bob,-3,2021-03-05,012,\n"
                                 "3,Cy,,2024-02-29,100,hello\n";
        const QString mixedSelect = "quote(id), quote(code), quote(note), amount IS NULL";
        const QStringList mixedRows{"1|'007'|'x'|0", "2|'012'|NULL|0", "3|'100'|'hello'|1"};
        const QString aseMixed = "[id] int NOT NULL, [name] varchar(3) NOT NULL, [amount] "
                                 "numeric(4,2) NULL, [day] date NOT NULL, [code] varchar(3) NOT "
                                 "NULL, [note] varchar(5) NULL";
        QTest::newRow("embedded") << ImportTarget::Embedded << QString() << mixed
                                  << "[id] INTEGER, [name] TEXT, [amount] REAL, [day] TEXT, "
                                     "[code] TEXT, [note] TEXT"
                                  << mixedSelect << mixedRows;
        QTest::newRow("batched") << ImportTarget::SandboxBatched << QString() << mixed << aseMixed
                                 << mixedSelect << mixedRows;
        QTest::newRow("one-by-one") << ImportTarget::SandboxOneByOne << QString() << mixed
                                    << aseMixed << mixedSelect << mixedRows;
        // Widths count bytes in the server's set: one a letter on iso_1, two for ë on utf8.
        const QByteArray accents = "a,b\nZoë,Ærø\nAl,Bo\n";
        const QStringList accentRows{"Zoë|Ærø", "Al|Bo"};
        QTest::newRow("iso_1 widths")
            << ImportTarget::SandboxBatched << "iso_1" << accents
            << "[a] varchar(3) NOT NULL, [b] varchar(3) NOT NULL"
            << "hex(a), hex(b)" << QStringList{"5A6FEB|C672F8", "416C|426F"}; // as stored
        QTest::newRow("utf8 widths") << ImportTarget::SandboxOneByOne << "utf8" << accents
                                     << "[a] varchar(4) NOT NULL, [b] varchar(5) NOT NULL"
                                     << "a, b" << accentRows;
        // Twenty digits pass 64 bits: SQLite's INTEGER would drop one. Whole seconds fit
        // datetime; a finer fraction than its 1/300 s needs bigdatetime.
        const QByteArray wide = "n,at,exact\n"
                                "12345678901234567890,2021-03-04 10:11:12,2021-03-04 10:11:12.123\n"
                                "-5,2021-03-04 23:59:59.000,2021-03-04 10:11:12.000001\n";
        QTest::newRow("embedded wide")
            << ImportTarget::Embedded << QString() << wide << "[n] TEXT, [at] TEXT, [exact] TEXT"
            << "quote(n), at, exact"
            << QStringList{"'12345678901234567890'|2021-03-04 "
                           "10:11:12|2021-03-04 10:11:12.123",
                           "'-5'|2021-03-04 23:59:59.000|2021-03-04 "
                           "10:11:12.000001"};
        QTest::newRow("batched wide")
            << ImportTarget::SandboxBatched << QString() << wide
            << "[n] numeric(20,0) NOT NULL, [at] datetime NOT NULL, [exact] bigdatetime NOT NULL"
            << "at, exact"
            << QStringList{"2021-03-04 10:11:12.000|2021-03-04 10:11:12.123000",
                           "2021-03-04 23:59:59.000|2021-03-04 10:11:12.000001"};
    }
    void everyRowFitsTheTypesChosen()
    {
        QFETCH(ImportTarget, target);
        QFETCH(QString, charset);
        QFETCH(QByteArray, file);
        QFETCH(QString, schema);
        QFETCH(QString, select);
        QFETCH(QStringList, rows);
        SandboxServer::Settings server;
        server.charset = charset;
        ImportFixture f(target, server);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        f.options.values().tableName = QStringLiteral("T");
        f.options.values().columnTyping = ColumnTyping::Inferred;
        f.addFile(QStringLiteral("a.csv"), file);
        const ImportOutcome outcome = f.run();
        f.settle();
        QCOMPARE(outcome.ending, ImportEnding::Done);
        QCOMPARE(f.errorReports(), QStringList());
        const QStringList made = SqliteRows(
            f.storeFile(), QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'T'"));
        QCOMPARE(made, QStringList{QStringLiteral("CREATE TABLE [T](") + schema + u')'});
        QCOMPARE(f.rows(QStringLiteral("T"), select), rows);
    }

    // On a server of 2K pages a row of a 900-byte and an 1,100-byte value does not fit: the wider
    // column becomes text and every row still loads.
    void columnsTooWideForThePageBecomeText()
    {
        ImportFixture f(ImportTarget::SandboxBatched);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        f.options.values().tableName = QStringLiteral("W");
        f.options.values().columnTyping = ColumnTyping::Inferred;
        f.addFile(QStringLiteral("w.csv"),
                  "a,b\n" + QByteArray(900, 'x') + ',' + QByteArray(1100, 'y') + '\n');
        QCOMPARE(f.run().ending, ImportEnding::Done);
        f.settle();
        QCOMPARE(SqliteRows(f.storeFile(),
                            QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'W'")),
                 QStringList{QStringLiteral("CREATE TABLE [W]([a] varchar(900) NOT NULL, [b] text "
                                            "NULL)")});
        QCOMPARE(f.rows(QStringLiteral("W"), QStringLiteral("length(a), length(b)")),
                 QStringList{QStringLiteral("900|1100")});
    }

    // Past 254 variable-length columns the table is made locked by rows, in the statement sent;
    // a table no lock scheme holds on the server's pages is refused before CREATE TABLE.
    void wideTablesAreLockedByRowsOrRefused_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("sqlEnd");  // of the table as made; empty: none made
        QTest::addColumn<QString>("refusal"); // in the file's report
        QTest::newRow("260 short columns")
            << 260 << QByteArray("x") << "[c259] varchar(1) NOT NULL/*lock datarows*/)"
            << QString();
        QTest::newRow("a row too wide for 2K pages")
            << 120 << QByteArray(15, 'n') << QString()
            << "A row of the table could take 2040 bytes even with its wide columns as text";
    }
    void wideTablesAreLockedByRowsOrRefused()
    {
        QFETCH(int, columns);
        QFETCH(QByteArray, value);
        QFETCH(QString, sqlEnd);
        QFETCH(QString, refusal);
        ImportFixture f(ImportTarget::SandboxBatched);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        f.options.values().tableName = QStringLiteral("L");
        f.options.values().columnTyping = ColumnTyping::Inferred;
        QStringList made;
        f.runner.tableMade = [&](const QString& statement) { made << statement; };
        QByteArrayList header, row;
        for (int i = 0; i < columns; ++i) {
            header << "c" + QByteArray::number(i);
            row << value;
        }
        f.addFile(QStringLiteral("l.csv"), header.join(',') + '\n' + row.join(',') + '\n');
        f.run();
        f.settle();
        const QStringList sql = SqliteRows(
            f.storeFile(), QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'L'"));
        if (sqlEnd.isEmpty()) {
            QCOMPARE(sql, QStringList());
            QCOMPARE(made, QStringList());
            QCOMPARE(f.errorReports().size(), 1);
            QVERIFY2(f.errorReports()[0].contains(refusal), qPrintable(f.errorReports()[0]));
            return;
        }
        QCOMPARE(f.errorReports(), QStringList());
        QCOMPARE(sql.size(), 1);
        QVERIFY2(sql[0].endsWith(sqlEnd), qPrintable(sql[0].right(80)));
        QCOMPARE(made.size(), 1);
        QVERIFY2(made[0].endsWith(QStringLiteral(" NOT NULL) lock datarows;")),
                 qPrintable(made[0].right(80)));
        QCOMPARE(f.rows(QStringLiteral("L"), QStringLiteral("c0, c259")), QStringList{"x|x"});
    }

    // Without the choice, every column is text as before.
    void textRemainsTheDefault()
    {
        ImportFixture f;
        f.options.values().tableName = QStringLiteral("T");
        f.addFile(QStringLiteral("a.csv"), "id,n\n1,\n");
        QCOMPARE(f.run().ending, ImportEnding::Done);
        QCOMPARE(SqliteRows(f.storeFile(),
                            QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'T'")),
                 QStringList{QStringLiteral("CREATE TABLE [T]([id] TEXT, [n] TEXT)")});
        QCOMPARE(f.rows(QStringLiteral("T"), QStringLiteral("quote(n)")), QStringList{"''"});
    }
};

QTEST_GUILESS_MAIN(InferredTypesTest)
#include "InferredTypesTest.moc"

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
        QTest::addColumn<QString>("schema");
        QTest::newRow("embedded") << ImportTarget::Embedded
                                  << "[id] INTEGER, [name] TEXT, [amount] REAL, [day] TEXT, "
                                     "[code] TEXT, [note] TEXT";
        QTest::newRow("batched") << ImportTarget::SandboxBatched
                                 << "[id] int NOT NULL, [name] varchar(3) NOT NULL, [amount] "
                                    "numeric(4,2) NULL, [day] date NOT NULL, [code] varchar(3) "
                                    "NOT NULL, [note] varchar(5) NULL";
        QTest::newRow("one-by-one") << ImportTarget::SandboxOneByOne
                                    << "[id] int NOT NULL, [name] varchar(3) NOT NULL, [amount] "
                                       "numeric(4,2) NULL, [day] date NOT NULL, [code] "
                                       "varchar(3) NOT NULL, [note] varchar(5) NULL";
    }
    void everyRowFitsTheTypesChosen()
    {
        QFETCH(ImportTarget, target);
        QFETCH(QString, schema);
        ImportFixture f(target);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        f.options.values().tableName = QStringLiteral("T");
        f.options.values().columnTyping = ColumnTyping::Inferred;
        f.addFile(QStringLiteral("a.csv"), "id,name,amount,day,code,note\n"
                                           "1,Ann,12.50,2021-03-04,007,x\n"
                                           "2,Bob,-3,2021-03-05,012,\n"
                                           "3,Cy,,2024-02-29,100,hello\n");
        const ImportOutcome outcome = f.run();
        f.settle();
        QCOMPARE(outcome.ending, ImportEnding::Done);
        QCOMPARE(f.errorReports(), QStringList());
        const QStringList made = SqliteRows(
            f.storeFile(), QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'T'"));
        QCOMPARE(made, QStringList{QStringLiteral("CREATE TABLE [T](") + schema + u')'});
        QCOMPARE(f.rows(QStringLiteral("T"), QStringLiteral("quote(id), quote(code), quote(note)")),
                 (QStringList{"1|'007'|'x'", "2|'012'|NULL", "3|'100'|'hello'"}));
        QCOMPARE(f.rows(QStringLiteral("T"), QStringLiteral("amount IS NULL")),
                 (QStringList{"0", "0", "1"}));
    }

    // On a server of 2K pages a row of a 900-byte and an 1,100-byte value does not fit: the wider column
    // becomes text and every row still loads.
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

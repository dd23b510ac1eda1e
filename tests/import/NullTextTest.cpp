#include "ImportFixture.h"

#include <QtTest>

// --null: a field equal to the text is loaded as NULL, in a new table of text columns and when
// appending to a typed table, on every target; other fields go as they always did.
class NullTextTest : public QObject
{
    Q_OBJECT

private slots:
    void aFieldEqualToTheTextIsNull_data()
    {
        QTest::addColumn<ImportTarget>("target");
        for (ImportTarget target : AllImportTargets)
            QTest::newRow(targetName(target)) << target;
    }
    void aFieldEqualToTheTextIsNull()
    {
        QFETCH(ImportTarget, target);
        ImportFixture f(target);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        f.runner.nullText = QStringLiteral("NA");
        f.options.values().tableName = QStringLiteral("T");
        f.addFile(QStringLiteral("new.csv"), "id,name\n1,NA\nNA,Bob\n2,NAN\n");
        QCOMPARE(f.run().ending, ImportEnding::Done);
        QCOMPARE(f.errorReports(), QStringList());

        ImportFixture a(target);
        QVERIFY2(a.startError().isEmpty(), qPrintable(a.startError()));
        a.execute(isSandbox(target)
                      ? QStringLiteral("create table Typed (id int null, name varchar(9) null)")
                      : QStringLiteral("CREATE TABLE [Typed] ([id] INTEGER, [name] TEXT)"));
        a.tables.addItem(QStringLiteral("Typed"));
        a.tables.setCurrentIndex(0);
        a.options.values().mode = ImportMode::AppendToExisting;
        a.runner.nullText = QStringLiteral("NA");
        a.addFile(QStringLiteral("typed.csv"), "NA,x\n3,NA\n");
        QCOMPARE(a.run().ending, ImportEnding::Done);
        QCOMPARE(a.errorReports(), QStringList());

        f.settle();
        a.settle();
        QCOMPARE(f.rows(QStringLiteral("T"), QStringLiteral("quote(id), quote(name)")),
                 (QStringList{"'1'|NULL", "NULL|'Bob'", "'2'|'NAN'"}));
        QCOMPARE(a.rows(QStringLiteral("Typed"), QStringLiteral("quote(id), quote(name)")),
                 (QStringList{"NULL|'x'", "3|NULL"}));
    }
};

QTEST_GUILESS_MAIN(NullTextTest)
#include "NullTextTest.moc"

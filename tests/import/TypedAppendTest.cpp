#include "DatabaseSession.h"
#include "Failure.h"
#include "ImportFixture.h"

#include <QtTest>

// Appending into a table of typed columns: each value goes as its column takes it, a value
// that is not a number its column can hold fails its row alone, in its place.
class TypedAppendTest : public QObject
{
    Q_OBJECT

private slots:
    void valuesGoAsTheirColumnsTakeThem_data()
    {
        QTest::addColumn<ImportTarget>("target");
        for (ImportTarget target : AllImportTargets)
            QTest::newRow(targetName(target)) << target;
    }
    void valuesGoAsTheirColumnsTakeThem()
    {
        QFETCH(ImportTarget, target);
        ImportFixture f(target);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        f.execute(isSandbox(target)
                      ? QStringLiteral("create table Sales (id int not null, amount numeric(6,2) "
                                       "null, price float null, day date null, note varchar(5) "
                                       "null)")
                      : QStringLiteral("CREATE TABLE [Sales] ([id] INTEGER NOT NULL, [amount] "
                                       "NUMERIC, [price] REAL, [day] DATE, [note] TEXT)"));
        if (isSandbox(target) && !catalogueAnswers(f))
            QSKIP("the sandbox does not answer the column catalogue query yet");
        f.tables.addItem(QStringLiteral("Sales"));
        f.tables.setCurrentIndex(0);
        f.options.values().mode = ImportMode::AppendToExisting;
        ListedRows listed;
        f.runner.rejected = &listed;
        const QString path = f.addFile(QStringLiteral("sales.csv"), "1,10.50,2.5,2024-01-01,a\n"
                                                                    "2x,1,1,2024-01-02,b\n"
                                                                    ",3,3,,c\n"
                                                                    "4,,,,\n"
                                                                    "5,1.234,1,,e\n"
                                                                    "6,1,1,,toolong\n");
        QCOMPARE(f.run().closingMessage, QStringLiteral("Done."));
        f.settle();

        // SQLite's NUMERIC holds any number and its TEXT any length: only ASE's numeric(6,2)
        // refuses 1.234, and its varchar(5) a longer note.
        QCOMPARE(listed.lines(),
                 isSandbox(target) ? QStringList({"2", "3", "5", "6"}) : QStringList({"2", "3"}));
        const QString idType =
            isSandbox(target) ? QStringLiteral("int") : QStringLiteral("INTEGER");
        QCOMPARE(listed.reasons.at(0),
                 QStringLiteral("Field #1 (\"2x\") is not a number the column id (%1) can hold; "
                                "the row was not sent.")
                     .arg(idType));
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), listed.lines().size());
        QVERIFY2(reports[0].contains(listed.reasons.at(0) + QStringLiteral("\r\nLine 2 of ") +
                                     path + QStringLiteral(" was not loaded.")),
                 qPrintable(reports[0]));
        if (!isSandbox(target)) {
            QCOMPARE(listed.reasons.at(1), QStringLiteral("NOT NULL constraint failed: Sales.id"));
            QCOMPARE(f.rows(QStringLiteral("Sales"),
                            QStringLiteral("quote(id), quote(amount), quote(price), quote(day), "
                                           "quote(note)")),
                     QStringList({"1|10.5|2.5|'2024-01-01'|'a'", "4|NULL|NULL|NULL|''",
                                  "5|1.234|1.0|NULL|'e'", "6|1|1.0|NULL|'toolong'"}));
        } else {
            QCOMPARE(listed.reasons.at(2),
                     QStringLiteral("Field #2 (\"1.234\") is not a number the column amount "
                                    "(numeric(6,2)) can hold; the row was not sent."));
            QCOMPARE(f.rows(QStringLiteral("Sales"), QStringLiteral("id")),
                     QStringList({"1", "4"}));
        }
    }

private:
    static bool catalogueAnswers(const ImportFixture& f)
    {
        DatabaseSession session;
        session.open(f.connectionSettings(), sessionOptionsFor(f.target));
        try {
            return !session.columnTypes(QStringLiteral("Sales")).empty();
        } catch (const Failure&) {
            return false;
        }
    }
};

QTEST_GUILESS_MAIN(TypedAppendTest)
#include "TypedAppendTest.moc"

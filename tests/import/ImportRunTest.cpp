#include "Guard.h"
#include "ImportFixture.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <unistd.h>

class ImportRunTest : public QObject
{
    Q_OBJECT

private slots:
    void startChecksStopBeforeAnyFile()
    {
        {
            ImportFixture f;
            QCOMPARE(f.run().closingMessage, QStringLiteral("No files added."));
            QCOMPARE(f.ui.messages().first().style, MessageStyle::Plain);
            QCOMPARE(f.ui.messages().first().title, QStringLiteral("Tessaloom"));
        }
        {
            ImportFixture f;
            f.addFile(QStringLiteral("a.csv"), "x\n1\n");
            f.options.values().mode = ImportMode::AppendToExisting;
            f.tables.addItem(QStringLiteral("T"));
            QCOMPARE(f.run().closingMessage, QStringLiteral("Please select a table."));
        }
        {
            ImportFixture f;
            f.addFile(QStringLiteral("a.csv"), "x\n1\n");
            f.tables.addItem(QStringLiteral("newtable[COUNTER]"));
            QCOMPARE(f.run().closingMessage, QStringLiteral("Table name already exists."));
            QCOMPARE(f.shown().size(), 1);
            QVERIFY(f.tablesInDatabase().isEmpty());
        }
    }

    void countersNameTablesAndSkippedPositionsAreUsedUp()
    {
        ImportFixture f;
        f.addFile(QStringLiteral("a.csv"), "Name,E-mail Address,Zip\nPeter,p@x,03101\n");
        f.addFile(QStringLiteral("b.csv"), "k\nv\n");
        f.addFile(QStringLiteral("c.csv"), "Qty (kg),1st Qtr (2021)\n3,4\n");
        f.tables.addItem(QStringLiteral("NEWTABLE2"));
        const ImportOutcome outcome = f.run();
        // The last file created its table, yet the skipped second one is still said.
        QCOMPARE(outcome.closingMessage,
                 QStringLiteral("Table(s) already exist.\r\n\r\nNewTable2"));
        QCOMPARE(f.tablesInDatabase(), QStringList({"NewTable1", "NewTable3"}));
        QCOMPARE(f.columns(QStringLiteral("NewTable1")),
                 QStringList({"Name", "EmailAddress", "Zip"}));
        QCOMPARE(f.columns(QStringLiteral("NewTable3")), QStringList({"Qtykg", "1stQtr2021"}));
        // The header names the columns and is not a row.
        QCOMPARE(f.rows(QStringLiteral("NewTable1")), QStringList({"Peter|p@x|03101"}));
        QCOMPARE(f.tables.items(), QStringList({"NewTable3", "NewTable1", "NEWTABLE2"}));
        QCOMPARE(f.pointer.value(), Pointer::Default);
        QVERIFY(f.errorReports().isEmpty());
    }

    void promptsNameTheColumnsForEveryFile()
    {
        ImportFixture f;
        f.options.values().firstLineHandling = FirstLineHandling::IgnoreWithUserNames;
        f.addFile(QStringLiteral("a.csv"), "h1,h2,h3,h4\n1,2,3,4\n");
        f.addFile(QStringLiteral("b.csv"), "x\ny\n");
        for (const char* answer : {"Unit Price", "b", "***", "d", "only"})
            f.ui.answerPrompt(QString::fromLatin1(answer));
        QCOMPARE(f.run().closingMessage, QStringLiteral("Done."));
        QCOMPARE(f.ui.prompts().size(), 5);
        QCOMPARE(f.ui.prompts().at(0).prompt, QStringLiteral("Enter name for column #1:"));
        QCOMPARE(f.ui.prompts().at(3).prompt, QStringLiteral("Enter name for column #4:"));
        QCOMPARE(f.ui.prompts().at(4).prompt, QStringLiteral("Enter name for column #1:"));
        QCOMPARE(f.ui.prompts().at(0).defaultAnswer, QString());
        QCOMPARE(f.columns(QStringLiteral("NewTable1")),
                 QStringList({"UnitPrice", "b", "Column3", "d"}));
        // The first line is dropped: only data remains.
        QCOMPARE(f.rows(QStringLiteral("NewTable1")), QStringList({"1|2|3|4"}));
        QCOMPARE(f.rows(QStringLiteral("NewTable2")), QStringList({"y"}));
    }

    void anUnopenableSessionIsReportedOncePerFile()
    {
        ImportFixture f;
        f.database = f.env.path(QStringLiteral("no/such/folder/x.db"));
        f.addFile(QStringLiteral("a.csv"), "n\n1\n2\n3\n");
        f.addFile(QStringLiteral("b.csv"), "n\n1\n");
        f.run();
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 2);
        QCOMPARE(lineOf(reports.at(0)), 120);
        QVERIFY(reports.at(1).contains(f.files.at(1)));
        QCOMPARE(f.pointer.value(), Pointer::Default);
    }

    // Something not ours where the rewrite goes is left alone: the run takes the next name.
    void anEntryNotOursAtTheWorkingCopysNameIsPassedOver()
    {
        ImportFixture f;
        QDir().mkpath(f.env.path(QStringLiteral("temp/upload.txt.part/blocked")));
        f.addFile(QStringLiteral("a.csv"), "n\n1\n");
        f.run();
        QVERIFY(f.errorReports().isEmpty());
        QCOMPARE(f.rows(QStringLiteral("NewTable1")), QStringList({"1"}));
        QVERIFY(QFileInfo(f.env.path(QStringLiteral("temp/upload.txt.part/blocked"))).isDir());
        QVERIFY(QFileInfo::exists(f.env.path(QStringLiteral("temp/upload-2.txt"))));
    }

    void endingTheProgramStopsTheRunAndKeepsWhatWasSent()
    {
        ImportFixture f;
        f.addFile(QStringLiteral("a.csv"), "n\n1\n");
        f.addFile(QStringLiteral("b.csv"), "n\n2\n");
        f.onFileRead = [&](int index) {
            if (index == 1)
                f.stopRequested = true; // the user closed a window during the second file
        };
        const ImportOutcome outcome = f.run();
        QVERIFY(outcome.stopped());
        QVERIFY(outcome.closingMessage.isEmpty());
        QVERIFY(f.shown().isEmpty());
        QCOMPARE(f.rows(QStringLiteral("NewTable1")), QStringList({"1"}));
        QCOMPARE(f.tablesInDatabase(), QStringList({"NewTable1"}));
        QCOMPARE(f.pointer.value(), Pointer::Default);
    }

    void optionsChangedDuringTheRunApplyToLaterFiles()
    {
        ImportFixture f;
        f.addFile(QStringLiteral("a.csv"), "a,b\n1,2\n");
        f.addFile(QStringLiteral("b.csv"), "a;b\n3;4\n");
        f.onFileRead = [&](int index) {
            if (index == 1) {
                f.options.values().separator = QStringLiteral(";");
                f.options.values().tableName = QStringLiteral("Second");
            }
        };
        f.run();
        QCOMPARE(f.tablesInDatabase(), QStringList({"NewTable1", "Second"}));
        QCOMPARE(f.rows(QStringLiteral("Second")), QStringList({"3|4"}));
    }

    void aSecondStartDuringARunDoesNothing()
    {
        ImportFixture f;
        f.addFile(QStringLiteral("a.csv"), "n\n1\n");
        ImportRun run(f.context());
        ImportOutcome inner;
        f.ui.onYield([&](int) {
            if (!inner.ran() && run.isRunning())
                inner = run.start();
        });
        const ImportOutcome outer = run.start();
        QVERIFY(outer.ran());
        QVERIFY(!inner.ran());
        QVERIFY(!run.isRunning());
        QCOMPARE(f.shown(), QStringList({"Done."}));
    }

    void busyWhileEachFileRuns()
    {
        ImportFixture f;
        f.addFile(QStringLiteral("a.csv"), "n\n1\n");
        QList<Pointer> seen;
        f.ui.onYield([&](int) { seen << f.pointer.value(); });
        f.run();
        QVERIFY(!seen.isEmpty());
        for (Pointer value : seen)
            QCOMPARE(value, Pointer::Busy);
        QCOMPARE(f.pointer.value(), Pointer::Default);
    }

    void aPlantedLinkAtTheWorkingCopyIsNotFollowed()
    {
        ImportFixture f;
        const QString victim = f.env.writeFile(QStringLiteral("victim.txt"), "precious\n");
        QVERIFY(QFile::link(victim, f.env.path(QStringLiteral("temp/upload.txt"))));
        QVERIFY(QFile::link(victim, f.env.path(QStringLiteral("temp/upload.txt.part"))));
        f.addFile(QStringLiteral("a.csv"), "n\n1\n");
        f.run();
        QFile file(victim);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious\n"));
        QCOMPARE(f.rows(QStringLiteral("NewTable1")), QStringList({"1"}));
    }

    void appendChecksTheFirstLineOnly()
    {
        ImportFixture f;
        f.execute(QStringLiteral("CREATE TABLE [Orders] (a TEXT, b TEXT, c TEXT)"));
        f.tables.addItem(QStringLiteral("Orders"));
        f.tables.setCurrentIndex(0);
        f.options.values().mode = ImportMode::AppendToExisting;
        f.options.values().separator = QStringLiteral(";");
        f.addFile(QStringLiteral("good.csv"), "x;y;z\n1;2;3\n4;5\n");
        const QString bad = f.addFile(QStringLiteral("bad.csv"), "1;2\n");
        const ImportOutcome outcome = f.run();
        QCOMPARE(outcome.closingMessage, QStringLiteral("Done."));
        QCOMPARE(outcome.filesMismatched, 1);
        // Without the header box checked, the first line is data.
        QCOMPARE(f.rows(QStringLiteral("Orders")), QStringList({"x|y|z", "1|2|3"}));
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(lineOf(reports.first()), 352);
        QCOMPARE(f.shown().at(1),
                 QStringLiteral("The columns in the text file and the columns in the table must be "
                                "identical.\r\n\r\n") +
                     bad +
                     QStringLiteral(
                         " was split by ; and has 2 columns. The table Orders has 3 columns."));
        QCOMPARE(f.tables.items(), QStringList({"Orders"}));
    }

    void appendDropsTheHeaderWhenAskedAndFollowsTheSelection()
    {
        ImportFixture f;
        f.execute(QStringLiteral("CREATE TABLE [A] (v TEXT)"));
        f.tables.addItem(QStringLiteral("A"));
        f.tables.addItem(QStringLiteral("B"));
        f.tables.setCurrentIndex(0);
        f.options.values().mode = ImportMode::AppendToExisting;
        f.options.values().ignoreHeaderRow = true;
        f.addFile(QStringLiteral("1.csv"), "header\none\n");
        f.addFile(QStringLiteral("2.csv"), "header\ntwo\n");
        f.onFileRead = [&](int index) {
            if (index == 1)
                f.tables.setCurrentIndex(1);
        };
        f.run();
        QCOMPARE(f.rows(QStringLiteral("A")), QStringList({"one"}));
        // "B" does not exist: the file is reported once and skipped, not sent row by row.
        QCOMPARE(f.errorReports().size(), 1);
        QCOMPARE(lineOf(f.errorReports().first()), 312);
    }

    void allFilesMismatchingGiveOneMessageEachThenDone()
    {
        ImportFixture f;
        f.execute(QStringLiteral("CREATE TABLE [T] (a TEXT)"));
        f.tables.addItem(QStringLiteral("T"));
        f.tables.setCurrentIndex(0);
        f.options.values().mode = ImportMode::AppendToExisting;
        f.addFile(QStringLiteral("1.csv"), "1,2\n");
        f.addFile(QStringLiteral("2.csv"), "1,2,3\n");
        f.run();
        QCOMPARE(f.shown().size(), 3);
        QCOMPARE(f.shown().last(), QStringLiteral("Done."));
    }
};

QTEST_GUILESS_MAIN(ImportRunTest)
#include "ImportRunTest.moc"

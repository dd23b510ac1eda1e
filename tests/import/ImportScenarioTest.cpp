#include "ImportScenarios.h"

#include <QtTest>

// Every import scenario run against each target that has it: the embedded database, the
// sandbox with rows batched and the sandbox one row per round trip. Where a target differs
// (ASE keeps an empty text as one blank, a server's message is not SQLite's), the row says so.
class ImportScenarioTest : public QObject
{
    Q_OBJECT

private slots:
    void scenario_data()
    {
        QTest::addColumn<ImportTarget>("target");
        QTest::addColumn<Scenario>("scenario");
        addValueScenarios();
        addRejectionScenarios();
        addTableNameScenarios();
        addReadingScenarios();
        addFileScenarios();
    }

    void scenario()
    {
        QFETCH(ImportTarget, target);
        QFETCH(Scenario, scenario);
        ImportFixture f(target);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        ListedRows listed;
        f.runner.rejected = &listed;
        for (const auto& [name, bytes] : scenario.files)
            f.addFile(name, bytes);
        if (scenario.arrange)
            scenario.arrange(f);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(f.run().closingMessage, scenario.closing);
        f.settle();
        QCOMPARE(f.rows(scenario.table, scenario.select), scenario.rows);
        if (!scenario.columns.isEmpty())
            QCOMPARE(f.columns(scenario.table), scenario.columns);
        if (!scenario.tableList.isEmpty())
            QCOMPARE(f.tables.items(), scenario.tableList);
        if (scenario.storeTables)
            QCOMPARE(f.tablesInDatabase(), *scenario.storeTables);
        checkReports(f.errorReports(), scenario.reports, f.files.first());
        if (!QTest::currentTestFailed())
            checkListed(listed, scenario);
    }

    // The server lost part-way through a file: one report saying how many rows were loaded
    // and from which line nothing was sent; the table holds exactly those rows, and every row
    // after them is listed.
    void aLostServerEndsTheFileWithOneReport_data()
    {
        QTest::addColumn<ImportTarget>("target");
        QTest::addColumn<QStringList>("faultSwitches");
        QTest::addColumn<QString>("cause");
        for (ImportTarget target : SandboxTargets) {
            QTest::addRow("dropped/%s", targetName(target))
                << target << QStringList{QStringLiteral("--close-after"), QStringLiteral("2500")}
                << QStringLiteral("Unexpected EOF from the server");
            QTest::addRow("silent/%s", targetName(target))
                << target << QStringList{QStringLiteral("--silent-after"), QStringLiteral("2300")}
                << QStringLiteral("The server did not answer within 2 seconds; the connection "
                                  "was closed.");
        }
        // A bulk batch counts three statements (its column query, "insert bulk", its rows),
        // after five of the login and the table's making: these fall on a batch's rows.
        QTest::addRow("dropped/bulk")
            << ImportTarget::SandboxBulk
            << QStringList{QStringLiteral("--close-after"), QStringLiteral("10")}
            << QStringLiteral("Unexpected EOF from the server");
        QTest::addRow("silent/bulk")
            << ImportTarget::SandboxBulk
            << QStringList{QStringLiteral("--silent-after"), QStringLiteral("10")}
            << QStringLiteral("The server did not answer within 2 seconds; the connection "
                              "was closed.");
    }

    void aLostServerEndsTheFileWithOneReport()
    {
        QFETCH(ImportTarget, target);
        QFETCH(QStringList, faultSwitches);
        QFETCH(QString, cause);
        constexpr int Rows = 3000;
        // A silent server is given up on after the command timeout.
        qputenv("TESSALOOM_COMMAND_TIMEOUT", "2");
        const auto restoreTimeout = qScopeGuard([] { qunsetenv("TESSALOOM_COMMAND_TIMEOUT"); });
        SandboxServer::Settings settings;
        settings.faultSwitches = faultSwitches;
        ImportFixture f(target, settings);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        ListedRows listed;
        f.runner.rejected = &listed;
        const QString path = f.addFile(QStringLiteral("a.csv"), numberedLines(Rows));
        f.run();
        f.settle();
        const QStringList reports = f.errorReports();
        QVERIFY2(reports.size() == 1, qPrintable(reports.join(u'\n')));
        const QString report = reports.first();
        QCOMPARE(lineOf(report), 240);
        QVERIFY2(!report.contains(QStringLiteral("rejected the statement")), qPrintable(report));
        // One by one, the statement in flight may have been applied; in a transaction only a
        // commit in flight may have been.
        if (target == ImportTarget::SandboxOneByOne)
            QVERIFY2(report.contains(unknownOutcomeNote()), qPrintable(report));
        // The same words on both roads; only how far each got differs.
        const PartWay said = partWay(withoutUnknownOutcomeNotes(report));
        QCOMPARE(said.text.left(said.text.indexOf(QStringLiteral("\r\nin "))),
                 cause +
                     QStringLiteral("\r\nThe connection to the database was lost.\r\nOf the "
                                    "file ") +
                     path + QStringLiteral("# the file was not sent."));
        const QStringList loaded = f.rows(QStringLiteral("NewTable1"), QStringLiteral("id"));
        QVERIFY(loaded.size() < Rows);
        QCOMPARE(loaded, ids(int(loaded.size())));
        QCOMPARE(said.loaded, loaded.size());
        QCOMPARE(said.fromLine, loaded.size() + 2); // the header is line 1
        QCOMPARE(listed.entries.size(), Rows - loaded.size());
        QCOMPARE(listed.lines().first().toInt(), loaded.size() + 2);
        QCOMPARE(listed.lines().last().toInt(), Rows + 1);
    }

    // Closing the window stops the run after the row in hand: what was sent is kept, and the
    // stop report and the listing say where the file was left.
    void stoppingTheRunKeepsWhatWasSent_data()
    {
        QTest::addColumn<ImportTarget>("target");
        QTest::addColumn<int>("stopAfterRows");
        QTest::addRow("embedded") << ImportTarget::Embedded << 0;
        QTest::addRow("batched") << ImportTarget::SandboxBatched << 2500;
        QTest::addRow("one-by-one") << ImportTarget::SandboxOneByOne << 2500;
        QTest::addRow("bulk") << ImportTarget::SandboxBulk << 2500;
    }

    void stoppingTheRunKeepsWhatWasSent()
    {
        QFETCH(ImportTarget, target);
        QFETCH(int, stopAfterRows);
        constexpr int Rows = 20000;
        ImportFixture f(target);
        QVERIFY2(f.startError().isEmpty(), qPrintable(f.startError()));
        ListedRows listed;
        ImportProgress progress;
        f.runner.rejected = &listed;
        f.runner.progress = &progress;
        f.addFile(QStringLiteral("a.csv"), numberedLines(Rows));
        f.addFile(QStringLiteral("b.csv"), "n\n1\n");
        f.ui.onYield([&](int) {
            if (progress.rows > stopAfterRows)
                f.stopRequested = true;
        });
        const ImportOutcome outcome = f.run();
        f.settle();
        QVERIFY(outcome.stopped());
        const PartWay said = partWay(outcome.stopReport);
        QVERIFY2(!said.text.isEmpty(), qPrintable(outcome.stopReport));
        const QStringList loaded = f.rows(QStringLiteral("NewTable1"), QStringLiteral("id"));
        QVERIFY(loaded.size() > stopAfterRows && loaded.size() < Rows);
        QCOMPARE(loaded, ids(int(loaded.size())));
        QCOMPARE(said.loaded, loaded.size());
        QCOMPARE(said.fromLine, loaded.size() + 2);
        // Every row not loaded is listed, and the file not begun once.
        QCOMPARE(listed.entries.size(), Rows - loaded.size() + 1);
        QCOMPARE(listed.lines().first().toInt(), loaded.size() + 2);
        QCOMPARE(listed.lines().last(), QStringLiteral("0"));
    }

private:
    static void checkReports(const QStringList& reports, const QList<Report>& expected,
                             const QString& firstFile)
    {
        QVERIFY2(reports.size() == expected.size(), qPrintable(reports.join(u'\n')));
        for (qsizetype i = 0; i < reports.size(); ++i) {
            const Report& report = expected.at(i);
            QVERIFY2(reports[i].contains(QString(report.contains).replace("{file}", firstFile)),
                     qPrintable(reports[i]));
            QVERIFY2(report.absent.isEmpty() || !reports[i].contains(report.absent),
                     qPrintable(reports[i]));
            QVERIFY2(reports[i].startsWith(report.opening), qPrintable(reports[i]));
            QCOMPARE(lineOf(reports[i]), report.line);
        }
    }

    static void checkListed(const ListedRows& listed, const Scenario& scenario)
    {
        QStringList seen;
        for (qsizetype i = 0; i < listed.entries.size(); ++i)
            seen << (scenario.listed.value(i).contains(u':')
                         ? listed.lines().at(i) + u':' + listed.texts.at(i)
                         : listed.lines().at(i));
        QCOMPARE(seen, scenario.listed);
        for (qsizetype i = 0; i < scenario.listedReasons.size(); ++i)
            QVERIFY2(listed.reasons.at(i).contains(scenario.listedReasons.at(i)),
                     qPrintable(listed.reasons.at(i)));
    }
};

QTEST_GUILESS_MAIN(ImportScenarioTest)
#include "ImportScenarioTest.moc"

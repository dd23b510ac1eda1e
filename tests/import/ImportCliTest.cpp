#include "RunnerProcess.h"
#include "SandboxServer.h"
#include "SqliteRows.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <signal.h>

namespace {
using Result = RunnerResult;
} // namespace

// The headless runner as a script would use it.
class ImportCliTest : public QObject
{
    Q_OBJECT

private slots:
    void aCleanRunPrintsDoneAndExitsZero()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "a;b\n1;2\n");
        const Result r =
            runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--separator"), QStringLiteral(";"),
                            QStringLiteral("--table"), QStringLiteral("T[counter]"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("Tessaloom: Done.\n"));
        // No progress line when stderr is not a terminal.
        QCOMPARE(r.err, QString());
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT * FROM T1")), QStringList({"1|2"}));
    }

    // --verbose shows the CREATE TABLE as sent, so the types --column-types infer chose are
    // seen; a kind that is neither text nor infer is bad usage.
    void verboseShowsTheTypesChosen()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "n,code\n1,007\n2,\n");
        const Result r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                         QStringLiteral("--column-types"), QStringLiteral("infer"),
                                         QStringLiteral("--verbose"), QStringLiteral("--table"),
                                         QStringLiteral("T"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("CREATE TABLE [T]([n] INTEGER, [code] TEXT);\n"
                                       "Tessaloom: Done.\n"));
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT quote(n), quote(code) FROM T")),
                 QStringList({"1|'007'", "2|NULL"}));
        const Result bad =
            runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--column-types"), QStringLiteral("numbers"), file});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY(bad.err.startsWith(QStringLiteral("tessaloom-import: --column-types is text or "
                                                  "infer\n")));
    }

    void theErrorsFileListsEveryRowNotLoaded()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        const QString good = env.writeFile(QStringLiteral("a.csv"), "a,b\n1,2\nx\t\\,y,z\r\n3,4\n");
        const QString gone = env.path(QStringLiteral("gone.csv"));
        const Result r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                         QStringLiteral("--errors"), errors, good, gone});
        QCOMPARE(r.exitCode, 1);
        QFile file(errors);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3); // two entries and the empty piece after the last break
        const QStringList row = lines.at(0).split(QLatin1Char('\t'));
        QCOMPARE(row.size(), 4);
        QCOMPARE(row.at(0), good);
        QCOMPARE(row.at(1), QStringLiteral("3"));
        QVERIFY(!row.at(2).isEmpty());
        QCOMPARE(row.at(3), QStringLiteral("x\\t\\\\,y,z"));
        QCOMPARE(lines.at(1).section(QLatin1Char('\t'), 0, 1), gone + QStringLiteral("\t0"));
        // Each report is one line on stderr, naming the file and the line.
        const QStringList reports = r.err.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(reports.size(), 2);
        QVERIFY(reports.at(0).contains(QStringLiteral("Line 3 of ") + good));
        QVERIFY(reports.at(1).contains(gone));
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT * FROM NewTable1")),
                 QStringList({"1|2", "3|4"}));

        // A database that cannot be reached: each file once, with the database's own reason.
        const QString nowhere = env.path(QStringLiteral("no folder/t.db"));
        const Result unreachable =
            runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + nowhere,
                            QStringLiteral("--errors"), errors, good, gone});
        QCOMPARE(unreachable.exitCode, 1);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList listed = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(listed.size(), 3);
        for (int i = 0; i < 2; ++i) {
            const QStringList entry = listed.at(i).split(QLatin1Char('\t'));
            QCOMPARE(entry.at(0), i == 0 ? good : gone);
            QCOMPARE(entry.at(1), QStringLiteral("0"));
            QVERIFY2(entry.at(2).startsWith(QStringLiteral("The database file ") + nowhere +
                                            QStringLiteral(" cannot be opened")),
                     qPrintable(entry.at(2)));
        }
    }

    void standardInputQuotesAndEncodings()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        Result r = runImport(env,
                             {QStringLiteral("--server"), QStringLiteral("file:") + db,
                              QStringLiteral("--quote"), QStringLiteral("'"), QStringLiteral("-")},
                             {}, "name,note\r\nAnn,'Anytown, WW'\r\nBob,'two\r\nlines'''\r\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT * FROM NewTable1 ORDER BY rowid")),
                 QStringList({"Ann|Anytown, WW", "Bob|two\r\nlines'"}));

        const QString cyrillic = env.writeFile(QStringLiteral("c.csv"), "k\r\n\xCF\xF0\xE8\r\n");
        r = runImport(env,
                      {QStringLiteral("--server"), QStringLiteral("file:") + db,
                       QStringLiteral("--table"), QStringLiteral("C"), QStringLiteral("--encoding"),
                       QStringLiteral("windows-1251"), cyrillic});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT k FROM C")), QStringList{"При"});
    }

    void aSignalStopsTheRunAndSaysWhereToResume()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        QByteArray many = "n\n";
        for (int i = 0; i < 300000; ++i)
            many += QByteArray::number(i) + '\n';
        const QString file = env.writeFile(QStringLiteral("a.csv"), many);
        const QString later = env.writeFile(QStringLiteral("b.csv"), "n\n1\n");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TEMP"), env.tempFolder());
        environment.insert(QStringLiteral("HOME"), env.root());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                      {QStringLiteral("--server"), QStringLiteral("file:") + db,
                       QStringLiteral("--errors"), errors, file, later});
        QVERIFY(process.waitForStarted());
        // Stopped once rows are in the table.
        QTRY_VERIFY_WITH_TIMEOUT(
            process.state() != QProcess::Running ||
                SqliteRows(db, QStringLiteral("SELECT count(*) FROM NewTable1")).value(0).toInt() >
                    0,
            60000);
        QVERIFY2(process.state() == QProcess::Running, "the run ended before it could be stopped");
        process.terminate();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        const auto said =
            QRegularExpression(QStringLiteral("stopped\\. Of the file .*, ([\\d,]+) "
                                              "rows were loaded; from line ([\\d,]+) on"))
                .match(err);
        QVERIFY2(said.hasMatch(), qPrintable(err));
        const int loaded = said.captured(1).remove(QLatin1Char(',')).toInt();
        QCOMPARE(said.captured(2).remove(QLatin1Char(',')).toInt(), loaded + 2);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM NewTable1")),
                 QStringList{QString::number(loaded)});
        // The rest of the file row by row, and the file not begun once.
        QFile listed(errors);
        QVERIFY(listed.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = listed.readAll().split('\n');
        QCOMPARE(lines.size() - 1, 300000 - loaded + 1);
        QVERIFY(lines.at(lines.size() - 2).startsWith((later + QStringLiteral("\t0\t")).toUtf8()));
    }

    // A server that stops answering holds the run in its wait, with no limit set; the first
    // interrupt cannot end that wait, the second cuts it. The report says what is in the table.
    // By statement, or by bulk copy into a typed table (a bulk batch counts three statements,
    // after five of the login and the table's making).
    void aSecondInterruptCutsAWaitOnASilentServer_data()
    {
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<QStringList>("road");
        QTest::newRow("statements") << 1500 << QStringList{}; // inside the second batch
        QTest::newRow("bulk copy")
            << 10
            << QStringList{QStringLiteral("--column-types"), QStringLiteral("infer"),
                           QStringLiteral("--batch"), QStringLiteral("1000")};
    }

    void aSecondInterruptCutsAWaitOnASilentServer()
    {
        QFETCH(int, silentAfter);
        QFETCH(QStringList, road);
        TestEnvironment env;
        SandboxServer::Settings settings;
        settings.silentAfter = silentAfter;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        QByteArray rows = "id\n";
        for (int i = 1; i <= 3000; ++i)
            rows += QByteArray::number(i) + '\n';
        const QString file = env.writeFile(QStringLiteral("a.csv"), rows);
        const QString later = env.writeFile(QStringLiteral("b.csv"), "id\n1\n");
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TEMP"), env.tempFolder());
        environment.insert(QStringLiteral("HOME"), env.root());
        environment.insert(QStringLiteral("TESSALOOM_PASSWORD"), server.settings().password);
        environment.insert(QStringLiteral("TESSALOOM_COMMAND_TIMEOUT"), QStringLiteral("0"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                      QStringList{QStringLiteral("--server"), QStringLiteral("127.0.0.1"),
                                  QStringLiteral("--port"), server.portText(),
                                  QStringLiteral("--user"), server.settings().user,
                                  QStringLiteral("--database"), server.settings().databases.first(),
                                  QStringLiteral("--errors"), errors}
                          << road << file << later);
        QVERIFY(process.waitForStarted());
        QVERIFY2(server.waitForLine("silent"), "the server never fell silent");
        QByteArray err;
        ::kill(pid_t(process.processId()), SIGINT);
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += process.readAllStandardError()).contains("interrupt again to stop at once"),
            60000);
        QCOMPARE(process.state(), QProcess::Running);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY2(process.waitForFinished(60000), "the second interrupt did not end the run");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        err += process.readAllStandardError();
        const QString said = QString::fromUtf8(err);
        QVERIFY2(said.contains(QStringLiteral("The run was stopped at once")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("tessaloom-import: stopped.")), qPrintable(said));
        QVERIFY(!process.readAllStandardOutput().contains("Done."));
        // The next file is not begun: no new login, no report of its own.
        QVERIFY2(!said.contains(later), qPrintable(said));
        const auto numbers =
            QRegularExpression(QStringLiteral("Of the file .*, ([\\d,]+) rows? w(?:as|ere) "
                                              "loaded; from line ([\\d,]+) on"))
                .match(said);
        server.stop(); // what it had not committed is rolled back
        const int inTable = SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                                       QStringLiteral("SELECT count(*) FROM NewTable1"))
                                .value(0)
                                .toInt();
        const int loaded =
            numbers.hasMatch() ? numbers.captured(1).remove(QLatin1Char(',')).toInt() : 0;
        QVERIFY2(numbers.hasMatch() || said.contains(QStringLiteral("was not imported")),
                 qPrintable(said));
        QCOMPARE(inTable, loaded);
        QFile listed(errors);
        QVERIFY(listed.open(QIODevice::ReadOnly));
        const QList<QByteArray> entries = listed.readAll().split('\n');
        QCOMPARE(entries.size() - 1, 3000 - loaded + 1);
        QCOMPARE(entries.at(entries.size() - 2),
                 (later + QStringLiteral("\t0\tThe run was stopped before this file.\t")).toUtf8());
    }

    void readingOptionsAreCheckedBeforeAnything()
    {
        TestEnvironment env;
        const QString file = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        const QString db = QStringLiteral("file:") + env.path(QStringLiteral("t.db"));
        Result r = runImport(env, {QStringLiteral("--server"), db, QStringLiteral("--encoding"),
                                   QStringLiteral("klingon-8"), file});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains(QStringLiteral("klingon-8")));
        for (const QStringList& bad :
             {QStringList{QStringLiteral("--quote"), QStringLiteral("ab")},
              QStringList{QStringLiteral("--quote"), QStringLiteral(";"),
                          QStringLiteral("--separator"), QStringLiteral(";")},
              QStringList{QStringLiteral("-"), QStringLiteral("-")}}) {
            r = runImport(env,
                          QStringList{QStringLiteral("--server"), db} + bad + QStringList{file});
            QCOMPARE(r.exitCode, 2);
        }
        QVERIFY(!QFile::exists(env.path(QStringLiteral("t.db"))));
    }

    void promptAnswersComeFromTheCommandLine()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "x,y\n1,2\n");
        Result r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                   QStringLiteral("--column-names"),
                                   QStringLiteral("Unit Price,Qty"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT UnitPrice, Qty FROM NewTable1")),
                 QStringList({"1|2"}));
        // Too few names act as a cancel: reported, and the exit status says so.
        const QString other = env.writeFile(QStringLiteral("b.csv"), "x,y\n3,4\n");
        r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--table"), QStringLiteral("B"),
                            QStringLiteral("--column-names"), QStringLiteral("only"), other});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.startsWith(QStringLiteral("Application Error: ")));
        QVERIFY(!r.err.trimmed().contains(QLatin1Char('\n')));
        QVERIFY(r.err.contains(
            QStringLiteral("\\nin Quorvane2021/08/31.Form2.PushButton1_Click at line ")));
    }

    void appendMismatchAndMissingTablesExitOne()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        QCOMPARE(runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                 QStringLiteral("--table"), QStringLiteral("One"), file})
                     .exitCode,
                 0);
        const QString wide = env.writeFile(QStringLiteral("w.csv"), "1,2\n");
        Result r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                   QStringLiteral("--append"), QStringLiteral("One"), wide});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.startsWith(
            QStringLiteral("Tessaloom: The columns in the text file and the columns in the table "
                           "must be identical.\\n\\n")));
        QVERIFY(r.out.endsWith(QStringLiteral("Tessaloom: Done.\n")));
        r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--append"), QStringLiteral("Nope"), file});
        QCOMPARE(r.exitCode, 1);
        // The table named is not there: said as such, not as a missing selection.
        QCOMPARE(r.out, QStringLiteral("Tessaloom: The table Nope was not found in the database; "
                                       "nothing was loaded.\n"));
        r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--append"), QStringLiteral("One"),
                            QStringLiteral("--skip-header"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT h FROM One ORDER BY rowid")),
                 QStringList({"1", "1"}));
    }

    void badUsageExitsTwoWithTheUsage()
    {
        TestEnvironment env;
        for (const QStringList& args :
             {QStringList{}, QStringList{QStringLiteral("--bogus"), QStringLiteral("f")},
              QStringList{QStringLiteral("--append"), QStringLiteral("T"),
                          QStringLiteral("--table"), QStringLiteral("X"), QStringLiteral("f")},
              QStringList{QStringLiteral("--skip-header"), QStringLiteral("f")},
              QStringList{QStringLiteral("--batch"), QStringLiteral("0"), QStringLiteral("f")},
              QStringList{QStringLiteral("--batch"), QStringLiteral("many"), QStringLiteral("f")},
              QStringList{QStringLiteral("--separator"), QString(), QStringLiteral("f")}}) {
            const Result r = runImport(env, args);
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.err.contains(QStringLiteral("Usage: tessaloom-import")));
        }
        const Result help = runImport(env, {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("TESSALOOM_PASSWORD")));
    }

    void thePasswordComesFromTheEnvironmentOnly()
    {
        TestEnvironment env;
        const QString file = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        // A password option is not accepted at all.
        QCOMPARE(runImport(env, {QStringLiteral("--password"), QStringLiteral("x"), file}).exitCode,
                 2);
    }
};

QTEST_GUILESS_MAIN(ImportCliTest)
#include "ImportCliTest.moc"

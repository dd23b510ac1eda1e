#include "RunnerProcess.h"
#include "SandboxServer.h"
#include "SqliteRows.h"
#include "TestEnvironment.h"

#include <fcntl.h>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <signal.h>
#include <unistd.h>

namespace {
QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList embedded(const QString& db)
{
    return {QStringLiteral("--server"), QStringLiteral("file:") + db};
}

// "n" and then rows 1..count, with a row of three fields (one too many) every tenth line.
QByteArray rowsWithRejects(int count)
{
    QByteArray text = "n\n";
    for (int i = 1; i <= count; ++i)
        text += i % 10 == 0 ? QByteArray::number(i) + ",x,y\n" : QByteArray::number(i) + '\n';
    return text;
}
} // namespace

// Each case was found by probing the runner the way an adversarial user would.
class RunnerFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    // The user's own "upload.txt" (and ".part") in TEMP, even when it is the file being loaded,
    // is left exactly as it was; the run takes a name of its own.
    void filesInTempThatAreNotOursAreNeverTouched()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString mine = env.writeFile(QStringLiteral("temp/upload.txt"), "h\nmine\n");
        const QString part = env.writeFile(QStringLiteral("temp/upload.txt.part"), "keep\n");
        const QString other = env.writeFile(QStringLiteral("b.csv"), "h\nother\n");
        for (int round = 1; round <= 2; ++round) {
            const RunnerResult r = runImport(
                env, embedded(db) + QStringList{QStringLiteral("--table"),
                                                QStringLiteral("T%1_[counter]").arg(round), mine,
                                                other});
            QCOMPARE(r.err, QString());
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(SqliteRows(db, QStringLiteral("SELECT h FROM T%1_1").arg(round)),
                     QStringList{"mine"});
            QCOMPARE(contentOf(mine), QByteArray("h\nmine\n"));
            QCOMPARE(contentOf(part), QByteArray("keep\n"));
        }
        // The run's own copy is left beside them, as always.
        QCOMPARE(contentOf(env.path(QStringLiteral("temp/upload-2.txt"))),
                 QByteArray("h\r\nother\r\n"));
    }

    // --errors is refused when it names an input or the database, however written, and a
    // refused run leaves an earlier list alone.
    void theErrorsFileNeverDestroysAnotherFile()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString input = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        QCOMPARE(runImport(env, embedded(db) + QStringList{input}).exitCode, 0);
        const QByteArray database = contentOf(db);
        QVERIFY(QFile::link(db, env.path(QStringLiteral("link.db"))));
        for (const QString& errors : {db, env.path(QStringLiteral("link.db")),
                                      env.path(QStringLiteral("./sub/../a.csv")), input}) {
            QDir().mkpath(env.path(QStringLiteral("sub")));
            const RunnerResult r =
                runImport(env, embedded(db) + QStringList{QStringLiteral("--errors"), errors,
                                                          QStringLiteral("--table"),
                                                          QStringLiteral("X"), input});
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.err.contains(QStringLiteral("the errors file")), qPrintable(r.err));
        }
        QCOMPARE(contentOf(db), database);
        QCOMPARE(contentOf(input), QByteArray("h\n1\n"));
        // A list from an earlier run survives a command line that is refused.
        const QString errors = env.writeFile(QStringLiteral("errors.tsv"), "earlier\n");
        QCOMPARE(runImport(env, embedded(db) + QStringList{QStringLiteral("--errors"), errors,
                                                           QStringLiteral("--batch"),
                                                           QStringLiteral("0"), input})
                     .exitCode,
                 2);
        QCOMPARE(contentOf(errors), QByteArray("earlier\n"));
    }

    // A reader that goes away (a pipe into head) does not end the run, and the errors file
    // still lists every row not loaded.
    void aClosedPipeCostsOnlyTheMessages()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), rowsWithRejects(20000));
        QProcess shell;
        shell.setProcessEnvironment(runnerEnvironment(env));
        // Reports go to stderr, which is the pipe that head closes after its first line.
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("\"$0\" \"$@\" 2>&1 >/dev/null | head -n 1"),
                     QStringLiteral(TESSALOOM_IMPORT_PATH), QStringLiteral("--server"),
                     QStringLiteral("file:") + db, QStringLiteral("--errors"), errors, file});
        QVERIFY(shell.waitForFinished(120000));
        QCOMPARE(linesOf(errors).size(), 2000);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM NewTable1")),
                 QStringList{"18000"});
    }

    // A closed terminal (SIGHUP) stops the run as SIGTERM does: what was not loaded is listed.
    // Rows not loaded reach the errors file while the run goes on, so a run killed outright
    // still leaves them behind.
    void hangUpAndKillLeaveTheListBehind()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const int rows = 200000;
        const QString file = env.writeFile(QStringLiteral("a.csv"), rowsWithRejects(rows));
        for (const int signal : {SIGHUP, SIGKILL}) {
            const QString errors = env.path(QStringLiteral("errors-%1.tsv").arg(signal));
            QProcess process;
            process.setProcessEnvironment(runnerEnvironment(env));
            process.start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                          embedded(db) + QStringList{QStringLiteral("--table"),
                                                     QStringLiteral("S%1").arg(signal),
                                                     QStringLiteral("--errors"), errors, file});
            QVERIFY(process.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(
                process.state() != QProcess::Running || !linesOf(errors).isEmpty(), 60000);
            QVERIFY2(process.state() == QProcess::Running, "nothing was listed while it ran");
            ::kill(pid_t(process.processId()), signal);
            QVERIFY(process.waitForFinished(60000));
            const QList<QByteArray> listed = linesOf(errors);
            // Row 10 stands on line 11.
            QVERIFY(listed.first().startsWith((file + QStringLiteral("\t11\t")).toUtf8()));
            if (signal == SIGHUP) {
                QCOMPARE(process.exitStatus(), QProcess::NormalExit);
                QVERIFY(process.readAllStandardError().contains("tessaloom-import: stopped."));
                const int loaded =
                    SqliteRows(db, QStringLiteral("SELECT count(*) FROM S%1").arg(signal))
                        .value(0)
                        .toInt();
                QCOMPARE(listed.size() + loaded, rows);
            }
        }
    }

    // Any file skipped because its table exists makes the end say so, with the tables, and
    // the exit status 1, even when a later file was created.
    void skippedFilesAreNeverCalledDone()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        QStringList files;
        for (int i = 1; i <= 3; ++i)
            files << env.writeFile(QStringLiteral("%1.csv").arg(i), "h\n1\n");
        const QStringList table{QStringLiteral("--table"), QStringLiteral("E[counter]")};
        QCOMPARE(runImport(env, embedded(db) + table + files.mid(0, 2)).exitCode, 0);
        const RunnerResult r = runImport(env, embedded(db) + table + files);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QStringLiteral("Tessaloom: Table(s) already exist.\\n\\nE1, E2\n"));
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM E3")), QStringList{"1"});
    }

    // The header is the first line that is not blank, whichever way it is used.
    void aBlankFirstLineIsNoHeader()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file =
            env.writeFile(QStringLiteral("a.csv"), "\r\n\r\nh,k\r\n1,2\r\n\r\n3,4\r\n");
        QCOMPARE(runImport(env, embedded(db) + QStringList{QStringLiteral("--table"),
                                                           QStringLiteral("T"), file})
                     .exitCode,
                 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT h, k FROM T ORDER BY rowid")),
                 QStringList({"1|2", "3|4"}));
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        const RunnerResult r = runImport(
            env, embedded(db) + QStringList{QStringLiteral("--append"), QStringLiteral("T"),
                                            QStringLiteral("--skip-header"),
                                            QStringLiteral("--errors"), errors, file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT h, k FROM T ORDER BY rowid")),
                 QStringList({"1|2", "3|4", "1|2", "3|4"}));
        // Line numbers still count the file's lines, blank ones included: a bad row on line 6.
        const QString bad = env.writeFile(QStringLiteral("b.csv"), "\nh,k\n1,2\n\n3,4\n5,6,7\n");
        const RunnerResult rejected = runImport(
            env, embedded(db) + QStringList{QStringLiteral("--append"), QStringLiteral("T"),
                                            QStringLiteral("--skip-header"),
                                            QStringLiteral("--errors"), errors, bad});
        QCOMPARE(rejected.exitCode, 1);
        QVERIFY(rejected.err.contains(QStringLiteral("Line 6 of ")));
        QCOMPARE(linesOf(errors).size(), 1);
        QVERIFY(linesOf(errors).first().startsWith((bad + QStringLiteral("\t6\t")).toUtf8()));
    }

    // A line that does not decode fails its row, naming the bytes; nothing is replaced and the
    // lines around it load.
    void undecodableLinesFailTheirRowsAlone()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        // "k", a good Shift_JIS row, one with a byte that begins no character, another good
        // row, and a last one cut off inside a character.
        const QString file =
            env.writeFile(QStringLiteral("sjis.csv"), "k\n\x82\xA0\nA\xFF\nB\n\x82");
        const RunnerResult r =
            runImport(env, embedded(db) + QStringList{QStringLiteral("--encoding"),
                                                      QStringLiteral("Shift_JIS"),
                                                      QStringLiteral("--errors"), errors, file});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT k FROM NewTable1 ORDER BY rowid")),
                 QStringList({QStringLiteral("\u3042"), QStringLiteral("B")}));
        QVERIFY2(r.err.contains(QStringLiteral("FF cannot be read as Shift_JIS")),
                 qPrintable(r.err));
        const QList<QByteArray> listed = linesOf(errors);
        QCOMPARE(listed.size(), 2);
        QVERIFY(listed.at(0).startsWith((file + QStringLiteral("\t3\t")).toUtf8()));
        QVERIFY(listed.at(1).startsWith((file + QStringLiteral("\t5\tThe file ends inside a "
                                                               "character"))
                                            .toUtf8()));
    }

    // Every file is served the names of --column-names from the first.
    void columnNamesServeEveryFile()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString a = env.writeFile(QStringLiteral("a.csv"), "x,y\n1,2\n");
        const QString b = env.writeFile(QStringLiteral("b.csv"), "x,y\n3,4\n");
        const RunnerResult r =
            runImport(env, embedded(db) + QStringList{QStringLiteral("--column-names"),
                                                      QStringLiteral("Left,Right"), a, b});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT Left, Right FROM NewTable1")),
                 QStringList{"1|2"});
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT Left, Right FROM NewTable2")),
                 QStringList{"3|4"});
    }

    // Standard input that another program left non-blocking waits for its data.
    void aNonBlockingStandardInputWaitsForData()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        QProcess process;
        process.setProcessEnvironment(runnerEnvironment(env));
        process.setChildProcessModifier(
            [] { ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK); });
        process.start(QStringLiteral(TESSALOOM_IMPORT_PATH), embedded(db) + QStringList{"-"});
        QVERIFY(process.waitForStarted());
        QTest::qWait(300); // nothing to read yet
        process.write("h\nlate\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT h FROM NewTable1")), QStringList{"late"});
    }

    // With --batch 1 a row goes without a transaction: when the connection drops after the
    // server ran it but before its answer came, it is in the table. It is listed with words
    // that say so; the rows after it are listed as not sent, and nothing else is in the table.
    void aRowWhoseAnswerNeverCameIsListedAsInDoubt()
    {
        TestEnvironment env;
        SandboxServer::Settings settings;
        settings.faultSwitches = {QStringLiteral("--answer-lost-after"), QStringLiteral("60")};
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        QByteArray rows = "n\n";
        for (int i = 1; i <= 200; ++i)
            rows += QByteArray::number(i) + '\n';
        const QString file = env.writeFile(QStringLiteral("a.csv"), rows);
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        const RunnerResult r =
            runImport(env,
                      {QStringLiteral("--server"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), server.portText(), QStringLiteral("--user"),
                       server.settings().user, QStringLiteral("--database"),
                       server.settings().databases.first(), QStringLiteral("--batch"),
                       QStringLiteral("1"), QStringLiteral("--errors"), errors, file},
                      server.settings().password.toUtf8());
        QCOMPARE(r.exitCode, 1);
        QVERIFY(server.stop());
        const QStringList inTable = SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                                               QStringLiteral("SELECT n FROM NewTable1"));
        QVERIFY2(!inTable.isEmpty() && inTable.size() < 200, qPrintable(r.err));
        const QList<QByteArray> listed = linesOf(errors);
        QCOMPARE(inTable.size() + listed.size(), 200 + 1); // the row in doubt is in both
        const QList<QByteArray> doubt = listed.first().split('\t');
        QCOMPARE(doubt.at(3), inTable.last().toUtf8());
        QVERIFY2(doubt.at(2).contains("whether the server applied it is not known"),
                 doubt.at(2).constData());
        for (qsizetype i = 1; i < listed.size(); ++i)
            QVERIFY2(!listed.at(i).contains("not known"), listed.at(i).constData());
    }

    // Smaller faults: each message says what is true, and the errors file keeps its layout.
    void messagesSayWhatIsTrue()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString errors = env.path(QStringLiteral("errors.tsv"));
        // A NUL in a field: a row that fails alone with a reason a user can act on.
        const QString odd = env.writeFile(QStringLiteral("tab\there.csv"),
                                          QByteArray("h,k\n1,2\na,b\0c\n3,4\n", 18));
        RunnerResult r =
            runImport(env, embedded(db) + QStringList{QStringLiteral("--errors"), errors, odd});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Field #2 holds a NUL character")),
                 qPrintable(r.err));
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM NewTable1")),
                 QStringList{"2"});
        // A path holding a tab is written escaped, so the line keeps its four fields.
        const QList<QByteArray> listed = linesOf(errors);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().split('\t').size(), 4);
        QVERIFY(listed.first().startsWith(odd.toUtf8().replace("\t", "\\t") + QByteArray("\t3\t")));

        // TEMP that is a file, not a folder.
        const QString file = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        QProcess process;
        QProcessEnvironment environment = runnerEnvironment(env);
        environment.insert(QStringLiteral("TEMP"), file);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                      embedded(db) +
                          QStringList{QStringLiteral("--table"), QStringLiteral("X"), file});
        QVERIFY(process.waitForFinished(60000));
        const QString said = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("is not a folder")), qPrintable(said));
        QCOMPARE(contentOf(file), QByteArray("h\n1\n"));
    }
};

QTEST_GUILESS_MAIN(RunnerFaultsTest)
#include "RunnerFaultsTest.moc"

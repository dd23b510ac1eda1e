#include "Guard.h"
#include "ImportFixture.h"
#include "SandboxServer.h"
#include "SqliteRows.h"
#include "SybaseASE.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <sqlite3.h>

namespace {
// Only a guard against a hang: the server ends a session's work after the client has gone.
constexpr int ServerSettles = 60000;

ConnectionSettings sandboxSettings(const SandboxServer& server)
{
    return {QStringLiteral("127.0.0.1"), server.portText(), server.settings().user,
            server.settings().password, server.settings().databases.first()};
}
} // namespace

// The import run over the real client path: FreeTDS Client-Library, TDS 5.0, the sandbox.
class SandboxImportTest : public QObject
{
    Q_OBJECT

private slots:
    void newTablesAndAppendThroughTds()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        ImportFixture f;
        ImportContext context = f.context();
        context.connection = [&] { return sandboxSettings(server); };
        f.addFile(QStringLiteral("a.csv"), "Name,Note\nO'Brien,Zoë ünïcode\nJane,\n");
        f.addFile(QStringLiteral("b.csv"), "k\nv\n");
        {
            Guard load(f.ui, Locations::MainLoad);
            load.line(118, [&] {
                FillTableList(f.tables, defaultSessionFactory(), sandboxSettings(server), f.ui);
            });
        }
        ImportRun run(context);
        QCOMPARE(run.start().closingMessage, QStringLiteral("Done."));
        QVERIFY2(f.errorReports().isEmpty(), qPrintable(f.errorReports().join(QLatin1Char('\n'))));
        const QString db = server.databaseFile(QStringLiteral("testdb"));
        // ASE keeps an empty text as one blank.
        // The server commits a client's work as it lets the connection go, just after the logout.
        QTRY_COMPARE_WITH_TIMEOUT(
            SqliteRows(db, QStringLiteral("SELECT Name, Note FROM NewTable1 ORDER BY rowid")),
            QStringList({QStringLiteral("O'Brien|Zoë ünïcode"), QStringLiteral("Jane| ")}),
            ServerSettles);
        QCOMPARE(f.tables.items(), QStringList({"NewTable2", "NewTable1"}));

        // Append to the listed table; a row of the wrong width is rejected with the server's text.
        f.files.clear();
        f.addFile(QStringLiteral("c.csv"), "x\ny\nz,extra\n");
        f.options.values().mode = ImportMode::AppendToExisting;
        f.tables.setCurrentIndex(0); // NewTable2
        ImportRun append(context);
        QCOMPARE(append.start().closingMessage, QStringLiteral("Done."));
        QTRY_COMPARE_WITH_TIMEOUT(
            SqliteRows(db, QStringLiteral("SELECT k FROM NewTable2 ORDER BY rowid")),
            QStringList({"v", "x", "y"}), ServerSettles);
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reportedLine(reports.first()), 352);
    }

    void aDroppedConnectionEndsTheFileWithOneReport()
    {
        // The connection drops within the rows: at the first or a later batch, depending on
        // how many rows go per round trip; what is said must hold either way.
        SandboxServer::Settings settings;
        settings.faultSwitches = {QStringLiteral("--close-after"), QStringLiteral("2500")};
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        ImportFixture f;
        ImportContext context = f.context();
        context.connection = [&] { return sandboxSettings(server); };
        constexpr int Rows = 3000;
        QByteArray many = "n\n";
        for (int i = 0; i < Rows; ++i)
            many += QByteArray::number(i) + '\n';
        const QString path = f.addFile(QStringLiteral("a.csv"), many);
        ListedRows listed;
        ImportRun run(context, RunnerOptions{{}, {}, &listed, nullptr});
        run.start();
        const QStringList reports = f.errorReports();
        // One report: how many rows were loaded, and from which line on nothing was sent.
        QVERIFY2(reports.size() == 1, qPrintable(reports.join(QLatin1Char('\n'))));
        const QString report = reports.last();
        QVERIFY(!report.contains(QStringLiteral("rejected the statement")));
        int loaded = 0;
        const auto said =
            QRegularExpression(QStringLiteral("([\\d,]+) rows? (were|was) loaded; from line "
                                              "([\\d,]+) on the file was not sent"))
                .match(report);
        if (said.hasMatch()) {
            loaded = said.captured(1).remove(QLatin1Char(',')).toInt();
            // Line 1 names the column, so the first row not loaded is on line loaded + 2.
            QCOMPARE(said.captured(3).remove(QLatin1Char(',')).toInt(), loaded + 2);
        } else {
            QVERIFY2(report.contains(QStringLiteral("The file ") + path +
                                     QStringLiteral(" was not imported.")),
                     qPrintable(report));
        }
        QTRY_COMPARE_WITH_TIMEOUT(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                                             QStringLiteral("SELECT count(*) FROM NewTable1")),
                                  QStringList{QString::number(loaded)}, ServerSettles);
        // Every row not loaded is listed, from that line on.
        QCOMPARE(listed.entries.size(), Rows - loaded);
        QCOMPARE(listed.lines().first().toInt(), loaded + 2);
        QCOMPARE(listed.lines().last().toInt(), Rows + 1);
    }

    void aServerThatHasGoneIsNotSaidToRejectTheStatement()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        ImportFixture f;
        ImportContext context = f.context();
        context.connection = [&] { return sandboxSettings(server); };
        f.addFile(QStringLiteral("a.csv"), "n\n1\n");
        // The server goes once the session is open, before the table is created.
        f.onFileRead = [&](int) { server.stop(); };
        ImportRun(context).start();
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(!reports.first().contains(QStringLiteral("rejected")),
                 qPrintable(reports.first()));
        QVERIFY2(reports.first().contains(QStringLiteral("connection")),
                 qPrintable(reports.first()));
    }

    // ASE would keep 16 KB of a longer value and say nothing: such a row is not sent, and is
    // reported on its own; the rows around it load.
    void aValueTooLongForAStatementFailsItsRowAlone()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        ImportFixture f;
        ListedRows listed;
        f.runner.rejected = &listed;
        ImportContext context = f.context();
        context.connection = [&] { return sandboxSettings(server); };
        const QByteArray longest(16384, 'x');
        f.addFile(QStringLiteral("a.csv"), "n,v\n1," + longest + "\n2," + longest + "y\n3,z\n");
        ImportRun(context, f.runner).start();
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.first().startsWith(QStringLiteral(
                     "The value of field 2 is 16,385 bytes long in the server's character set")),
                 qPrintable(reports.first()));
        QCOMPARE(listed.lines(), QStringList{"3"});
        const QString db = server.databaseFile(QStringLiteral("testdb"));
        QTRY_COMPARE_WITH_TIMEOUT(
            SqliteRows(db, QStringLiteral("SELECT n, length(v) FROM NewTable1 ORDER BY rowid")),
            QStringList({"1|16384", "3|1"}), ServerSettles);
    }

    void namesThatBreakOutOfTheirBracketsAreRefused()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const QString db = server.databaseFile(QStringLiteral("testdb"));
        const QString evil = QStringLiteral("t]; DROP TABLE victim; SELECT * FROM [t");
        {
            sqlite3* handle = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(db).constData(), &handle), SQLITE_OK);
            const QByteArray sql =
                "CREATE TABLE victim (v TEXT); CREATE TABLE \"" + evil.toUtf8() + "\" (v TEXT);";
            QCOMPARE(sqlite3_exec(handle, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(handle);
        }
        ImportFixture f;
        ImportContext context = f.context();
        context.connection = [&] { return sandboxSettings(server); };
        f.addFile(QStringLiteral("a.csv"), "v\n1\n");
        f.options.values().tableName = QStringLiteral("x](a TEXT); DROP TABLE victim;--");
        ImportRun(context).start();
        {
            Guard load(f.ui, Locations::MainLoad);
            load.line(118, [&] {
                FillTableList(f.tables, defaultSessionFactory(), sandboxSettings(server), f.ui);
            });
        }
        QVERIFY(f.tables.items().contains(evil));
        f.tables.setCurrentIndex(int(f.tables.items().indexOf(evil)));
        f.options.values().mode = ImportMode::AppendToExisting;
        ImportRun(context).start();
        const QStringList reports = f.errorReports();
        QCOMPARE(reports.size(), 2);
        for (const QString& report : reports)
            QVERIFY2(report.contains(QStringLiteral("holds \"]\"")), qPrintable(report));
        QVERIFY(SqliteRows(db, QStringLiteral("SELECT name FROM sqlite_master"))
                    .contains(QStringLiteral("victim")));
    }
};

QTEST_GUILESS_MAIN(SandboxImportTest)
#include "SandboxImportTest.moc"

// The sandbox checked by clients others wrote: FreeTDS's tsql (libtds) and bsqldb (DB-Library),
// with a private freetds.conf and home so nothing depends on this machine's FreeTDS setup.
#include "RawTdsClient.h"
#include "SandboxServer.h"
#include "SqliteRows.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

class FreeTdsTools
{
public:
    FreeTdsTools()
    {
        QFile conf(m_home.filePath(QStringLiteral("freetds.conf")));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[global]\n\ttds version = 5.0\n");
    }

    Run run(const QString& program, const QStringList& arguments,
            const QByteArray& input = {}) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("FREETDSCONF"), m_home.filePath(QStringLiteral("freetds.conf")));
        env.insert(QStringLiteral("TDSVER"), QStringLiteral("5.0"));
        env.remove(QStringLiteral("TDSDUMP"));
        // FreeTDS converts between the locale's character set and the server's.
        env.insert(QStringLiteral("LC_ALL"), m_locale);
        env.remove(QStringLiteral("FREETDS"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_home.path());
        p.start(QStandardPaths::findExecutable(program), arguments);
        Run r;
        if (!p.waitForStarted(60000))
            return r;
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    Run tsql(const SandboxServer& server, const QString& password, const QByteArray& script,
             const QString& database = QStringLiteral("testdb")) const
    {
        return run(QStringLiteral("tsql"),
                   {QStringLiteral("-H"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                    server.portText(), QStringLiteral("-U"), server.settings().user,
                    QStringLiteral("-P"), password, QStringLiteral("-D"), database,
                    QStringLiteral("-o"), QStringLiteral("q")},
                   script);
    }

    Run bsqldb(const SandboxServer& server, const QString& password, const QByteArray& script) const
    {
        const QString file = m_home.filePath(QStringLiteral("script.sql"));
        QFile f(file);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(script);
        f.close();
        return run(QStringLiteral("bsqldb"),
                   {QStringLiteral("-S"), QStringLiteral("127.0.0.1:") + server.portText(),
                    QStringLiteral("-U"), server.settings().user, QStringLiteral("-P"), password,
                    QStringLiteral("-D"), QStringLiteral("testdb"), QStringLiteral("-i"), file});
    }

    void setLocale(const QString& locale) { m_locale = locale; }

private:
    QTemporaryDir m_home;
    QString m_locale = QStringLiteral("C");
};

QStringList lines(const QString& text)
{
    QStringList out = text.split(QLatin1Char('\n'));
    for (QString& l : out)
        l = l.trimmed();
    out.removeAll(QString());
    return out;
}
} // namespace

class SandboxFreeTdsClientsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char* tool : {"tsql", "bsqldb"})
            QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                     "FreeTDS's tools are missing: install the Debian package freetds-bin");
    }

    void tsqlCreatesInsertsAndReadsBack()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const Run r = tools.tsql(server, server.settings().password,
                                 "create table people (id int null, name varchar(30) null)\ngo\n"
                                 "insert into people values (1, 'O''Neil')\ngo\n"
                                 "insert into people values (2, null)\ngo\n"
                                 "select id, name from people order by id\ngo\nexit\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(lines(r.out), (QStringList{QStringLiteral("id\tname"), QStringLiteral("1\tO'Neil"),
                                            QStringLiteral("2\tNULL")}));
        QVERIFY2(!r.err.contains(QStringLiteral("Msg ")), qPrintable(r.err));
    }

    void tsqlIsRefusedAWrongPasswordAndAMissingDatabase()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const Run wrong =
            tools.tsql(server, QStringLiteral("not-the-password"), "select 1\ngo\nexit\n");
        QVERIFY(wrong.exitCode != 0);
        QVERIFY2(wrong.err.contains(QStringLiteral("Msg 4002")) &&
                     wrong.err.contains(QStringLiteral("Login failed.")),
                 qPrintable(wrong.err));
        const Run missing = tools.tsql(server, server.settings().password, "select 1\ngo\nexit\n",
                                       QStringLiteral("nodb"));
        QVERIFY2(missing.err.contains(QStringLiteral("Msg 911")), qPrintable(missing.err));
    }

    void tsqlIsToldWhenNoUserConnectionIsLeft()
    {
        SandboxServer::Settings settings;
        settings.maxConnections = 1;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient holder(server.port());
        QVERIFY(holder.login(server.settings().user.toUtf8(), server.settings().password.toUtf8()));
        const FreeTdsTools tools;
        const Run r = tools.tsql(server, server.settings().password, "select 1\ngo\nexit\n");
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.err.contains(QStringLiteral("Msg 1601 (severity 17, state 1)")) &&
                     r.err.contains(QStringLiteral(
                         "There are not enough 'user connections' available to start a new "
                         "process. Retry when there are more 'user connections' available, or "
                         "ask your System Administrator to reconfigure ASE with more 'user "
                         "connections'.")),
                 qPrintable(r.err));
    }

    void bsqldbRunsBatchesThroughDbLibrary()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const QByteArray longValue(600, 'L');
        const Run r = tools.bsqldb(
            server, server.settings().password,
            "create table notes (id int null, body varchar(1000) null, memo text null)\ngo\n"
            "insert into notes values (1, 'Grüße', 'first') "
            "insert into notes values (2, '" +
                longValue +
                "', null)\ngo\n"
                "select id, body, memo from notes order by id\ngo\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList rows = lines(r.out);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows[0].startsWith(QStringLiteral("1")) &&
                     rows[0].contains(QStringLiteral("Grüße")) &&
                     rows[0].endsWith(QStringLiteral("first")),
                 qPrintable(rows[0]));
        QVERIFY2(rows[1].contains(QString::fromLatin1(longValue)),
                 "the 600-byte LONGCHAR value is not whole");
        QVERIFY2(r.err.contains(QStringLiteral("2 rows affected")), qPrintable(r.err));
    }

    void bsqldbIsRefusedAWrongPasswordAndSeesServerErrors()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const Run wrong = tools.bsqldb(server, QStringLiteral("nope"), "select 1\ngo\n");
        QVERIFY(wrong.exitCode != 0);
        QVERIFY2(wrong.err.contains(QStringLiteral("Msg 4002")), qPrintable(wrong.err));
        const Run missing =
            tools.bsqldb(server, server.settings().password, "select * from nowhere\ngo\n");
        QVERIFY2(missing.err.contains(QStringLiteral("Msg 208")) &&
                     missing.err.contains(QStringLiteral("nowhere not found")),
                 qPrintable(missing.err));
    }

    void valuesAreKeptInTheServersCharacterSet_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("storedHex");
        const QString zurich = QStringLiteral("Zürich");
        const QString euro = QStringLiteral("Zürich €");
        QTest::newRow("utf8") << "utf8" << euro << "5AC3BC7269636820E282AC";
        QTest::newRow("iso_1") << "iso_1" << zurich << "5AFC72696368";
        QTest::newRow("iso15") << "iso15" << euro << "5AFC7269636820A4";
        QTest::newRow("cp850") << "cp850" << zurich << "5A8172696368";
        QTest::newRow("cp1252") << "cp1252" << euro << "5AFC726963682080";
        QTest::newRow("roman8") << "roman8" << zurich << "5ACF72696368";
    }

    void valuesAreKeptInTheServersCharacterSet()
    {
        QFETCH(QString, charset);
        QFETCH(QString, value);
        QFETCH(QString, storedHex);
        SandboxServer::Settings settings;
        settings.charset = charset;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        FreeTdsTools tools;
        tools.setLocale(QStringLiteral("C.UTF-8"));
        const Run r = tools.tsql(server, server.settings().password,
                                 "create table city (name varchar(40) null)\ngo\n"
                                 "insert into city values ('" +
                                     value.toUtf8() +
                                     "')\ngo\n"
                                     "select name from city\ngo\nexit\n");
        QVERIFY2(r.exitCode == 0 && !r.err.contains(QStringLiteral("Msg ")), qPrintable(r.err));
        QVERIFY2(lines(r.out).contains(value), qPrintable(r.out));
        // The client converted to the announced set, and converts back when reading.
        QVERIFY(server.stop()); // the file is read once the server has let go of it
        QCOMPARE(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                            QStringLiteral("select hex(name) from city")),
                 QStringList{storedHex});
    }

    void tsqlSeesEachStatementOfABatchAnswered()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const Run r = tools.tsql(server, server.settings().password,
                                 "create table t (a int null)\ngo\n"
                                 "insert into t values (1)\n"
                                 "insert into t values (1, 2)\n"
                                 "insert into t values (3)\n"
                                 "select count(*) from t\ngo\n"
                                 "insert into t values (4)\n"
                                 "\n"
                                 "selec 5\ngo\n"
                                 "select count(*) from t\ngo\nexit\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        // The failed insert stopped only itself; the misspelt batch ran nothing.
        QCOMPARE(lines(r.out), (QStringList{QStringLiteral("2"), QStringLiteral("2")}));
        QVERIFY2(
            r.err.contains(QStringLiteral("Msg 213 (severity 16, state 1) from sandbox Line 2")),
            qPrintable(r.err));
        QVERIFY2(
            r.err.contains(QStringLiteral("Msg 102 (severity 15, state 1) from sandbox Line 3")),
            qPrintable(r.err));
    }

    void tsqlSeesValuesCheckedAgainstTheirColumns()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools; // LC_ALL=C
        const Run r = tools.tsql(
            server, server.settings().password,
            "create table typed (n int null, d numeric(4,1) null, s varchar(3) null)\ngo\n"
            "insert into typed values ('1', 1.5, 'ab')\n"
            "insert into typed values (1, 1.5, 'abcdef')\n"
            "set string_rtruncation on\n"
            "insert into typed values (2, 1.5, 'abcdef')\ngo\n"
            "select n, d, s from typed\ngo\n"
            "select c.name, t.name, c.length, c.prec, c.scale, c.status from syscolumns c, "
            "systypes t where c.id = object_id('testdb..typed') and c.usertype = t.usertype "
            "order by c.colid\ngo\nexit\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(lines(r.out),
                 (QStringList{QStringLiteral("n\td\ts"), QStringLiteral("1\t1.5\tabc"),
                              QStringLiteral("name\tname\tlength\tprec\tscale\tstatus"),
                              QStringLiteral("n\tint\t4\tNULL\tNULL\t8"),
                              QStringLiteral("d\tnumeric\t3\t4\t1\t8"),
                              QStringLiteral("s\tvarchar\t3\tNULL\tNULL\t8")}));
        QVERIFY2(
            r.err.contains(QStringLiteral("Msg 257 (severity 16, state 1) from sandbox Line "
                                          "1:\n\t\"Implicit conversion from datatype 'VARCHAR' "
                                          "to 'INT' is not allowed.  Use the CONVERT "
                                          "function to run this query.")),
            qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Msg 9502 (severity 16, state 1) from sandbox "
                                               "Line 4")),
                 qPrintable(r.err));
    }

    void bsqldbRunsTransactionsAsAseDoes()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const Run r = tools.bsqldb(server, server.settings().password,
                                   "create table t (a int null)\ngo\n"
                                   "begin tran\n"
                                   "insert into t values (1)\n"
                                   "insert into t values (2)\n"
                                   "select @@trancount\n"
                                   "rollback tran\ngo\n"
                                   "begin tran\n"
                                   "begin tran\n"
                                   "insert into t values (3)\n"
                                   "commit tran\n"
                                   "select @@trancount\n"
                                   "commit tran\n"
                                   "select @@trancount, count(*) from t\ngo\n"
                                   "begin tran\n"
                                   "create table u (a int null)\ngo\n");
        QStringList rows = lines(r.out);
        for (QString& row : rows)
            row = row.simplified(); // bsqldb pads columns with blanks
        QCOMPARE(rows,
                 (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("0 1")}));
        QVERIFY2(r.err.contains(QStringLiteral("Msg 2762")) &&
                     r.err.contains(QStringLiteral(
                         "The 'CREATE TABLE' command is not allowed within a multi-statement "
                         "transaction in the 'testdb' database.")),
                 qPrintable(r.err));
        // bsqldb left with the last transaction open: it was rolled back, u never made.
        const Run check = tools.tsql(server, server.settings().password,
                                     "select count(*) from sysobjects where name = 'u'\n"
                                     "select @@trancount\ngo\nexit\n");
        QCOMPARE(lines(check.out), (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
    }

    void aDeadlockVictimSeesItsTransactionRolledBack()
    {
        SandboxServer::Settings settings;
        settings.abortTranContaining = QStringLiteral("'victim'");
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        const Run r = tools.tsql(server, server.settings().password,
                                 "create table t (a varchar(10) null)\ngo\n"
                                 "begin tran\n"
                                 "insert into t values ('first')\n"
                                 "insert into t values ('victim')\n"
                                 "insert into t values ('never')\ngo\n"
                                 "select @@trancount, count(*) from t\ngo\nexit\n");
        QVERIFY2(
            r.err.contains(QStringLiteral("Msg 1205 (severity 13, state 1) from sandbox Line 3")),
            qPrintable(r.err));
        QCOMPARE(lines(r.out), QStringList{QStringLiteral("0\t0")});
    }

    void aClientThatLeavesMidTransactionLosesItsWork()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        const FreeTdsTools tools;
        tools.tsql(server, server.settings().password,
                   "create table t (a int null)\ngo\n"
                   "set chained on\ngo\n"
                   "insert into t values (1)\ngo\nexit\n");
        tools.tsql(server, server.settings().password,
                   "begin tran\ninsert into t values (2)\ngo\nexit\n");
        const Run r =
            tools.tsql(server, server.settings().password, "select count(*) from t\ngo\nexit\n");
        QCOMPARE(lines(r.out), QStringList{QStringLiteral("0")});
    }
};

QTEST_GUILESS_MAIN(SandboxFreeTdsClientsTest)
#include "SandboxFreeTdsClientsTest.moc"

#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QtTest>

#include "FaultyVfs.h"
#include "SqliteRows.h"

#include <sqlite3.h>

namespace {
QString embedded(const QString& path)
{
    return BuildConnectionString({QStringLiteral("file:") + path, QStringLiteral("5000"), {}, {}, {}});
}

QString failureOf(const std::function<void()>& step)
{
    try {
        step();
    } catch (const Failure& f) {
        return f.description();
    }
    return QStringLiteral("<no failure>");
}
} // namespace

class EmbeddedProviderTest : public QObject
{
    Q_OBJECT

private slots:
    void createInsertCountAndKeepAtClose()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("a.db"));
        DatabaseSession session;
        session.setMode(3);
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [Orders] ([Id] TEXT, [Name] TEXT);"));
        session.execute(QStringLiteral("INSERT INTO [Orders] VALUES('1','O''Brien');"));
        session.execute(QStringLiteral("INSERT INTO [Orders] VALUES('2','a,b');"));
        session.execute(QStringLiteral("INSERT INTO [Orders] VALUES('3','');"));
        // The general path (not the row shape) also works and commits with the rest.
        session.execute(QStringLiteral("insert into Orders (Id, Name) values ('4', NULL)"));

        ResultSet rs;
        rs.open(QStringLiteral("SELECT * FROM [Orders]"), session, 3, -1);
        QCOMPARE(rs.fieldCount(), 2);
        QCOMPARE(rs.value(QStringLiteral("Name")), QStringLiteral("O'Brien"));
        session.close();
        QVERIFY(!rs.isOpen() || rs.eof());

        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT Id, Name FROM Orders ORDER BY Id")),
                 QStringList({"1|O'Brien", "2|a,b", "3|", "4|<null>"}));
        // The same result-set object opens again on a new session.
        DatabaseSession again;
        again.open(embedded(db));
        rs.open(QStringLiteral("SELECT * FROM [Orders]"), again);
        QCOMPARE(rs.fieldCount(), 2);
    }

    void rejectedStatementFailsAloneWithSqliteText()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("b.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT, [b] TEXT);"));
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('1','x');"));
        QCOMPARE(failureOf([&] { session.execute(QStringLiteral("INSERT INTO [T] VALUES('2');")); }),
                 QStringLiteral("table T has 2 columns but 1 values were supplied"));
        QCOMPARE(failureOf([&] { session.execute(QStringLiteral("INSERT INTO [Nope] VALUES('2','y');")); }),
                 QStringLiteral("no such table: Nope"));
        QCOMPARE(failureOf([&] { session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);")); }),
                 QStringLiteral("table [T] already exists"));
        QVERIFY(failureOf([&] { session.execute(QStringLiteral("INSERT INTO [T] VALUES('3','z'));")); })
                    .contains(QStringLiteral("syntax error")));
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('4','w');"));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT a FROM T ORDER BY a")), QStringList({"1", "4"}));
    }

    void rowsBecomeVisibleWithinTheCommitInterval()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("c.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);"));
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('early');"));
        QTest::qWait(150);
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('late');"));
        // The transaction that held "early" is committed by the statement after the interval.
        QVERIFY(SqliteRows(db, QStringLiteral("SELECT a FROM T")).contains(QStringLiteral("early")));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM T")), QStringList({"2"}));
    }

    void tablesSchemaListsTypesInCreationOrder()
    {
        TestEnvironment env;
        DatabaseSession session;
        session.open(embedded(env.path(QStringLiteral("d.db"))));
        session.execute(QStringLiteral("CREATE TABLE [Orders] ([a] TEXT);"));
        session.execute(QStringLiteral("CREATE TABLE [Auto] (id INTEGER PRIMARY KEY AUTOINCREMENT, v TEXT);"));
        session.execute(QStringLiteral("CREATE VIEW [V1] AS SELECT * FROM Orders;"));
        ResultSet rs;
        rs.openTablesSchema(session);
        QStringList seen;
        while (!rs.eof()) {
            seen << rs.value(QStringLiteral("TABLE_TYPE")) + QLatin1Char(':') + rs.value(QStringLiteral("TABLE_NAME"));
            rs.moveNext();
        }
        QCOMPARE(seen, QStringList({"TABLE:Orders", "TABLE:Auto", "SYSTEM TABLE:sqlite_sequence", "VIEW:V1"}));
    }

    void badPathsFailClearly()
    {
        TestEnvironment env;
        DatabaseSession session;
        const QString missingFolder = failureOf(
            [&] { session.open(embedded(env.path(QStringLiteral("no/such/folder/x.db")))); });
        QVERIFY2(missingFolder.contains(QStringLiteral("cannot be opened")), qPrintable(missingFolder));
        QVERIFY(!session.isOpen());

        QCOMPARE(failureOf([&] { session.open(embedded(QString())); }),
                 QStringLiteral("The embedded database needs a file path after \"file:\"."));

        const QString notDb = env.writeFile(QStringLiteral("text.db"), QByteArray(4096, 'x'));
        QVERIFY(failureOf([&] { session.open(embedded(notDb)); }).contains(QStringLiteral("not a database")));

        if (geteuid() != 0) {
            QDir().mkpath(env.path(QStringLiteral("ro")));
            QFile::setPermissions(env.path(QStringLiteral("ro")), QFile::ReadOwner | QFile::ExeOwner);
            QVERIFY(failureOf([&] { session.open(embedded(env.path(QStringLiteral("ro/x.db")))); })
                        .contains(QStringLiteral("cannot be opened")));
            QFile::setPermissions(env.path(QStringLiteral("ro")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // A folder in place of the database file.
        QDir().mkpath(env.path(QStringLiteral("dir.db")));
        QVERIFY(failureOf([&] { session.open(embedded(env.path(QStringLiteral("dir.db")))); })
                    .contains(QStringLiteral("cannot be opened")));
    }

    void closedSessionRefusesWork()
    {
        DatabaseSession session;
        QVERIFY(failureOf([&] { session.execute(QStringLiteral("SELECT 1")); }).contains(QStringLiteral("closed")));
        ResultSet rs;
        QVERIFY(failureOf([&] { rs.fieldCount(); }).contains(QStringLiteral("closed")));
    }

    void aTransientlyFullDiskLosesNoReportedRow()
    {
        FaultyVfs::install();
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("full.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);"));
        for (int i = 0; i < 3; ++i)
            session.execute(QStringLiteral("INSERT INTO [T] VALUES('%1');").arg(i));
        const int before = FaultyVfs::failuresInjected();
        FaultyVfs::failWalWrites(SQLITE_FULL, 1);
        QTest::qWait(120);
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('3');")); // its commit meets the full disk
        FaultyVfs::failWalWrites(0);
        QVERIFY(FaultyVfs::failuresInjected() > before);
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('4');"));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT a FROM T ORDER BY rowid")), QStringList({"0", "1", "2", "3", "4"}));
    }

    void aDiskThatStaysFullSaysHowManyRowsWereLost()
    {
        FaultyVfs::install();
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("stuck.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);"));
        session.close();
        session.open(embedded(db));
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('a');"));
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('b');"));
        FaultyVfs::failWalWrites(SQLITE_FULL);
        const QString failure = failureOf([&] { session.close(); });
        FaultyVfs::failWalWrites(0);
        QVERIFY2(failure.contains(QStringLiteral("2 statement(s) of this session that had succeeded could not be saved")),
                 qPrintable(failure));
        QVERIFY(!session.isOpen());
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM T")), QStringList({"0"}));
    }

    void valuesArriveUnchanged()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("e.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T w] ([v] TEXT);"));
        const QString big(10000, QLatin1Char('z'));
        for (const QString& v : {QStringLiteral("Ünïcödé – ok"), QStringLiteral("''"), QStringLiteral("a');--"), big}) {
            QString escaped = v;
            escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
            session.execute(QStringLiteral("INSERT INTO [T w] VALUES('") + escaped + QStringLiteral("');"));
        }
        session.close();
        const QStringList rows = SqliteRows(db, QStringLiteral("SELECT v FROM [T w] ORDER BY rowid"));
        QCOMPARE(rows, QStringList({QStringLiteral("Ünïcödé – ok"), QStringLiteral("''"), QStringLiteral("a');--"), big}));
    }
};

QTEST_GUILESS_MAIN(EmbeddedProviderTest)
#include "EmbeddedProviderTest.moc"

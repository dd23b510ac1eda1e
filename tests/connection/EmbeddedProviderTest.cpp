#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "FaultyVfs.h"
#include "ImportTarget.h"
#include "ReportText.h"
#include "SqliteRows.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {

// Hands one row to the session as the import run does: the table and views of the values.
void submit(DatabaseSession& session, std::int64_t ticket, const QString& table,
            const QStringList& values)
{
    QList<QByteArray> bytes;
    for (const QString& v : values)
        bytes << v.toUtf8();
    RowValues row;
    row.ticket = ticket;
    row.table = table;
    for (const QByteArray& b : bytes)
        row.fields.append(QByteArrayView(b));
    session.submitRow(row);
}

// The outcomes after every held row has been ended, as "ticket:loaded" or "ticket:text".
QStringList endedOutcomes(DatabaseSession& session, bool* allStorageFailures = nullptr)
{
    session.flushRows();
    QStringList seen;
    bool storage = true;
    for (const RowOutcome& o : session.takeOutcomes()) {
        seen << QString::number(o.ticket) + u':' +
                    (o.loaded ? QStringLiteral("loaded") : o.description);
        storage = storage && o.storageFailed && !o.loaded;
    }
    if (allStorageFailures)
        *allStorageFailures = storage;
    return seen;
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
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [Orders] ([Id] TEXT, [Name] TEXT);"));
        session.execute(QStringLiteral("INSERT INTO [Orders] VALUES('1','O''Brien');"));
        session.execute(QStringLiteral("INSERT INTO [Orders] VALUES('2','a,b');"));
        session.execute(QStringLiteral("INSERT INTO [Orders] VALUES('3','');"));
        // The general path (not the row shape) also works and commits with the rest.
        session.execute(QStringLiteral("insert into Orders (Id, Name) values ('4', NULL)"));

        ResultSet rs;
        rs.open(QStringLiteral("SELECT * FROM [Orders]"), session);
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
        QCOMPARE(
            failureOf([&] { session.execute(QStringLiteral("INSERT INTO [T] VALUES('2');")); }),
            QStringLiteral("table T has 2 columns but 1 values were supplied"));
        QCOMPARE(failureOf([&] {
                     session.execute(QStringLiteral("INSERT INTO [Nope] VALUES('2','y');"));
                 }),
                 QStringLiteral("no such table: Nope"));
        QCOMPARE(
            failureOf([&] { session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);")); }),
            QStringLiteral("table [T] already exists"));
        QVERIFY(failureOf([&] {
                    session.execute(QStringLiteral("INSERT INTO [T] VALUES('3','z'));"));
                }).contains(QStringLiteral("syntax error")));
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('4','w');"));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT a FROM T ORDER BY a")),
                 QStringList({"1", "4"}));
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
        QVERIFY(
            SqliteRows(db, QStringLiteral("SELECT a FROM T")).contains(QStringLiteral("early")));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM T")), QStringList({"2"}));
    }

    void tablesSchemaListsTypesInCreationOrder()
    {
        TestEnvironment env;
        DatabaseSession session;
        session.open(embedded(env.path(QStringLiteral("d.db"))));
        session.execute(QStringLiteral("CREATE TABLE [Orders] ([a] TEXT);"));
        session.execute(
            QStringLiteral("CREATE TABLE [Auto] (id INTEGER PRIMARY KEY AUTOINCREMENT, v TEXT);"));
        session.execute(QStringLiteral("CREATE VIEW [V1] AS SELECT * FROM Orders;"));
        ResultSet rs;
        rs.openTablesSchema(session);
        QStringList seen;
        while (!rs.eof()) {
            seen << rs.value(QStringLiteral("TABLE_TYPE")) + QLatin1Char(':') +
                        rs.value(QStringLiteral("TABLE_NAME"));
            rs.moveNext();
        }
        QCOMPARE(seen, QStringList({"TABLE:Orders", "TABLE:Auto", "SYSTEM TABLE:sqlite_sequence",
                                    "VIEW:V1"}));
    }

    void badPathsFailClearly()
    {
        TestEnvironment env;
        DatabaseSession session;
        const QString missingFolder = failureOf(
            [&] { session.open(embedded(env.path(QStringLiteral("no/such/folder/x.db")))); });
        QVERIFY2(missingFolder.contains(QStringLiteral("cannot be opened")),
                 qPrintable(missingFolder));
        QVERIFY(!session.isOpen());

        QCOMPARE(failureOf([&] { session.open(embedded(QString())); }),
                 QStringLiteral("The embedded database needs a file path after \"file:\"."));

        const QString notDb = env.writeFile(QStringLiteral("text.db"), QByteArray(4096, 'x'));
        QVERIFY(failureOf([&] {
                    session.open(embedded(notDb));
                }).contains(QStringLiteral("not a database")));

        if (geteuid() != 0) {
            QDir().mkpath(env.path(QStringLiteral("ro")));
            QFile::setPermissions(env.path(QStringLiteral("ro")),
                                  QFile::ReadOwner | QFile::ExeOwner);
            QVERIFY(failureOf([&] {
                        session.open(embedded(env.path(QStringLiteral("ro/x.db"))));
                    }).contains(QStringLiteral("cannot be opened")));
            QFile::setPermissions(env.path(QStringLiteral("ro")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        // A folder in place of the database file.
        QDir().mkpath(env.path(QStringLiteral("dir.db")));
        QVERIFY(failureOf([&] {
                    session.open(embedded(env.path(QStringLiteral("dir.db"))));
                }).contains(QStringLiteral("cannot be opened")));
    }

    void closedSessionRefusesWork()
    {
        DatabaseSession session;
        QVERIFY(failureOf([&] {
                    session.execute(QStringLiteral("SELECT 1"));
                }).contains(QStringLiteral("closed")));
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
        session.execute(
            QStringLiteral("INSERT INTO [T] VALUES('3');")); // its commit meets the full disk
        FaultyVfs::failWalWrites(0);
        QVERIFY(FaultyVfs::failuresInjected() > before);
        session.execute(QStringLiteral("INSERT INTO [T] VALUES('4');"));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT a FROM T ORDER BY rowid")),
                 QStringList({"0", "1", "2", "3", "4"}));
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
        QVERIFY2(failure.contains(QStringLiteral(
                     "2 statement(s) of this session that had succeeded could not be saved")),
                 qPrintable(failure));
        QVERIFY(!session.isOpen());
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM T")), QStringList({"0"}));
    }

    // Rows bound to their table: loaded only once committed, answered in order, each on its own.
    void rowsAreAnsweredInOrderAndLoadedMeansCommitted()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("rows.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT, [b] TEXT);"));
        submit(session, 1, QStringLiteral("T"), {"1", "x"});
        submit(session, 2, QStringLiteral("T"), {"2"});
        submit(session, 3, QStringLiteral("Nope"), {"3", "y"});
        submit(session, 4, QStringLiteral("T"), {"4", "O'Brien"});
        QCOMPARE(endedOutcomes(session),
                 QStringList({"1:loaded", "2:table T has 2 columns but 1 values were supplied",
                              "3:no such table: Nope", "4:loaded"}));
        // What was answered as loaded is already there for every other reader.
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT a, b FROM T ORDER BY rowid")),
                 QStringList({"1|x", "4|O'Brien"}));
        // Held rows are ended before a statement runs, so its failure comes after them.
        submit(session, 5, QStringLiteral("T"), {"5", ""});
        QVERIFY(failureOf([&] {
                    session.execute(QStringLiteral("DROP TABLE [Nope];"));
                }).contains(QStringLiteral("no such table")));
        QCOMPARE(endedOutcomes(session), QStringList({"5:loaded"}));
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT count(*) FROM T WHERE b = ''")),
                 QStringList({"1"}));
    }

    void aFullDiskEndsRowsPromptlyAndKeepsWhatWasLoaded()
    {
        FaultyVfs::install();
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("fullrows.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);"));
        for (int i = 1; i <= 3; ++i)
            submit(session, i, QStringLiteral("T"), {QString::number(i)});
        QCOMPARE(endedOutcomes(session), QStringList({"1:loaded", "2:loaded", "3:loaded"}));

        // Gone for good: the commit and its one retry fail, and the rows are answered with the
        // database's own text instead of being run again and again.
        const int before = FaultyVfs::failuresInjected();
        FaultyVfs::failWalWrites(SQLITE_FULL);
        for (int i = 4; i <= 2000; ++i)
            submit(session, i, QStringLiteral("T"), {QString::number(i)});
        bool storage = false;
        const QStringList lost = endedOutcomes(session, &storage);
        FaultyVfs::failWalWrites(0);
        QCOMPARE(lost.size(), 1997);
        QVERIFY(storage);
        QCOMPARE(lost.first(), QStringLiteral("4:database or disk is full"));
        QVERIFY(FaultyVfs::failuresInjected() - before < 10);

        // Once: the retry finds room, with the rows SQLite rolled back run again.
        const int beforeOnce = FaultyVfs::failuresInjected();
        FaultyVfs::failWalWrites(SQLITE_FULL, 1);
        submit(session, 2001, QStringLiteral("T"), {"2001"});
        submit(session, 2002, QStringLiteral("T]x"), {"rejected"});
        submit(session, 2003, QStringLiteral("T"), {"it's"});
        QCOMPARE(endedOutcomes(session),
                 QStringList({"2001:loaded", "2002:near \"x\": syntax error", "2003:loaded"}));
        QCOMPARE(FaultyVfs::failuresInjected(), beforeOnce + 1);
        FaultyVfs::failWalWrites(0);
        session.close();
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT a FROM T ORDER BY rowid")),
                 QStringList({"1", "2", "3", "2001", "it's"}));
    }

    void statementsReportedAsDoneAreSavedBeforeRows()
    {
        FaultyVfs::install();
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("first.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T] ([a] TEXT);"));
        FaultyVfs::failWalWrites(SQLITE_FULL);
        submit(session, 1, QStringLiteral("T"), {"1"});
        bool storage = false;
        const QStringList outcomes = endedOutcomes(session, &storage);
        FaultyVfs::failWalWrites(0);
        QVERIFY(storage);
        QCOMPARE(outcomes.size(), 1);
        // The row says that the table it went to is lost too; closing has nothing more to say.
        QVERIFY2(outcomes.first().contains(QStringLiteral("database or disk is full")) &&
                     outcomes.first().contains(
                         QStringLiteral("1 statement(s) of this session that had succeeded")),
                 qPrintable(outcomes.first()));
        session.close();
        QVERIFY(SqliteRows(db, QStringLiteral("SELECT name FROM sqlite_master")).isEmpty());
    }

    void valuesArriveUnchanged()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("e.db"));
        DatabaseSession session;
        session.open(embedded(db));
        session.execute(QStringLiteral("CREATE TABLE [T w] ([v] TEXT);"));
        const QString big(10000, QLatin1Char('z'));
        for (const QString& v : {QStringLiteral("Ünïcödé – ok"), QStringLiteral("''"),
                                 QStringLiteral("a');--"), big}) {
            QString escaped = v;
            escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
            session.execute(QStringLiteral("INSERT INTO [T w] VALUES('") + escaped +
                            QStringLiteral("');"));
        }
        session.close();
        const QStringList rows =
            SqliteRows(db, QStringLiteral("SELECT v FROM [T w] ORDER BY rowid"));
        QCOMPARE(rows, QStringList({QStringLiteral("Ünïcödé – ok"), QStringLiteral("''"),
                                    QStringLiteral("a');--"), big}));
    }
};

QTEST_GUILESS_MAIN(EmbeddedProviderTest)
#include "EmbeddedProviderTest.moc"

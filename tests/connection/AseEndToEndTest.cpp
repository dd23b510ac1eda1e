// The ASE provider through FreeTDS Client-Library against the sandbox server, over a socket.
#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "ReportText.h"
#include "SandboxServer.h"

#include <QtTest>
#include <sqlite3.h>

namespace {
ConnectionSettings connectionSettings(const SandboxServer& server,
                                      const QString& database = QStringLiteral("testdb"),
                                      const QString& password = QString())
{
    return {QStringLiteral("127.0.0.1"), server.portText(), server.settings().user,
            password.isNull() ? server.settings().password : password, database};
}

// The description of the Failure that fn throws; a null string when it throws none.

// Reads one text column of a table straight from the sandbox's SQLite file.
QStringList storedValues(const QString& file, const QString& sql)
{
    QStringList out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000); // the server may be checkpointing as its session ends
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                out << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                    sqlite3_column_bytes(stmt, 0));
        else
            qWarning("cannot read %s: %s", qPrintable(file), sqlite3_errmsg(db));
        sqlite3_finalize(stmt);
    } else {
        qWarning("cannot open %s: %s", qPrintable(file), sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return out;
}

// Sets an environment variable for one test and puts the old value back.
struct ScopedEnvironment
{
    const char* name;
    QByteArray old;
    ScopedEnvironment(const char* n, const QByteArray& value) : name(n), old(qgetenv(n))
    {
        qputenv(n, value);
    }
    ~ScopedEnvironment()
    {
        if (old.isNull())
            qunsetenv(name);
        else
            qputenv(name, old);
    }
};

SandboxServer::Settings withSwitches(QStringList switches)
{
    SandboxServer::Settings s;
    s.faultSwitches = std::move(switches);
    return s;
}
} // namespace

class AseEndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void opensWithTheExactConnectionString()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        QVERIFY(session.isOpen());
        session.execute(QStringLiteral("create table [opened] (a int null)"));
        session.close();
        // The table went to testdb, the catalogue the string named, not to master.
        QCOMPARE(
            storedValues(server.databaseFile(QStringLiteral("testdb")),
                         QStringLiteral("select name from sqlite_master where name = 'opened'")),
            QStringList{QStringLiteral("opened")});
        QVERIFY(server.stop());
    }

    void speaksTds50WhateverFreeTdsIsConfiguredFor()
    {
        // A user's freetds.conf or TDSVER asking for TDS 7.4 (which ASE does not speak) loses to
        // the provider's own CS_TDS_50; the sandbox closes on a TDS 7 prelogin, so 7.4 would fail.
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        QTemporaryDir dir;
        QFile conf(dir.filePath(QStringLiteral("freetds.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[global]\n\ttds version = 7.4\n[127.0.0.1]\n\thost = 127.0.0.1\n\ttds version "
                   "= 7.4\n");
        conf.close();
        ScopedEnvironment confVariable("FREETDSCONF", conf.fileName().toLocal8Bit());
        ScopedEnvironment versionVariable("TDSVER", "7.4");
        DatabaseSession session;
        const QString text = failureOf([&] { session.open(connectionSettings(server)); });
        QVERIFY2(text.isNull(), qPrintable(text));
        session.execute(QStringLiteral("create table t (a int null)"));
        session.close();
    }

    void wrongLoginsFailWithTheServersText()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        const QString badPassword = failureOf([&] {
            session.open(
                connectionSettings(server, QStringLiteral("testdb"), QStringLiteral("wrong")));
        });
        QVERIFY2(badPassword.contains(QStringLiteral("Login failed.")), qPrintable(badPassword));
        QVERIFY(!session.isOpen());

        const QString noDatabase = failureOf(
            [&] { session.open(connectionSettings(server, QStringLiteral("nosuchdb"))); });
        QVERIFY2(noDatabase.contains(QStringLiteral("database 'nosuchdb'")) &&
                     noDatabase.contains(QStringLiteral("sysdatabases")),
                 qPrintable(noDatabase));
        QVERIFY(!session.isOpen());
    }

    void createInsertAndReadBack()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral(
            "create table [Sales 2024] (id int null, name varchar(40) null, note text null)"));
        session.execute(QStringLiteral("insert into [Sales 2024] values (1, 'first', 'a note')"));
        session.execute(QStringLiteral("insert into [Sales 2024] values (2, null, null)"));
        session.execute(QStringLiteral("insert into [Sales 2024] values (3, '', '')"));

        ResultSet rows;
        rows.open(QStringLiteral("SELECT * FROM [Sales 2024]"), session);
        QCOMPARE(rows.fieldCount(), 3);
        QStringList seen;
        while (!rows.eof()) {
            seen << rows.value(QStringLiteral("id")) + QLatin1Char('|') +
                        rows.value(QStringLiteral("name")) + QLatin1Char('|') +
                        rows.value(QStringLiteral("note"));
            rows.moveNext();
        }
        // NULL reads as empty; an empty string is one blank, as ASE stores it.
        QCOMPARE(seen, (QStringList{QStringLiteral("1|first|a note"), QStringLiteral("2||"),
                                    QStringLiteral("3| | ")}));
        rows.close();

        ResultSet empty;
        empty.open(QStringLiteral("SELECT * FROM [Sales 2024] where id > 100"), session);
        QCOMPARE(empty.fieldCount(), 3);
        QVERIFY(empty.eof());
        session.close();
    }

    void tablesSchemaListsTablesAndViews()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral("create table zeta (a int null)"));
        session.execute(QStringLiteral("create table [Alpha Table] (a int null)"));
        session.execute(QStringLiteral("create view middle as select a from zeta"));
        ResultSet schema;
        schema.openTablesSchema(session);
        QStringList seen;
        for (; !schema.eof(); schema.moveNext())
            seen << schema.value(QStringLiteral("TABLE_TYPE")) + QLatin1Char(':') +
                        schema.value(QStringLiteral("TABLE_NAME"));
        QCOMPARE(seen, (QStringList{QStringLiteral("TABLE:Alpha Table"),
                                    QStringLiteral("VIEW:middle"), QStringLiteral("TABLE:zeta")}));
        session.close();
    }

    void rejectedStatementsCarryTheServersText()
    {
        SandboxServer server(
            withSwitches({QStringLiteral("--reject-containing"), QStringLiteral("FORBIDDEN")}));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral("create table t (a varchar(20) null)"));

        const QString rejected = failureOf(
            [&] { session.execute(QStringLiteral("insert into t values ('FORBIDDEN')")); });
        QVERIFY2(rejected.contains(QStringLiteral("rejects statements containing 'FORBIDDEN'")),
                 qPrintable(rejected));
        const QString missing =
            failureOf([&] { session.execute(QStringLiteral("insert into nosuch values (1)")); });
        QVERIFY2(missing.contains(QStringLiteral("nosuch not found")), qPrintable(missing));
        const QString twice =
            failureOf([&] { session.execute(QStringLiteral("create table t (a int null)")); });
        QVERIFY2(twice.contains(QStringLiteral("There is already an object named 't'")),
                 qPrintable(twice));
        const QString query = failureOf([&] {
            ResultSet rs;
            rs.open(QStringLiteral("SELECT * FROM [nowhere]"), session);
        });
        QVERIFY2(query.contains(QStringLiteral("nowhere not found")), qPrintable(query));

        // After the rejections the session still works and holds no stale messages.
        session.execute(QStringLiteral("insert into t values ('fine')"));
        ResultSet rs;
        rs.open(QStringLiteral("SELECT * FROM t"), session);
        QCOMPARE(rs.value(QStringLiteral("a")), QStringLiteral("fine"));
        session.close();
    }

    void droppedConnectionFailsEveryLaterStatement()
    {
        // The login's own batch is two statements; two more are answered, then the line drops.
        SandboxServer server(withSwitches({QStringLiteral("--close-after"), QStringLiteral("4")}));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral("create table t (a int null)"));
        session.execute(QStringLiteral("insert into t values (1)"));

        const QString first =
            failureOf([&] { session.execute(QStringLiteral("insert into t values (2)")); });
        QVERIFY2(!first.isNull() && !first.isEmpty(),
                 "a statement on a dropped connection succeeded");
        const QString second =
            failureOf([&] { session.execute(QStringLiteral("insert into t values (3)")); });
        QVERIFY2(!second.isNull() && !second.isEmpty(), "a later statement succeeded");
        const QString query = failureOf([&] {
            ResultSet rs;
            rs.open(QStringLiteral("SELECT * FROM t"), session);
        });
        QVERIFY2(!query.isNull() && !query.isEmpty(), "a query on a dropped connection succeeded");
        QVERIFY(!session.isAlive());
        session.close();
        QVERIFY(server.isRunning());
    }

    void slowServerFailsWithinTheLoginTimeout()
    {
        SandboxServer server(withSwitches({QStringLiteral("--delay-ms"), QStringLiteral("20000")}));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        const QString text = failureOf([&] { session.open(connectionSettings(server)); });
        // The client's own timeout ended the wait, not the server's late answer.
        QVERIFY2(text.contains(QStringLiteral("did not answer the login within 5 seconds")),
                 qPrintable(text));
        QVERIFY(!session.isAlive());
    }

    void valuesArriveUnchanged_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("apostrophes") << QStringLiteral("O'Brien's ''quoted'' '");
        QTest::newRow("non-ASCII") << QStringLiteral("Grüße, Ελληνικά, Кириллица, 日本語, emoji 😀");
        QTest::newRow("10000 ASCII") << QString(10000, QLatin1Char('x'));
        // 16,000 bytes in UTF-8: as much as ASE keeps of a literal is 16,384.
        QTest::newRow("8000 non-ASCII") << QString(8000, QChar(0x00E9));
        QTest::newRow("long with apostrophes") << QStringLiteral("it's ").repeated(2000);
    }

    void valuesArriveUnchanged()
    {
        QFETCH(QString, value);
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral("create table v (id int null, short varchar(100) null, "
                                       "wide varchar(16000) null, body text null)"));
        QString literal = value;
        literal.replace(QLatin1Char('\''), QStringLiteral("''"));
        literal = QLatin1Char('\'') + literal + QLatin1Char('\'');
        const QString shortLiteral = value.size() <= 40 ? literal : QStringLiteral("null");
        session.execute(
            QStringLiteral("insert into v values (1, %1, %2, %2)").arg(shortLiteral, literal));

        ResultSet rs;
        rs.open(QStringLiteral("SELECT * FROM v"), session);
        QVERIFY(!rs.eof());
        if (value.size() <= 40)
            QCOMPARE(rs.value(QStringLiteral("short")), value);
        QCOMPARE(rs.value(QStringLiteral("wide")).size(), value.size());
        QCOMPARE(rs.value(QStringLiteral("wide")), value);
        QCOMPARE(rs.value(QStringLiteral("body")), value);
        rs.close();
        session.close();
        // What the server stored is the same text in UTF-8: the client sent it unchanged.
        QCOMPARE(storedValues(server.databaseFile(QStringLiteral("testdb")),
                              QStringLiteral("select wide from v")),
                 QStringList{value});
    }
};

QTEST_GUILESS_MAIN(AseEndToEndTest)
#include "AseEndToEndTest.moc"

// Bulk copy into the sandbox: FreeTDS's freebcp loads files and copies them out again, and
// row images written by hand check what freebcp never sends (the datarows format, values the
// server must refuse) and that a batch is stored whole or not at all.
#include "BulkRowImages.h"
#include "RawTdsClient.h"
#include "SandboxServer.h"
#include "SqliteRows.h"

#include <optional>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run
{
    int exitCode = -1;
    QString output; // standard output and error together: freebcp prints messages on both
};

// freebcp with a private freetds.conf and home, in a UTF-8 locale.
class Freebcp
{
public:
    Freebcp()
    {
        QFile conf(path(QStringLiteral("freetds.conf")));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[global]\n\ttds version = 5.0\n");
    }

    QString path(const QString& name) const { return m_home.filePath(name); }

    Run run(const SandboxServer& server, const QStringList& arguments) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("FREETDSCONF"), path(QStringLiteral("freetds.conf")));
        env.insert(QStringLiteral("TDSVER"), QStringLiteral("5.0"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("TDSDUMP"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStandardPaths::findExecutable(QStringLiteral("freebcp")),
                arguments + QStringList{QStringLiteral("-c"), QStringLiteral("-t,"),
                                        QStringLiteral("-S"),
                                        QStringLiteral("127.0.0.1:") + server.portText(),
                                        QStringLiteral("-U"), server.settings().user,
                                        QStringLiteral("-P"), server.settings().password,
                                        QStringLiteral("-D"), QStringLiteral("testdb")});
        Run r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.output = QString::fromUtf8(p.readAll());
        return r;
    }

private:
    QTemporaryDir m_home;
};

QByteArray readAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// A session of the raw client in testdb, or none.
std::unique_ptr<RawTdsClient> rawSession(const SandboxServer& server)
{
    auto client = std::make_unique<RawTdsClient>(server.port());
    if (!client->login(server.settings().user.toUtf8(), server.settings().password.toUtf8()))
        return nullptr;
    client->batch("use testdb");
    return client;
}

const QByteArray RoundTripTable =
    "create table T (i int, e numeric(5,2), f date, b bigint null, n numeric(30,0) null, "
    "d numeric(10,2) null, dt date null, t datetime null, bt bigdatetime null, "
    "v varchar(20) null, w varchar(300) null)";
} // namespace

class SandboxBulkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("freebcp")).isEmpty(),
                 "FreeTDS's freebcp is missing: install the Debian package freetds-bin");
    }

    void freebcpCopiesInAndOutByteForByte_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<QByteArray>("storedName"); // v of the first row, as the server keeps it
        QTest::newRow("utf8, allpages") << QString() << QByteArray() << QByteArray("h\xc3\xa9llo");
        QTest::newRow("utf8, datarows")
            << QString() << QByteArray(" lock datarows") << QByteArray("h\xc3\xa9llo");
        QTest::newRow("iso_1, allpages")
            << QStringLiteral("iso_1") << QByteArray(" lock allpages") << QByteArray("h\xe9llo");
        QTest::newRow("iso_1, datarows")
            << QStringLiteral("iso_1") << QByteArray(" lock datarows") << QByteArray("h\xe9llo");
    }

    void freebcpCopiesInAndOutByteForByte()
    {
        QFETCH(QString, charset);
        QFETCH(QByteArray, lock);
        QFETCH(QByteArray, storedName);
        SandboxServer::Settings settings;
        settings.charset = charset;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server);
        QVERIFY(client);
        QCOMPARE(RawTdsClient::lastDoneStatus(client->batch(RoundTripTable + lock)) & 0x02, 0);
        // Every type the importer infers, NULLs in the middle and at the end of a row, and a
        // value past 255 bytes, whose offsets need the adjust table.
        const QByteArray file =
            "1,1.50,2024-02-29,2,123456789012345678901234567890,12.50,2024-03-01,"
            "2024-03-01 12:34:56.123,2024-03-01 12:34:56.123456,h\xc3\xa9llo," +
            QByteArray(290, 'w') +
            "\n"
            "2,0.00,1900-01-01,,,,,,,,\n"
            "-3,-999.99,9999-12-31,-9223372036854775808,-99999999999999999999,-0.05,1753-01-01,"
            "1900-01-01 00:00:00.000,1900-01-01 00:00:00.000001,x,\n"
            "4,0.01,2000-01-01,,,,,,,a b,y\n";
        const Freebcp bcp;
        writeAll(bcp.path(QStringLiteral("in.txt")), file);
        const Run in = bcp.run(server, {QStringLiteral("testdb..T"), QStringLiteral("in"),
                                        bcp.path(QStringLiteral("in.txt"))});
        QVERIFY2(in.exitCode == 0 && in.output.contains(QStringLiteral("4 rows copied")),
                 qPrintable(in.output));
        const Run out = bcp.run(server, {QStringLiteral("T"), QStringLiteral("out"),
                                         bcp.path(QStringLiteral("out.txt"))});
        QVERIFY2(out.exitCode == 0, qPrintable(out.output));
        QCOMPARE(readAll(bcp.path(QStringLiteral("out.txt"))), file);
        const QStringList stored = SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                                              QStringLiteral("select hex(v) from T where i = 1"));
        QCOMPARE(stored, QStringList{QString::fromLatin1(storedName.toHex().toUpper())});
    }

    void aRejectedBatchIsRolledBackWhole_data()
    {
        QTest::addColumn<QStringList>("faultSwitches");
        QTest::addColumn<QByteArray>("thirdRow");
        QTest::addColumn<QString>("message");
        QTest::newRow("duplicate key")
            << QStringList() << QByteArray("1,dup") << QStringLiteral("Msg 2601");
        QTest::newRow("--reject-containing")
            << QStringList{QStringLiteral("--reject-containing"), QStringLiteral("poison")}
            << QByteArray("3,poison") << QStringLiteral("Msg 50001");
    }

    void aRejectedBatchIsRolledBackWhole()
    {
        QFETCH(QStringList, faultSwitches);
        QFETCH(QByteArray, thirdRow);
        QFETCH(QString, message);
        SandboxServer::Settings settings;
        settings.faultSwitches = faultSwitches;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server);
        QVERIFY(client);
        client->batch("create table D (i int, v varchar(10)) lock datarows");
        QCOMPARE(RawTdsClient::lastDoneStatus(client->batch("create unique index D_i on D (i)")) &
                     0x02,
                 0);
        const Freebcp bcp;
        writeAll(bcp.path(QStringLiteral("in.txt")), "1,a\n2,b\n" + thirdRow + "\n4,d\n5,e\n");
        // Two rows a batch: the second batch fails, the first stays.
        const Run in = bcp.run(server, {QStringLiteral("D"), QStringLiteral("in"),
                                        bcp.path(QStringLiteral("in.txt")), QStringLiteral("-b"),
                                        QStringLiteral("2")});
        QVERIFY2(in.exitCode != 0 && in.output.contains(message), qPrintable(in.output));
        QCOMPARE(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                            QStringLiteral("select i, v from D order by i")),
                 (QStringList{QStringLiteral("1|a"), QStringLiteral("2|b")}));
    }

    void handWrittenRowsAreCheckedAsAseChecksThem_data()
    {
        QTest::addColumn<bool>("datarows");
        QTest::addColumn<QByteArray>("secondRow");
        QTest::addColumn<int>("message"); // 0: the batch is stored
        QTest::addColumn<QStringList>("stored");
        for (const bool datarows : {false, true}) {
            const char* scheme = datarows ? "datarows: " : "allpages: ";
            const QStringList first{QStringLiteral("1|1.50|x")};
            QTest::addRow("%sstored", scheme)
                << datarows << rowImage(datarows, 2, numeric52(12345), QByteArray("abc")) << 0
                << (first + QStringList{QStringLiteral("2|123.45|abc")});
            QTest::addRow("%strailing NULL left out", scheme)
                << datarows << rowImage(datarows, 2, std::nullopt, QByteArray("abc")) << 0
                << (first + QStringList{QStringLiteral("2|<null>|abc")});
            QTest::addRow("%stoo long a text is cut", scheme)
                << datarows << rowImage(datarows, 2, std::nullopt, QByteArray("abcdefgh")) << 0
                << (first + QStringList{QStringLiteral("2|<null>|abcde")});
            QTest::addRow("%snumeric past its precision", scheme)
                << datarows << rowImage(datarows, 2, numeric52(100000), QByteArray("abc")) << 247
                << first;
            QTest::addRow("%sNULL into NOT NULL", scheme)
                << datarows << rowImage(datarows, 2, numeric52(1), std::nullopt) << 233 << first;
            QTest::addRow("%sa row cut short", scheme)
                << datarows << rowImage(datarows, 2, numeric52(1), QByteArray("abc")).chopped(3)
                << 50002 << first;
            QTest::addRow("%sduplicate key", scheme)
                << datarows << rowImage(datarows, 1, numeric52(1), QByteArray("d")) << 2601
                << first;
        }
    }

    void handWrittenRowsAreCheckedAsAseChecksThem()
    {
        QFETCH(bool, datarows);
        QFETCH(QByteArray, secondRow);
        QFETCH(int, message);
        QFETCH(QStringList, stored);
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server);
        QVERIFY(client);
        client->batch("create table R (i int, n numeric(5,2) null, v varchar(5))" +
                      QByteArray(datarows ? " lock datarows" : ""));
        client->batch("create unique index R_i on R (i)");
        // The raw client asks for the datarows format at login, as newer FreeTDS does.
        QCOMPARE(RawTdsClient::lastDoneStatus(client->batch("insert bulk R")) & 0x02, 0);
        QVERIFY(client->sendMessage(
            0x07, bulkMessage({rowImage(datarows, 1, numeric52(150), QByteArray("x"))})));
        QCOMPARE(RawTdsClient::lastDoneStatus(client->readReply()), 0x10);
        QCOMPARE(RawTdsClient::lastDoneStatus(client->batch("insert bulk testdb.dbo.R")) & 0x02, 0);
        // The second batch: a good row first, so that a refusal must undo it.
        QVERIFY(client->sendMessage(
            0x07, bulkMessage({rowImage(datarows, 7, numeric52(7), QByteArray("ok")), secondRow})));
        const QByteArray reply = client->readReply();
        if (message == 0) {
            QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x10);
            stored.insert(1, QStringLiteral("7|0.07|ok"));
            std::sort(stored.begin(), stored.end());
        } else {
            QCOMPARE(RawTdsClient::messageNumbers(reply), QList<int>{message});
            QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x02);
        }
        QCOMPARE(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                            QStringLiteral("select i, n, v from R order by i")),
                 stored);
    }

    void insertBulkIsRefusedWhereAseRefusesIt_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<int>("message");
        QTest::newRow("inside a transaction") << QByteArray("begin tran") << QByteArray("R") << 226;
        QTest::newRow("a table with text") << QByteArray() << QByteArray("X") << 50002;
        QTest::newRow("a missing table") << QByteArray() << QByteArray("nothere") << 208;
        QTest::newRow("another database's table") << QByteArray() << QByteArray("master..R") << 208;
    }

    void insertBulkIsRefusedWhereAseRefusesIt()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, target);
        QFETCH(int, message);
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server);
        QVERIFY(client);
        client->batch("create table R (i int)");
        client->batch("create table X (i int, t text null)");
        if (!before.isEmpty())
            client->batch(before);
        const QByteArray reply = client->batch("insert bulk " + target);
        QCOMPARE(RawTdsClient::messageNumbers(reply), QList<int>{message});
        QCOMPARE(RawTdsClient::lastDoneStatus(reply) & 0x02, 0x02);
    }

    // The answer to "insert bulk" as newer FreeTDS reads it: a row per column with its type,
    // length, nullability and place in the row image, then the defaults; a NULL for a column
    // with a default stores the default.
    void insertBulkDescribesItsRowsAndDefaultsFillNulls()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server);
        QVERIFY(client);
        client->batch("create table R (i int, n numeric(5,2) null, v varchar(5) default 'dflt')");
        const QByteArray reply = client->batch("insert bulk R");
        QCOMPARE(quint8(reply.at(0)), quint8(0xEE));
        qsizetype at = 3 + qsizetype(quint8(reply[1]) | quint8(reply[2]) << 8);
        QList<QList<qint32>> rows;
        while (at + 29 <= reply.size() && quint8(reply[at]) == 0xD1) {
            QList<qint32> row;
            for (int c = 0; c < 7; ++c) {
                const qsizetype v = at + 1 + 4 * c;
                row << qint32(quint32(quint8(reply[v])) | quint32(quint8(reply[v + 1])) << 8 |
                              quint32(quint8(reply[v + 2])) << 16 |
                              quint32(quint8(reply[v + 3])) << 24);
            }
            rows << row;
            at += 29;
        }
        // colcnt, colid, type, length, status, offset, dflt
        QCOMPARE(rows, (QList<QList<qint32>>{{3, 1, 0x38, 4, 0, 2, 0},
                                             {3, 2, 0x6C, 4, 8, -1, 0},
                                             {3, 3, 0x27, 5, 0, -2, 1}}));
        QVERIFY2(reply.indexOf(QByteArray("\xd1\x04"
                                          "dflt",
                                          6),
                               at) > at,
                 reply.toHex().constData());
        QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x10);
        QVERIFY(client->sendMessage(0x07,
                                    bulkMessage({rowImage(false, 1, numeric52(5), std::nullopt)})));
        QCOMPARE(RawTdsClient::lastDoneStatus(client->readReply()), 0x10);
        QCOMPARE(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                            QStringLiteral("select i, n, v from R")),
                 QStringList{QStringLiteral("1|0.05|dflt")});
    }

    // Newer FreeTDS asks sysobjects.sysstat2 whether a table is datarows-locked.
    void sysstat2TellsTheLockScheme()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server);
        QVERIFY(client);
        client->batch("create table A (i int)");
        client->batch("create table P (i int) lock datapages");
        client->batch("create table R (i int) lock datarows");
        client->batch("create table L (i int) LOCK ALLPAGES");
        QCOMPARE(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                            QStringLiteral("select name from sqlite_master order by name")),
                 (QStringList{QStringLiteral("A"), QStringLiteral("L"), QStringLiteral("P"),
                              QStringLiteral("R")}));
        const QByteArray reply =
            client->batch("select sysstat2 from testdb..sysobjects where type='U' and name='R'\n"
                          "select sysstat2 from sysobjects where type='U' and name='P'\n"
                          "select sysstat2 from sysobjects where type='U' and name='A'\n"
                          "select sysstat2 from sysobjects where type='U' and name='L'");
        QList<qint32> values;
        for (qsizetype at = reply.indexOf("\xd1\x04", 0); at >= 0;
             at = reply.indexOf("\xd1\x04", at + 1))
            values << qint32(quint8(reply[at + 2]) | quint8(reply[at + 3]) << 8);
        QCOMPARE(values, (QList<qint32>{0x8000, 0x4000, 0x2000, 0x2000}));
    }

    // --close-after counts "insert bulk" and the rows of its batch as a statement each.
    void closeAfterDropsABatchUnstored()
    {
        SandboxServer::Settings settings;
        settings.faultSwitches = QStringList{QStringLiteral("--close-after"), QStringLiteral("3")};
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        auto client = rawSession(server); // "use testdb": the first statement
        QVERIFY(client);
        client->batch("create table R (i int, n numeric(5,2) null, v varchar(5))");
        QCOMPARE(RawTdsClient::lastDoneStatus(client->batch("insert bulk R")) & 0x02, 0);
        QVERIFY(client->sendMessage(
            0x07, bulkMessage({rowImage(false, 1, std::nullopt, QByteArray("a"))})));
        QVERIFY(client->closedByServer());
        QCOMPARE(SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                            QStringLiteral("select count(*) from R")),
                 QStringList{QStringLiteral("0")});
    }
};

QTEST_GUILESS_MAIN(SandboxBulkTest)
#include "SandboxBulkTest.moc"

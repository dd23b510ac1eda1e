// The sandbox under input no proper client sends: each bad connection ends alone, the server
// and its other clients go on, and the SQLite files stay whole.
#include "RawTdsClient.h"
#include "SandboxServer.h"

#include <atomic>
#include <memory>
#include <QRandomGenerator>
#include <QtTest>
#include <sqlite3.h>
#include <thread>
#include <vector>

namespace {
const QByteArray User = "tester";
const QByteArray Password = "sandbox-pw";
constexpr quint8 Normal = 0x0F;

SandboxServer::Settings withSwitches(QStringList switches)
{
    SandboxServer::Settings s;
    s.faultSwitches = std::move(switches);
    return s;
}

// The server still serves a fresh, well-behaved client.
bool stillServes(const SandboxServer& server)
{
    RawTdsClient client(server.port());
    if (!client.login(User, Password))
        return false;
    const QByteArray reply = client.batch("select 1");
    return reply.startsWith(char(0xEE)) && RawTdsClient::lastDoneStatus(reply) == 0x10;
}

QString integrityOf(const QString& file)
{
    sqlite3* db = nullptr;
    QString result = QStringLiteral("cannot open");
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "pragma integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

int countRows(RawTdsClient& client, const QByteArray& table)
{
    const QByteArray reply = client.batch("select count(*) from " + table);
    // ROWFMT of one INTN(4) column is 14 bytes; the row follows: d1, 04, value(4).
    const qsizetype row = reply.indexOf(char(0xD1));
    if (row < 0 || row + 6 > reply.size())
        return -1;
    return int(quint8(reply[row + 2]) | quint8(reply[row + 3]) << 8);
}
} // namespace

class SandboxRobustnessTest : public QObject
{
    Q_OBJECT

private slots:
    void malformedFramingEndsOnlyThatConnection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray garbage(4096, '\0');
        for (char& c : garbage)
            c = char(QRandomGenerator::global()->bounded(256));
        garbage[2] = '\x00';
        garbage[3] = '\x04'; // a plausible-looking length so the reader takes it seriously
        QTest::newRow("garbage") << garbage;
        QTest::newRow("header length below 8") << QByteArray("\x02\x01\x00\x03\x00\x00\x00\x00", 8);
        QTest::newRow("type change mid-message") << QByteArray("\x02\x00\x00\x0c\x00\x00\x00\x00"
                                                               "abcd"
                                                               "\x0f\x01\x00\x0c\x00\x00\x00\x00"
                                                               "abcd",
                                                               24);
        QTest::newRow("prelogin probe") << QByteArray("\x12\x01\x00\x08\x00\x00\x00\x00", 8);
        QTest::newRow("login record too short") << QByteArray("\x02\x01\x00\x0c\x00\x00\x00\x00"
                                                              "abcd",
                                                              12);
    }

    void malformedFramingEndsOnlyThatConnection()
    {
        QFETCH(QByteArray, bytes);
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient bystander(server.port());
        QVERIFY(bystander.login(User, Password));

        RawTdsClient bad(server.port());
        bad.sendBytes(bytes);
        QVERIFY(bad.closedByServer());
        QVERIFY(stillServes(server));
        QCOMPARE(RawTdsClient::lastDoneStatus(bystander.batch("select 1")), 0x10);
        QVERIFY(server.stop());
    }

    void clientsVanishingMidMessageLeaveNoTrace()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        {
            RawTdsClient setup(server.port());
            QVERIFY(setup.login(User, Password));
            QCOMPARE(RawTdsClient::lastDoneStatus(
                         setup.batch("use testdb create table kept (a int null)")),
                     0);
        }
        {
            // A header promising 500 bytes, 100 sent, then gone.
            RawTdsClient truncated(server.port());
            QVERIFY(truncated.login(User, Password));
            const QByteArray token = RawTdsClient::languageToken("use testdb drop table kept");
            truncated.sendPacket(Normal, token.left(100), 0x01, 500);
        }
        {
            // The first packet of a two-packet message, then gone.
            RawTdsClient half(server.port());
            QVERIFY(half.login(User, Password));
            half.sendPacket(Normal, RawTdsClient::languageToken("use testdb drop table kept"),
                            0x00);
        }
        {
            // A transaction begun and never finished.
            RawTdsClient open(server.port());
            QVERIFY(open.login(User, Password));
            QByteArray inserts = "use testdb begin tran";
            for (int i = 0; i < 500; ++i)
                inserts += " insert into kept values (" + QByteArray::number(i) + ")";
            QVERIFY(open.batch(inserts).size() > 0);
        }
        RawTdsClient check(server.port());
        QVERIFY(check.login(User, Password));
        check.batch("use testdb");
        QCOMPARE(countRows(check, "kept"), 0); // the table is there, the transaction rolled back
        QVERIFY(server.stop());
        QCOMPARE(integrityOf(server.databaseFile(QStringLiteral("testdb"))), QStringLiteral("ok"));
    }

    void lyingAndUnsupportedRequestsGetAnErrorNotACrash_data()
    {
        QTest::addColumn<quint8>("type");
        QTest::addColumn<QByteArray>("payload");
        QByteArray lying = RawTdsClient::languageToken("select 1");
        lying[1] = '\x10';
        lying[2] = '\x27'; // length 10000, far past the packet
        QTest::newRow("language length lies") << Normal << lying;
        QTest::newRow("language with parameters")
            << Normal << RawTdsClient::languageToken("select ?", 0x01);
        QTest::newRow("rpc") << Normal
                             << QByteArray("\xe6\x05\x00\x03"
                                           "abc\x00",
                                           8);
        QTest::newRow("dynamic") << Normal << QByteArray("\xe7\x03\x00\x01\x00\x00", 6);
        QTest::newRow("unknown token") << Normal << QByteArray("\x99\x01\x02", 3);
        QTest::newRow("empty message") << Normal << QByteArray();
        QTest::newRow("bulk packet") << quint8(0x07) << QByteArray("rows", 4);
        QTest::newRow("tds 4.2 query") << quint8(0x01) << QByteArray("select 1");
        QTest::newRow("prelogin after login") << quint8(0x12) << QByteArray(30, '\0');
    }

    void lyingAndUnsupportedRequestsGetAnErrorNotACrash()
    {
        QFETCH(quint8, type);
        QFETCH(QByteArray, payload);
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient client(server.port());
        QVERIFY(client.login(User, Password));
        QVERIFY(client.sendMessage(type, payload));
        const QByteArray reply = client.readReply();
        QVERIFY2(reply.startsWith(char(0xE5)), reply.toHex().constData());
        QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x02);
        // The same connection goes on.
        QCOMPARE(RawTdsClient::lastDoneStatus(client.batch("select 1")), 0x10);
        QVERIFY(server.stop());
    }

    void oversizedMessageEndsTheConnection()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient client(server.port());
        QVERIFY(client.login(User, Password));
        const QByteArray chunk(65535 - 8, 'x');
        qint64 sent = 0;
        while (sent < 64ll << 20 && client.sendPacket(Normal, chunk, 0x00))
            sent += chunk.size();
        QVERIFY2(sent < 64ll << 20, "the server took 64 MiB of one message");
        QVERIFY(client.closedByServer());
        QVERIFY(stillServes(server));
    }

    void attentionIsAcknowledgedOnce()
    {
        SandboxServer server(withSwitches({QStringLiteral("--delay-ms"), QStringLiteral("1500")}));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient client(server.port());
        QVERIFY(client.login(User, Password));
        // Idle: the reply it meant to stop has ended; it is still acknowledged.
        QVERIFY(client.sendPacket(0x06, {}));
        QByteArray reply = client.readReply();
        QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x20);
        QCOMPARE(reply.size(), 9);
        // During a slow reply: the batch's results give way to the acknowledgement. Had the
        // server finished the batch first, its rows would be the next reply.
        QVERIFY(client.sendMessage(Normal, RawTdsClient::languageToken("select 1")));
        QVERIFY(client.sendPacket(0x06, {}));
        reply = client.readReply();
        QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x20);
        QCOMPARE(reply.size(), 9);
        QCOMPARE(RawTdsClient::lastDoneStatus(client.batch("select 1")), 0x10);
    }

    void faultSwitchesRefuseAndDrop()
    {
        SandboxServer refusing(withSwitches({QStringLiteral("--refuse-logins")}));
        QVERIFY2(refusing.isRunning(), qPrintable(refusing.errorText()));
        RawTdsClient client(refusing.port());
        QVERIFY(client.sendMessage(0x02, RawTdsClient::loginRecord(User, Password)));
        const QByteArray reply = client.readReply();
        QCOMPARE(RawTdsClient::messageNumbers(reply), QList<int>{4002});
        QVERIFY(!RawTdsClient::hasLoginAccepted(reply));
        QVERIFY(client.closedByServer());

        SandboxServer dropping(
            withSwitches({QStringLiteral("--close-after"), QStringLiteral("2")}));
        RawTdsClient second(dropping.port());
        QVERIFY(second.login(User, Password));
        QCOMPARE(RawTdsClient::lastDoneStatus(second.batch("select 1 select 2")), 0x10);
        QVERIFY(second.batch("select 3").isEmpty());
        QVERIFY(second.closedByServer());
        QVERIFY(stillServes(dropping));
    }

    void aConnectionPastTheLimitIsRefusedItsLogin()
    {
        SandboxServer::Settings settings;
        settings.maxConnections = 2;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient first(server.port());
        QVERIFY(first.login(User, Password));
        auto second = std::make_unique<RawTdsClient>(server.port()); // not logged in, yet counted
        QVERIFY(second->isConnected());

        // Refused as ASE refuses a login it has no room for, whatever the credentials.
        RawTdsClient third(server.port());
        QVERIFY(third.sendMessage(0x02, RawTdsClient::loginRecord(User, "wrong")));
        const QByteArray reply = third.readReply();
        QCOMPARE(RawTdsClient::messageNumbers(reply), QList<int>{1601});
        QVERIFY(!RawTdsClient::hasLoginAccepted(reply));
        QCOMPARE(RawTdsClient::lastDoneStatus(reply), 0x02);
        QVERIFY(third.closedByServer());
        QCOMPARE(RawTdsClient::lastDoneStatus(first.batch("select 1")), 0x10);

        // A place given up is taken again. The try keeps the session it won: QTRY asks more
        // than once, and a session just closed may not have been counted out yet.
        second.reset();
        std::unique_ptr<RawTdsClient> again;
        const auto loggedIn = [&] {
            if (!again) {
                auto client = std::make_unique<RawTdsClient>(server.port());
                if (client->login(User, Password))
                    again = std::move(client);
            }
            return again != nullptr;
        };
        QTRY_VERIFY_WITH_TIMEOUT(loggedIn(), 20000);
        QVERIFY(server.stop());
    }

    void aSilentServerKeepsTheConnectionAndIgnoresCancels()
    {
        SandboxServer::Settings settings;
        settings.silentAfter = 2;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient client(server.port());
        QVERIFY(client.login(User, Password));
        QCOMPARE(RawTdsClient::lastDoneStatus(client.batch("select 1 select 2")), 0x10);
        QVERIFY(client.batch("select 3", 1000).isEmpty());
        QVERIFY(client.sendPacket(0x06, {}));
        QVERIFY(client.readReply(1000).isEmpty());
        QVERIFY(!client.closedByServer(500));
        // Its statements are its own: another client is served.
        QVERIFY(stillServes(server));
        QVERIFY2(server.stop(), "a silent session kept the server from stopping");
    }

    void connectionsThatNeverLogInAreDropped()
    {
        SandboxServer::Settings settings;
        settings.loginTimeoutSeconds = 1;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        // More idle connections than the server takes at once, and one that stalls mid-login.
        std::vector<std::unique_ptr<RawTdsClient>> idle;
        for (int i = 0; i < 300; ++i)
            idle.push_back(std::make_unique<RawTdsClient>(server.port()));
        RawTdsClient stalled(server.port());
        QVERIFY(
            stalled.sendPacket(0x02, RawTdsClient::loginRecord(User, Password).left(100), 0x00));
        for (auto& c : idle)
            QVERIFY(c->closedByServer());
        QVERIFY(stalled.closedByServer());
        QVERIFY(stillServes(server));
        // A client that has logged in may idle longer than the login timeout.
        RawTdsClient patient(server.port());
        QVERIFY(patient.login(User, Password));
        QVERIFY(!patient.closedByServer(1500));
        QCOMPARE(RawTdsClient::lastDoneStatus(patient.batch("select 1")), 0x10);
    }

    void servesManyClientsAtOnce()
    {
        constexpr int Clients = 100;
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        {
            RawTdsClient setup(server.port());
            QVERIFY(setup.login(User, Password));
            setup.batch("use testdb create table shared (who int null, n int null)");
        }
        std::vector<std::unique_ptr<RawTdsClient>> clients;
        for (int i = 0; i < Clients; ++i) {
            clients.push_back(std::make_unique<RawTdsClient>(server.port()));
            QVERIFY(clients.back()->login(User, Password));
        }
        // All are logged in at the same time; now each works from its own thread.
        std::atomic<int> succeeded{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < Clients; ++i)
            threads.emplace_back([&, i] {
                RawTdsClient& c = *clients[size_t(i)];
                bool ok = RawTdsClient::lastDoneStatus(c.batch("use testdb")) == 0;
                for (int n = 0; n < 5 && ok; ++n)
                    ok = RawTdsClient::lastDoneStatus(c.batch("insert into shared values (" +
                                                                  QByteArray::number(i) + ", " +
                                                                  QByteArray::number(n) + ")",
                                                              30000)) == 0x10;
                if (ok)
                    ++succeeded;
            });
        for (auto& t : threads)
            t.join();
        QCOMPARE(succeeded.load(), Clients);
        qInfo("served %d simultaneous connections", Clients + 1);
        clients.front()->batch("use testdb");
        QCOMPARE(countRows(*clients.front(), "shared"), Clients * 5);
        clients.clear();
        QVERIFY(server.stop());
        QCOMPARE(integrityOf(server.databaseFile(QStringLiteral("testdb"))), QStringLiteral("ok"));
    }

    void stopsCleanlyWithClientsConnected()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        RawTdsClient idle(server.port());
        QVERIFY(idle.login(User, Password));
        RawTdsClient midMessage(server.port());
        QVERIFY(midMessage.login(User, Password));
        midMessage.sendPacket(Normal, RawTdsClient::languageToken("select 1"), 0x00);
        RawTdsClient neverLoggedIn(server.port());
        QVERIFY2(server.stop(), "the server did not end cleanly on SIGTERM");
        QVERIFY(idle.closedByServer());
    }
};

QTEST_GUILESS_MAIN(SandboxRobustnessTest)
#include "SandboxRobustnessTest.moc"

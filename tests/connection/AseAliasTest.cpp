// Server names that FreeTDS resolves itself: with the Port box empty, the server name is a
// freetds.conf entry; a typed port still wins over the entry's own.
#include "AseClientFixture.h"
#include "ConnectionProbe.h"
#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "SqliteRows.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <QtTest>
#include <sys/socket.h>
#include <unistd.h>

using namespace AseClientFixture;

namespace {
// A freetds.conf of the test's own; FREETDSCONF points the library at it.
QString writeConf(const TestEnvironment& env, const QString& sections)
{
    return env.writeFile(QStringLiteral("freetds.conf"),
                         (QStringLiteral("[global]\n\ttds version = 5.0\n") + sections).toUtf8());
}

QString section(const QString& name, const QString& host, int port)
{
    return QStringLiteral("[%1]\n\thost = %2\n\tport = %3\n").arg(name, host).arg(port);
}

QString openFailure(const ConnectionSettings& settings)
{
    DatabaseSession session;
    try {
        session.open(settings);
    } catch (const Failure& failure) {
        return failure.description().isEmpty() ? QStringLiteral("(empty)") : failure.description();
    }
    return {};
}

// A loopback port held bound but not listening, so connections to it are refused.
struct RefusingPort
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    RefusingPort()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(fd); }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
};
} // namespace

class AseAliasTest : public QObject
{
    Q_OBJECT

private slots:
    void anEmptyPortLetsTheConfigurationNameTheServer()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        TestEnvironment env;
        const QString conf = writeConf(
            env, section(QStringLiteral("salesdb"), QStringLiteral("127.0.0.1"), server.port()));
        ScopedVariable confVariable("FREETDSCONF", conf.toLocal8Bit());

        // The values as the window holds them with an empty Port box.
        ConnectionSettings values{QStringLiteral("salesdb"), QString(), server.settings().user,
                                  server.settings().password, server.settings().databases.first()};
        QVERIFY(ProbeConnection(defaultSessionFactory(), values));
        DatabaseSession session;
        session.open(values);
        session.execute(QStringLiteral("create table [through alias] (a int null)"));
        session.close();
        // Once the server has ended, everything it wrote is in the file.
        QVERIFY(server.stop());
        QCOMPARE(SqliteRows(server.databaseFile(server.settings().databases.first()),
                            QStringLiteral("SELECT name FROM sqlite_master WHERE name = "
                                           "'through alias'")),
                 QStringList{QStringLiteral("through alias")});
    }

    void aTypedPortWinsOverTheEntrysPort()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        TestEnvironment env;
        const RefusingPort nothing;
        const QString conf = writeConf(
            env, section(QStringLiteral("salesdb"), QStringLiteral("127.0.0.1"), nothing.port));
        ScopedVariable confVariable("FREETDSCONF", conf.toLocal8Bit());

        // The entry alone leads nowhere; with the sandbox's port typed, it leads there.
        QVERIFY(!openFailure(connectionSettings(server, QStringLiteral("salesdb"), QString()))
                     .isEmpty());
        const QString typed =
            openFailure(connectionSettings(server, QStringLiteral("salesdb"), server.portText()));
        QVERIFY2(typed.isEmpty(), qPrintable(typed));
    }

    void anUnknownNameFailsWithADescriptionNotAPortComplaint()
    {
        TestEnvironment env;
        const RefusingPort nothing;
        const QString conf = writeConf(
            env, section(QStringLiteral("known"), QStringLiteral("127.0.0.1"), nothing.port));
        ScopedVariable confVariable("FREETDSCONF", conf.toLocal8Bit());
        const QString text =
            openFailure({QStringLiteral("no-such-alias.invalid"), QString(), QStringLiteral("u"),
                         QStringLiteral("p"), QStringLiteral("db")});
        QVERIFY2(!text.isEmpty(), "an unknown server name opened a session");
        QVERIFY2(!text.contains(QStringLiteral("TCP port")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("no-such-alias.invalid")), qPrintable(text));
    }

    void aTypedPortMustStillBeANumber()
    {
        const QString text =
            openFailure({QStringLiteral("salesdb"), QStringLiteral("50x0"), QStringLiteral("u"),
                         QStringLiteral("p"), QStringLiteral("db")});
        QCOMPARE(text, QStringLiteral("The port \"50x0\" is not a TCP port number."));
    }
};

QTEST_GUILESS_MAIN(AseAliasTest)
#include "AseAliasTest.moc"

#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <QtTest>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A loopback socket that accepts connections into its backlog but never answers.
struct SilentListener
{
    int fd = -1;
    int port = 0;
    explicit SilentListener(bool listening)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        socklen_t len = sizeof(addr);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        port = ntohs(addr.sin_port);
        if (listening)
            ::listen(fd, 4);
    }
    ~SilentListener() { ::close(fd); }
};

QString openFailure(int port)
{
    DatabaseSession session;
    try {
        session.open(ConnectionSettings{QStringLiteral("127.0.0.1"), QString::number(port),
                                        QStringLiteral("sa"), QStringLiteral("pw"),
                                        QStringLiteral("db")});
    } catch (const Failure& f) {
        return f.description();
    }
    return {};
}
} // namespace

class AseUnreachableTest : public QObject
{
    Q_OBJECT

private slots:
    void refusedPortFailsWithADescription()
    {
        SilentListener closed(false); // bound, not listening: connections are refused
        const QString text = openFailure(closed.port);
        // A refusal is reported as such, naming the address, not waited out as a silence.
        QVERIFY2(
            text.contains(
                QStringLiteral("The login to the server 127.0.0.1:%1 failed.").arg(closed.port)),
            qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("did not answer")), qPrintable(text));
    }

    void silentServerFailsOnTheLoginTimeout()
    {
        SilentListener silent(true);
        const QString text = openFailure(silent.port);
        QVERIFY2(text.contains(QStringLiteral("did not answer the login within 5 seconds")),
                 qPrintable(text));
    }

    void badPortAndServerAreRefusedBeforeConnecting()
    {
        DatabaseSession session;
        try {
            session.open(
                ConnectionSettings{QStringLiteral("host"), QStringLiteral("50x0"), {}, {}, {}});
            QFAIL("accepted a port that is not a number");
        } catch (const Failure& f) {
            QVERIFY(f.description().contains(QStringLiteral("50x0")));
        }
        try {
            session.open(ConnectionSettings{QString(), QStringLiteral("5000"), {}, {}, {}});
            QFAIL("accepted an empty server");
        } catch (const Failure& f) {
            QVERIFY(!f.description().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(AseUnreachableTest)
#include "AseUnreachableTest.moc"

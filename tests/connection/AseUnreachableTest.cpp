#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"

#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
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

QString openFailure(int port, qint64* elapsedMs)
{
    DatabaseSession session;
    QElapsedTimer timer;
    timer.start();
    try {
        session.open(BuildConnectionString({QStringLiteral("127.0.0.1"), QString::number(port), QStringLiteral("sa"),
                                            QStringLiteral("pw"), QStringLiteral("db")}));
    } catch (const Failure& f) {
        *elapsedMs = timer.elapsed();
        return f.description();
    }
    *elapsedMs = timer.elapsed();
    return {};
}
} // namespace

class AseUnreachableTest : public QObject
{
    Q_OBJECT

private slots:
    void refusedPortFailsAtOnceWithADescription()
    {
        SilentListener closed(false); // bound, not listening: connections are refused
        qint64 elapsed = 0;
        const QString text = openFailure(closed.port, &elapsed);
        QVERIFY2(!text.isEmpty(), "open succeeded against a closed port");
        QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));
    }

    void silentServerFailsWithinTheLoginTimeout()
    {
        SilentListener silent(true);
        qint64 elapsed = 0;
        const QString text = openFailure(silent.port, &elapsed);
        QVERIFY2(!text.isEmpty(), "open succeeded against a silent server");
        QVERIFY2(elapsed < 9000, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
    }

    void badPortAndServerAreRefusedBeforeConnecting()
    {
        DatabaseSession session;
        try {
            session.open(QStringLiteral("Provider=ASEOLEDB;Data Source=host:50x0;User Id=;Password=;;Catalog="));
            QFAIL("accepted a port that is not a number");
        } catch (const Failure& f) {
            QVERIFY(f.description().contains(QStringLiteral("50x0")));
        }
        try {
            session.open(QStringLiteral("Provider=ASEOLEDB;Data Source=:5000;User Id=;Password=;;Catalog="));
            QFAIL("accepted an empty server");
        } catch (const Failure& f) {
            QVERIFY(!f.description().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(AseUnreachableTest)
#include "AseUnreachableTest.moc"

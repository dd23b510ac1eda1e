// How long the ASE client waits: a statement that gets no answer ends after the command
// timeout, which TESSALOOM_COMMAND_TIMEOUT sets; the run then goes on.
#include "ase/AseProvider.h"
#include "ase/SocketWatchdog.h"
#include "AseClientFixture.h"
#include "DatabaseSession.h"
#include "Failure.h"

#include <QtTest>
#include <sys/socket.h>
#include <unistd.h>

using namespace AseClientFixture;

namespace {
// The login's own batch ("select @@spid use [db]") counts as two statements; the sandbox answers
// them and the given number more, then falls silent with the socket open.
SandboxServer::Settings silentAfter(int statements)
{
    SandboxServer::Settings settings;
    settings.faultSwitches = {QStringLiteral("--silent-after"), QString::number(statements + 2)};
    return settings;
}

QString failureOf(const std::function<void()>& step)
{
    try {
        step();
    } catch (const Failure& failure) {
        return failure.description().isEmpty() ? QStringLiteral("(empty)") : failure.description();
    }
    return {};
}
} // namespace

class AseTimeoutTest : public QObject
{
    Q_OBJECT

private slots:
    void theCommandTimeoutComesFromTheEnvironment()
    {
        const char* name = AseProvider::CommandTimeoutVariable;
        {
            ScopedVariable unset(name, QByteArray());
            qunsetenv(name);
            QCOMPARE(AseProvider::commandTimeoutSeconds(),
                     AseProvider::DefaultCommandTimeoutSeconds);
        }
        {
            ScopedVariable minutes(name, "900");
            QCOMPARE(AseProvider::commandTimeoutSeconds(), 900);
        }
        {
            ScopedVariable none(name, "0");
            QCOMPARE(AseProvider::commandTimeoutSeconds(), 0);
        }
        for (const QByteArray& bad : {QByteArray("ten"), QByteArray("-5"), QByteArray("5s")}) {
            ScopedVariable wrong(name, bad);
            const QString text = failureOf([] { AseProvider::commandTimeoutSeconds(); });
            QVERIFY2(text.contains(QLatin1String(name)) && text.contains(QString::fromLatin1(bad)),
                     qPrintable(text));
        }
    }

    void theCloseWatchdogShutsTheSocketOnlyAfterItsDeadline()
    {
        int pair[2] = {-1, -1};
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        char byte = 0;
        {
            // Stopped in time: the socket is left as it was.
            SocketWatchdog watchdog(pair[0], std::chrono::hours(1));
            QVERIFY(!watchdog.stop());
            QCOMPARE(::send(pair[1], "x", 1, 0), ssize_t(1));
            QCOMPARE(::recv(pair[0], &byte, 1, 0), ssize_t(1));
        }
        {
            // A read that nobody answers ends when the deadline passes.
            SocketWatchdog watchdog(pair[0], std::chrono::milliseconds(50));
            QCOMPARE(::recv(pair[0], &byte, 1, 0), ssize_t(0));
            QVERIFY(watchdog.stop());
        }
        ::close(pair[0]);
        ::close(pair[1]);
        SocketWatchdog nothing(-1, std::chrono::milliseconds(0));
        QVERIFY(!nothing.stop());
    }

    void aBadTimeoutFailsTheOpenBeforeAnythingIsSent()
    {
        ScopedVariable wrong(AseProvider::CommandTimeoutVariable, "soon");
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        const QString text = failureOf([&] { session.open(connectionSettings(server)); });
        QVERIFY2(text.contains(QStringLiteral("soon")), qPrintable(text));
        QVERIFY(!session.isOpen());
    }

    void aSilentServerEndsTheStatementAndTheConnection()
    {
        ScopedVariable timeout(AseProvider::CommandTimeoutVariable, "2");
        SandboxServer server(silentAfter(1));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        DatabaseSession session;
        session.open(connectionSettings(server));
        session.execute(QStringLiteral("create table t (a int null)"));

        const QString first =
            failureOf([&] { session.execute(QStringLiteral("insert into t values (1)")); });
        QVERIFY2(first.contains(QStringLiteral("did not answer within 2 seconds")),
                 qPrintable(first));
        QVERIFY(!session.isAlive());
        // Later statements fail at once on the closed connection; closing returns.
        QVERIFY(!failureOf([&] {
                     session.execute(QStringLiteral("insert into t values (2)"));
                 }).isEmpty());
        session.close();
        QVERIFY(!session.isOpen());
    }

    void aSilentServerInTheMiddleOfAFileIsReportedOnce()
    {
        // CREATE TABLE and the first row are answered, the second row is not. (The table list is
        // read on a connection of its own, with a count of its own.)
        SandboxServer server(silentAfter(2));
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        TestEnvironment env;
        QByteArray lines = "n\n";
        for (int i = 0; i < 50; ++i)
            lines += QByteArray::number(i) + '\n';
        const QString file = env.writeFile(QStringLiteral("many.csv"), lines);
        QProcessEnvironment extra;
        extra.insert(QString::fromLatin1(AseProvider::CommandTimeoutVariable), QStringLiteral("2"));
        const RunResult run = runImport(env, server, QStringLiteral("Many"), {file}, extra);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errorLines.size() == 1, qPrintable(run.errorLines.join(QLatin1Char('\n'))));
        QVERIFY2(run.errorLines.first().contains(QStringLiteral("did not answer within 2 seconds")),
                 qPrintable(run.errorLines.first()));
        // The run itself went on to its end.
        QVERIFY2(run.out.contains(QStringLiteral("Done.")), qPrintable(run.out));
    }
};

QTEST_GUILESS_MAIN(AseTimeoutTest)
#include "AseTimeoutTest.moc"

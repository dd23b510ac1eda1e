// Statements per second one client gets through the sandbox, over the real client path
// (DatabaseSession, the ASE provider, FreeTDS Client-Library, TDS 5.0 on loopback).
// Prints figures; asserts nothing about them.
#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "SandboxServer.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>

namespace {
void report(const char* what, int count, qint64 ns)
{
    const double seconds = double(ns) / 1e9;
    std::printf("%-34s %6d in %7.3f s = %8.0f statements/s\n", what, count, seconds,
                count / seconds);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    SandboxServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "the sandbox did not start: %s\n", qPrintable(server.errorText()));
        return 1;
    }
    try {
        DatabaseSession session;
        session.open(ConnectionSettings{QStringLiteral("127.0.0.1"), server.portText(),
                                        server.settings().user, server.settings().password,
                                        QStringLiteral("testdb")});
        session.execute(QStringLiteral(
            "create table bench (id int null, name varchar(60) null, note varchar(255) null)"));
        session.execute(QStringLiteral("create index bench_id on bench (id)"));
        QElapsedTimer timer;

        timer.start();
        for (int i = 0; i < count; ++i)
            session.execute(
                QStringLiteral(
                    "insert into bench values (%1, 'row %1', 'it''s a row of the benchmark')")
                    .arg(i));
        report("insert, one per batch", count, timer.nsecsElapsed());

        timer.start();
        session.execute(QStringLiteral("begin tran"));
        for (int i = 0; i < count; ++i)
            session.execute(
                QStringLiteral("insert into bench values (%1, 'row %1', null)").arg(count + i));
        session.execute(QStringLiteral("commit tran"));
        report("insert, in one transaction", count, timer.nsecsElapsed());

        timer.start();
        for (int i = 0; i < count; ++i) {
            ResultSet rs;
            rs.open(QStringLiteral("SELECT * FROM bench where id = %1").arg(i), session);
            if (rs.eof() || rs.value(QStringLiteral("id")) != QString::number(i))
                throw Failure(QStringLiteral("row %1 did not come back").arg(i));
        }
        report("select of one row by id", count, timer.nsecsElapsed());
        session.close();
    } catch (const Failure& f) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(f.description()));
        return 1;
    }
    return server.stop() ? 0 : 1;
}

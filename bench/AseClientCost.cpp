// What the ASE client itself costs, apart from the server: the CPU time of this process (all
// its threads, the sandbox excluded) per connect-and-close and per statement, over the real
// client path against the sandbox on loopback. Several rounds; prints each and the medians.
// Asserts nothing about the figures.
//
//   bench_ase_client_cost [ROUNDS [CONNECTS [STATEMENTS]]]
#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Failure.h"
#include "SandboxServer.h"

#include <algorithm>
#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <sys/resource.h>
#include <vector>

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int argument(int argc, char** argv, int index, int fallback)
{
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argument(argc, argv, 1, 5);
    const int connects = argument(argc, argv, 2, 50);
    const int statements = argument(argc, argv, 3, 3000);
    SandboxServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "the sandbox did not start: %s\n", qPrintable(server.errorText()));
        return 1;
    }
    const ConnectionSettings text{QStringLiteral("127.0.0.1"), server.portText(),
                                  server.settings().user, server.settings().password,
                                  QStringLiteral("testdb")};
    std::vector<double> perConnect, perStatement, wallPerStatement;
    try {
        DatabaseSession setup;
        setup.open(text);
        setup.execute(QStringLiteral("create table cost (id int null, note varchar(60) null)"));
        setup.close();
        for (int round = 0; round < rounds; ++round) {
            double start = cpuSeconds();
            for (int i = 0; i < connects; ++i) {
                DatabaseSession session;
                session.open(text);
                session.close();
            }
            perConnect.push_back((cpuSeconds() - start) / connects * 1e3);

            DatabaseSession session;
            session.open(text);
            QElapsedTimer wall;
            wall.start();
            start = cpuSeconds();
            for (int i = 0; i < statements; ++i)
                session.execute(
                    QStringLiteral("insert into cost values (%1, 'Zürich row %1')").arg(i));
            perStatement.push_back((cpuSeconds() - start) / statements * 1e6);
            wallPerStatement.push_back(double(wall.nsecsElapsed()) / statements / 1e3);
            session.close();
            std::printf("round %d: %7.3f ms CPU per connect and close, %7.1f us CPU and %7.1f us "
                        "wall per statement\n",
                        round + 1, perConnect.back(), perStatement.back(), wallPerStatement.back());
        }
    } catch (const Failure& f) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(f.description()));
        return 1;
    }
    std::printf("median of %d rounds: %.3f ms CPU per connect and close (%d each), %.1f us CPU "
                "and %.1f us wall per statement (%d each)\n",
                rounds, median(perConnect), connects, median(perStatement),
                median(wallPerStatement), statements);
    return server.stop() ? 0 : 1;
}

#include "RunnerImport.h"

#include "RunnerReports.h"
#include "RunnerTables.h"
#include "StopSignals.h"

#include <cstdio>

namespace {
// --verbose: each CREATE TABLE as sent, on a line of its own, so a script sees the types chosen.
std::function<void(const QString&)> printTableMade(bool verbose)
{
    if (!verbose)
        return {};
    return [](const QString& statement) {
        std::fprintf(stdout, "%s\n", statement.toLocal8Bit().constData());
        std::fflush(stdout);
    };
}

void reportStop(const ImportOutcome& outcome)
{
    if (outcome.stopped())
        PrintRunnerFailure(
            QStringLiteral("stopped.") +
            (outcome.stopReport.isEmpty() ? QString() : QLatin1Char(' ') + outcome.stopReport));
}
} // namespace

std::optional<ImportOutcome> RunImport(const RunnerRequest& request, ConsoleInteraction& console,
                                       ImportProgress& progress, ErrorsFile* rejected)
{
    ConnectionSettings settings = request.connection;
    settings.password = QString::fromLocal8Bit(qgetenv("TESSALOOM_PASSWORD"));
    const QStringList& files = request.files;
    const SessionFactory createSession = defaultSessionFactory();
    MemoryTableList tables;
    if (!PrepareTables(tables, TablePreparation{createSession, settings, console, rejected, files},
                       request.appendTarget))
        return std::nullopt;

    FixedImportOptions options(request.importOptions, &tables);
    ImportRun run(ImportContext{console, options, tables, [&] { return int(files.size()); },
                                [&](int i) { return files.value(i); }, [&] { return settings; },
                                createSession, nullptr, QString(), StopRequested,
                                SessionOptions{request.rowsPerBatch, std::nullopt}},
                  RunnerOptions{request.encoding, request.quote, rejected, &progress,
                                request.nullText, printTableMade(request.verbose), false});
    const ImportOutcome outcome = run.start();
    console.endProgress();
    reportStop(outcome);
    return outcome;
}

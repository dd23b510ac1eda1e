#include "ase/AseRowBatcher.h"
#include "ImportFixture.h"
#include "SandboxServer.h"
#include "SqliteRows.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// A run of the import through the sandbox: what it reported and what the tables hold.
struct RoadRun
{
    QStringList reports;
    QList<QStringList> tables; // per file, the first column of its table in insertion order
    ImportOutcome outcome;
};

struct DataFile
{
    QString path;
    int rows = 0;
};

// Files of `rows` data lines each, "id,value" with the line's number as id, in a folder shared
// by both runs, so the reports name the same paths.
QList<DataFile> writeFiles(const QTemporaryDir& dir, const QList<int>& rows)
{
    QList<DataFile> files;
    for (int f = 0; f < rows.size(); ++f) {
        QByteArray bytes = "id,value\n";
        for (int i = 1; i <= rows[f]; ++i)
            bytes += QByteArray::number(i) + ",v" + QByteArray::number(i) + "\n";
        const QString path = dir.filePath(QStringLiteral("file%1.csv").arg(f + 1));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return {};
        files << DataFile{path, rows[f]};
    }
    return files;
}

RoadRun runThrough(const QStringList& faultSwitches, int rowsPerBatch, const QList<DataFile>& files,
                   const std::function<void(ImportFixture&, ImportProgress&)>& arrange = {})
{
    SandboxServer::Settings settings;
    settings.faultSwitches = faultSwitches;
    SandboxServer server(settings);
    if (!server.isRunning())
        qFatal("the sandbox did not start: %s", qPrintable(server.errorText()));
    ImportFixture f;
    for (const DataFile& file : files)
        f.files << file.path;
    ImportContext context = f.context();
    context.connection = [&] {
        return ConnectionSettings{QStringLiteral("127.0.0.1"), server.portText(),
                                  server.settings().user, server.settings().password,
                                  server.settings().databases.first()};
    };
    context.sessionOptions.rowsPerBatch = rowsPerBatch;
    RunnerOptions runner;
    ImportProgress progress;
    runner.progress = &progress;
    if (arrange)
        arrange(f, progress);
    RoadRun run;
    run.outcome = ImportRun(context, runner).start();
    server.stop(); // the server lets go of its files; what it committed stays
    run.reports = f.errorReports();
    for (int i = 1; i <= files.size(); ++i)
        run.tables << SqliteRows(server.databaseFile(QStringLiteral("testdb")),
                                 QStringLiteral("SELECT id FROM NewTable%1 ORDER BY rowid").arg(i));
    return run;
}

// A report of a file loaded part-way, its two numbers taken out.
struct PartWay
{
    QString text;
    qint64 loaded = -1;
    qint64 fromLine = -1;
};

PartWay partWay(const QString& report)
{
    static const QRegularExpression numbers(
        QStringLiteral(", ([\\d,]+) rows? w(?:as|ere) loaded; from line ([\\d,]+) on"));
    PartWay p;
    const QRegularExpressionMatch m = numbers.match(report);
    if (!m.hasMatch())
        return p;
    p.loaded = m.captured(1).remove(QLatin1Char(',')).toLongLong();
    p.fromLine = m.captured(2).remove(QLatin1Char(',')).toLongLong();
    p.text = QString(report).replace(m.capturedStart(), m.capturedLength(), QStringLiteral("#"));
    return p;
}

// The ids 1..count of a file, as its table would hold them loaded whole.
QStringList ids(int count, const std::function<bool(int)>& skip = nullptr)
{
    QStringList out;
    for (int i = 1; i <= count; ++i)
        if (!skip || !skip(i))
            out << QString::number(i);
    return out;
}
} // namespace

// The batched road against one statement per round trip, through the real client path and the
// sandbox's fault switches: the same reports, every row loaded or reported.
class BatchedRoadTest : public QObject
{
    Q_OBJECT

private slots:
    void rejectedRowsAreReportedAsOneByOne()
    {
        QTemporaryDir dir;
        // Rows whose id ends in 7 are rejected: some in every batch.
        const QList<DataFile> files = writeFiles(dir, {2600, 40});
        QCOMPARE(files.size(), 2);
        const QStringList rejectSevens{QStringLiteral("--reject-containing"),
                                       QStringLiteral("7','")};
        const RoadRun single = runThrough(rejectSevens, 1, files);
        const RoadRun batched = runThrough(rejectSevens, 1000, files);
        QCOMPARE(batched.reports, single.reports);
        const auto endsInSeven = [](int i) { return i % 10 == 7; };
        QCOMPARE(batched.reports.size(), 260 + 4);
        QCOMPARE(batched.tables, single.tables);
        QCOMPARE(batched.tables[0], ids(2600, endsInSeven));
        QCOMPARE(batched.tables[1], ids(40, endsInSeven));
        for (const QString& report : batched.reports) {
            QVERIFY2(report.contains(QStringLiteral("7','")), qPrintable(report));
            QCOMPARE(reportedLine(report), 240);
        }
    }

    void transactionAbortingRowsAreReportedAsOneByOne()
    {
        QTemporaryDir dir;
        const QList<DataFile> files = writeFiles(dir, {2600});
        // Rows whose id ends in 77 are deadlock victims: each takes its transaction with it.
        const QStringList abortSeventySevens{QStringLiteral("--abort-tran-containing"),
                                             QStringLiteral("77','")};
        const RoadRun single = runThrough(abortSeventySevens, 1, files);
        const RoadRun batched = runThrough(abortSeventySevens, 1000, files);
        QCOMPARE(batched.reports, single.reports);
        QCOMPARE(batched.reports.size(), 26);
        QVERIFY2(batched.reports[0].contains(QStringLiteral("deadlock")),
                 qPrintable(batched.reports[0]));
        // Nothing lost, nothing twice.
        QCOMPARE(batched.tables[0], ids(2600, [](int i) { return i % 100 == 77; }));
    }

    void aDroppedConnectionLeavesAPrefixAndOneReport()
    {
        QTemporaryDir dir;
        const QList<DataFile> files = writeFiles(dir, {3000});
        compareLostConnection({QStringLiteral("--close-after"), QStringLiteral("2500")}, files);
    }

    void aSilentServerLeavesAPrefixAndOneReport()
    {
        qputenv("TESSALOOM_COMMAND_TIMEOUT", "2");
        QTemporaryDir dir;
        const QList<DataFile> files = writeFiles(dir, {3000});
        compareLostConnection({QStringLiteral("--silent-after"), QStringLiteral("2300")}, files);
        qunsetenv("TESSALOOM_COMMAND_TIMEOUT");
    }

    void closingTheWindowCommitsWhatWasSent()
    {
        QTemporaryDir dir;
        const QList<DataFile> files = writeFiles(dir, {20000});
        const RoadRun run =
            runThrough({}, 1000, files, [](ImportFixture& f, ImportProgress& progress) {
                f.ui.onYield([&](int) {
                    if (progress.rows > 2500)
                        f.stopRequested = true;
                });
            });
        QVERIFY(run.outcome.stopped());
        const PartWay said = partWay(run.outcome.stopReport);
        const QStringList loaded = run.tables[0];
        QVERIFY(loaded.size() > 2500 && loaded.size() < 20000);
        QCOMPARE(loaded, ids(int(loaded.size())));
        QCOMPARE(said.loaded, loaded.size());
        QCOMPARE(said.fromLine, loaded.size() + 2);
    }

private:
    // A connection lost part-way through the first file, on both roads.
    static void compareLostConnection(const QStringList& faultSwitches,
                                      const QList<DataFile>& files)
    {
        const RoadRun single = runThrough(faultSwitches, 1, files);
        const RoadRun batched = runThrough(faultSwitches, 1000, files);
        QCOMPARE(batched.reports.size(), 1);
        QCOMPARE(single.reports.size(), 1);
        QCOMPARE(reportedLine(batched.reports[0]), reportedLine(single.reports[0]));
        // One by one, the statement in flight may have been applied; in a transaction only a
        // commit in flight may have been.
        QVERIFY(single.reports[0].contains(AseRowBatcher::unknownOutcomeNote()));
        const PartWay b = partWay(withoutNotes(batched.reports[0]));
        const PartWay s = partWay(withoutNotes(single.reports[0]));
        // The same words; how far each road got before the connection went differs.
        QCOMPARE(b.text, s.text);
        // The table holds a prefix of the file, as many rows as reported, and the report's line
        // follows them: loaded and not sent make up the file.
        for (const auto& [run, report] : {std::pair{&batched, b}, std::pair{&single, s}}) {
            const QStringList loaded = run->tables[0];
            QVERIFY(loaded.size() < files[0].rows);
            QCOMPARE(loaded, ids(int(loaded.size())));
            QCOMPARE(report.loaded, loaded.size());
            QCOMPARE(report.fromLine, loaded.size() + 2); // the header is line 1
        }
    }

    static QString withoutNotes(QString report)
    {
        for (const QString& note :
             {AseRowBatcher::unknownOutcomeNote(), AseRowBatcher::unknownCommitNote()})
            report.remove(note + QStringLiteral("\r\n"));
        return report;
    }
};

QTEST_GUILESS_MAIN(BatchedRoadTest)
#include "BatchedRoadTest.moc"

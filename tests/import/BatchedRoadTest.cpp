#include "ImportFixture.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// A run of the import through the sandbox: what it reported and what the tables hold.
struct RoadRun
{
    QStringList reports;
    QList<QStringList> tables; // per file, the first column of its table in insertion order
};

struct DataFile
{
    QString path;
    int rows = 0;
};

// Files of numbered lines, in a folder shared by both runs, so the reports name the same paths.
QList<DataFile> writeFiles(const QTemporaryDir& dir, const QList<int>& rows)
{
    QList<DataFile> files;
    for (int f = 0; f < rows.size(); ++f) {
        const QByteArray bytes = numberedLines(rows[f]);
        const QString path = dir.filePath(QStringLiteral("file%1.csv").arg(f + 1));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return {};
        files << DataFile{path, rows[f]};
    }
    return files;
}

RoadRun runThrough(ImportTarget target, const QStringList& faultSwitches,
                   const QList<DataFile>& files)
{
    SandboxServer::Settings settings;
    settings.faultSwitches = faultSwitches;
    ImportFixture f(target, settings);
    if (!f.startError().isEmpty())
        qFatal("the sandbox did not start: %s", qPrintable(f.startError()));
    for (const DataFile& file : files)
        f.files << file.path;
    f.run();
    f.settle();
    RoadRun run;
    run.reports = f.errorReports();
    for (int i = 1; i <= files.size(); ++i)
        run.tables << f.rows(QStringLiteral("NewTable%1").arg(i), QStringLiteral("id"));
    return run;
}

} // namespace

// The batched road against one statement per round trip, through the real client path and the
// sandbox's fault switches: the same reports, every row loaded or reported. A server lost
// part-way and a stopped run are among the scenarios of every target (ImportScenarioTest).
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
        const RoadRun single = runThrough(ImportTarget::SandboxOneByOne, rejectSevens, files);
        const RoadRun batched = runThrough(ImportTarget::SandboxBatched, rejectSevens, files);
        QCOMPARE(batched.reports, single.reports);
        const auto endsInSeven = [](int i) { return i % 10 == 7; };
        QCOMPARE(batched.reports.size(), 260 + 4);
        QCOMPARE(batched.tables, single.tables);
        QCOMPARE(batched.tables[0], ids(2600, endsInSeven));
        QCOMPARE(batched.tables[1], ids(40, endsInSeven));
        for (const QString& report : batched.reports) {
            QVERIFY2(report.contains(QStringLiteral("7','")), qPrintable(report));
            QCOMPARE(lineOf(report), 240);
        }
    }

    void transactionAbortingRowsAreReportedAsOneByOne()
    {
        QTemporaryDir dir;
        const QList<DataFile> files = writeFiles(dir, {2600});
        // Rows whose id ends in 77 are deadlock victims: each takes its transaction with it.
        const QStringList abortSeventySevens{QStringLiteral("--abort-tran-containing"),
                                             QStringLiteral("77','")};
        const RoadRun single = runThrough(ImportTarget::SandboxOneByOne, abortSeventySevens, files);
        const RoadRun batched = runThrough(ImportTarget::SandboxBatched, abortSeventySevens, files);
        QCOMPARE(batched.reports, single.reports);
        QCOMPARE(batched.reports.size(), 26);
        QVERIFY2(batched.reports[0].contains(QStringLiteral("deadlock")),
                 qPrintable(batched.reports[0]));
        // Nothing lost, nothing twice.
        QCOMPARE(batched.tables[0], ids(2600, [](int i) { return i % 100 == 77; }));
    }
};

QTEST_GUILESS_MAIN(BatchedRoadTest)
#include "BatchedRoadTest.moc"

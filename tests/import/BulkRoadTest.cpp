#include "ImportFixture.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// One file run through the sandbox, by bulk copy or by statement (--no-bulk).
struct RoadRun
{
    QStringList reports;
    QStringList table; // the rows in the table, in order
    QStringList listed;
};

// What a case loads: a file appended to a table made first, or a new table typed from it.
struct Load
{
    QStringList tableMadeWith; // statements making the append target; none: a new table
    QByteArray file;
    int rows = 0; // rows of the file
};
} // namespace

Q_DECLARE_METATYPE(Load)

namespace {

RoadRun runThrough(BulkCopy bulk, const Load& load, const QString& path)
{
    ImportFixture f(ImportTarget::SandboxBatched);
    if (!f.startError().isEmpty())
        qFatal("the sandbox did not start: %s", qPrintable(f.startError()));
    ListedRows listed;
    f.runner.rejected = &listed;
    f.options.values().bulkCopy = bulk;
    QString table = QStringLiteral("NewTable1");
    if (load.tableMadeWith.isEmpty()) {
        f.options.values().columnTyping = ColumnTyping::Inferred;
    } else {
        for (const QString& statement : load.tableMadeWith)
            f.execute(statement);
        table = QStringLiteral("T");
        f.tables.addItem(table);
        f.tables.setCurrentIndex(0);
        f.options.values().mode = ImportMode::AppendToExisting;
        f.options.values().ignoreHeaderRow = true;
    }
    f.files << path;
    f.run();
    f.settle();
    return RoadRun{f.errorReports(), f.rows(table), listed.entries};
}

QByteArray linesOf(int rows, const std::function<QByteArray(int)>& line)
{
    QByteArray bytes = "id,value\n";
    for (int i = 1; i <= rows; ++i)
        bytes += line(i) + '\n';
    return bytes;
}
} // namespace

// Bulk copy against --no-bulk on the same files, through FreeTDS and the sandbox: the same
// reports and the same table, every row loaded or reported.
class BulkRoadTest : public QObject
{
    Q_OBJECT

private slots:
    void bulkCopyReportsAsStatementsDo_data()
    {
        QTest::addColumn<Load>("load");
        QTest::addColumn<int>("notLoaded");
        const QStringList uniqueIds{
            QStringLiteral("create table T (id int not null, value varchar(10) not null)"),
            QStringLiteral("create unique index T_id on T (id)")};
        // Every hundredth row twice: a duplicate in many batches, each batch rejected whole.
        QTest::newRow("duplicates against a unique index")
            << Load{uniqueIds,
                    linesOf(5000,
                            [](int i) {
                                const QByteArray row = QByteArray::number(i) + ",v";
                                return i % 100 == 0 ? row + '\n' + row : row;
                            }),
                    5050}
            << 50;
        // A number the column cannot hold fails before anything is sent; an empty field for
        // a NOT NULL int, a value too long for its column and a NULL text go by statement and
        // get the server's own message.
        QTest::newRow("values refused by the client and by the server")
            << Load{{QStringLiteral("create table T (id int not null, value varchar(4) not null)")},
                    linesOf(3000,
                            [](int i) -> QByteArray {
                                if (i % 500 == 1)
                                    return QByteArray::number(i) + "x,v";
                                if (i % 500 == 2)
                                    return ",v";
                                if (i % 500 == 3)
                                    return QByteArray::number(i) + ",toolong";
                                return QByteArray::number(i) + ",v";
                            }),
                    3000}
            << 18;
        QTest::newRow("a new table typed from its file")
            << Load{{},
                    linesOf(4000,
                            [](int i) {
                                return QByteArray::number(i) + ",v" + QByteArray::number(i % 7);
                            }),
                    4000}
            << 0;
        // datetime, bigdatetime and date columns, kept alike whichever road a value takes: a
        // year before 1753 (bigdatetime and date) goes by statement, an empty field is NULL.
        QByteArray dates = "id,at,exact,day\n";
        for (int i = 1; i <= 3000; ++i) {
            auto day = [i](int year) {
                return QStringLiteral("%1-%2-%3")
                    .arg(year)
                    .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                    .toLatin1();
            };
            const QByteArray time = QStringLiteral(" %1:%2:%3")
                                        .arg(i % 24, 2, 10, QLatin1Char('0'))
                                        .arg(i % 60, 2, 10, QLatin1Char('0'))
                                        .arg(i * 7 % 60, 2, 10, QLatin1Char('0'))
                                        .toLatin1();
            const QByteArray early = day(i % 500 == 7 ? 1600 : 2000 + i % 30);
            dates += QByteArray::number(i) + ',' +
                     (i % 700 == 3 ? QByteArray() : day(2000 + i % 30) + time) + ',' + early +
                     time + '.' + QByteArray::number(100000 + i * 37) + ',' + early + '\n';
        }
        QTest::newRow("a new table of dates and times") << Load{{}, dates, 3000} << 0;
    }

    void bulkCopyReportsAsStatementsDo()
    {
        QFETCH(Load, load);
        QFETCH(int, notLoaded);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(load.file) == load.file.size());
        out.close();
        const BulkCopy bulk =
            load.tableMadeWith.isEmpty() ? BulkCopy::NewTables : BulkCopy::AlsoAppended;
        const RoadRun byStatement = runThrough(BulkCopy::Never, load, path);
        const RoadRun byBulk = runThrough(bulk, load, path);
        QCOMPARE(byBulk.reports, byStatement.reports);
        QCOMPARE(byBulk.listed, byStatement.listed);
        QCOMPARE(byBulk.table, byStatement.table);
        QCOMPARE(byBulk.listed.size(), notLoaded);
        QCOMPARE(byBulk.table.size() + byBulk.listed.size(), load.rows);
    }
};

QTEST_GUILESS_MAIN(BulkRoadTest)
#include "BulkRoadTest.moc"

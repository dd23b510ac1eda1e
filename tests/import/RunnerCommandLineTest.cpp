#include "RunnerCommandLine.h"

#include <QtTest>

namespace {
ParsedCommandLine parse(const QStringList& arguments)
{
    return ParseCommandLine(QStringList{QStringLiteral("tessaloom-import")} + arguments);
}
} // namespace

// The runner's command line read in-process: the exact problem texts and what a good line asks.
class RunnerCommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void eachProblemIsNamedBeforeAnyFileIsTouched_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        const QString f = QStringLiteral("f.csv");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("no files given");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--password"), QStringLiteral("x"), f}
            << QStringLiteral("Unknown option 'password'.");
        QTest::newRow("append and table")
            << QStringList{QStringLiteral("--append"), QStringLiteral("T"),
                           QStringLiteral("--column-names"), QStringLiteral("a"), f}
            << QStringLiteral("--append cannot be combined with --table or --column-names");
        QTest::newRow("header without append")
            << QStringList{QStringLiteral("--skip-header"), f}
            << QStringLiteral("--skip-header belongs to --append");
        QTest::newRow("empty separator")
            << QStringList{QStringLiteral("--separator="), f}
            << QStringLiteral("--separator cannot be empty: every line would be one field");
        QTest::newRow("batch of none")
            << QStringList{QStringLiteral("--batch"), QStringLiteral("0"), f}
            << QStringLiteral("--batch wants a number of rows, 1 or more");
        // The first problem in the order of the checks is the one named.
        QTest::newRow("batch before files")
            << QStringList{QStringLiteral("--batch"), QStringLiteral("x")}
            << QStringLiteral("--batch wants a number of rows, 1 or more");
        QTest::newRow("bulk both ways")
            << QStringList{QStringLiteral("--bulk"), QStringLiteral("--no-bulk"), f}
            << QStringLiteral("--bulk and --no-bulk cannot be combined");
        QTest::newRow("stdin twice") << QStringList{QStringLiteral("-"), QStringLiteral("-")}
                                     << QStringLiteral("- (standard input) can be given once");
        QTest::newRow("encoding") << QStringList{QStringLiteral("--encoding"),
                                                 QStringLiteral("klingon-8"), f}
                                  << QStringLiteral("unknown encoding: klingon-8");
        QTest::newRow("surrogate quote")
            << QStringList{QStringLiteral("--quote"), QString(QChar(0xD83D)), f}
            << QStringLiteral("--quote wants one character");
        QTest::newRow("quote in separator")
            << QStringList{QStringLiteral("--quote"), QStringLiteral(":"),
                           QStringLiteral("--separator"), QStringLiteral("::"), f}
            << QStringLiteral("the --quote character cannot be part of the separator");
    }

    void eachProblemIsNamedBeforeAnyFileIsTouched()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const ParsedCommandLine parsed = parse(arguments);
        QCOMPARE(parsed.action, CommandLineAction::BadUsage);
        QCOMPARE(parsed.problem, problem);
    }

    void helpWinsOverVersionAndOverProblems()
    {
        QCOMPARE(parse({QStringLiteral("--version"), QStringLiteral("--help")}).action,
                 CommandLineAction::ShowHelp);
        QCOMPARE(parse({QStringLiteral("-h"), QStringLiteral("--skip-header")}).action,
                 CommandLineAction::ShowHelp);
        QCOMPARE(parse({QStringLiteral("--version")}).action, CommandLineAction::ShowVersion);
    }

    void aNewTableRunTakesEveryValue()
    {
        const ParsedCommandLine parsed = parse(
            {QStringLiteral("a.csv"), QStringLiteral("--server"), QStringLiteral("db"),
             QStringLiteral("--column-names"), QStringLiteral("Unit Price,Qty"),
             QStringLiteral("--table"), QStringLiteral("T[counter]"), QStringLiteral("--quote"),
             QStringLiteral("\""), QStringLiteral("--batch"), QStringLiteral("7"),
             QStringLiteral("--errors"), QStringLiteral("e.txt"), QStringLiteral("-")});
        QCOMPARE(parsed.action, CommandLineAction::Run);
        const RunnerRequest& request = parsed.request;
        QCOMPARE(request.files, QStringList({"a.csv", "-"}));
        QCOMPARE(request.connection.server, QStringLiteral("db"));
        QCOMPARE(request.connection.port, QStringLiteral("5000"));
        QVERIFY(request.connection.password.isEmpty());
        QCOMPARE(request.importOptions.mode, ImportMode::NewTable);
        QCOMPARE(request.importOptions.tableName, QStringLiteral("T[counter]"));
        QCOMPARE(request.importOptions.firstLineHandling, FirstLineHandling::IgnoreWithUserNames);
        QCOMPARE(request.importOptions.separator, QStringLiteral(","));
        QCOMPARE(request.promptAnswers, QStringList({"Unit Price", "Qty"}));
        QCOMPARE(request.quote, QLatin1Char('"'));
        QCOMPARE(request.rowsPerBatch, 7);
        QCOMPARE(request.errorsPath, std::optional(QStringLiteral("e.txt")));
        QVERIFY(!request.appendTarget);
        QVERIFY(!request.quiet);
        QCOMPARE(request.importOptions.bulkCopy, BulkCopy::NewTables);
        QCOMPARE(parse({QStringLiteral("--no-bulk"), QStringLiteral("a.csv")})
                     .request.importOptions.bulkCopy,
                 BulkCopy::Never);
    }

    void anAppendRunKeepsAnEmptyTargetName()
    {
        const ParsedCommandLine parsed = parse(
            {QStringLiteral("--append="), QStringLiteral("--skip-header"), QStringLiteral("--bulk"),
             QStringLiteral("--port="), QStringLiteral("--quiet"), QStringLiteral("a.csv")});
        QCOMPARE(parsed.action, CommandLineAction::Run);
        const RunnerRequest& request = parsed.request;
        QCOMPARE(request.appendTarget, std::optional(QString()));
        QCOMPARE(request.importOptions.mode, ImportMode::AppendToExisting);
        QVERIFY(request.importOptions.ignoreHeaderRow);
        QCOMPARE(request.importOptions.bulkCopy, BulkCopy::AlsoAppended);
        QCOMPARE(request.importOptions.tableName, DefaultTableNamePattern);
        QCOMPARE(request.connection.port, QString());
        QCOMPARE(request.rowsPerBatch, 0);
        QVERIFY(request.quote.isNull());
        QVERIFY(!request.errorsPath);
        QVERIFY(request.quiet);
    }
};

QTEST_GUILESS_MAIN(RunnerCommandLineTest)
#include "RunnerCommandLineTest.moc"

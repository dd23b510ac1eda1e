#include "SqliteRows.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QtTest>

namespace {
struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

Result runImport(const TestEnvironment& env, const QStringList& arguments,
                 const QByteArray& password = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEMP"), env.tempFolder());
    environment.insert(QStringLiteral("HOME"), env.root());
    if (!password.isNull())
        environment.insert(QStringLiteral("TESSALOOM_PASSWORD"), QString::fromLatin1(password));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALOOM_IMPORT_PATH), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
} // namespace

// The headless runner as a script would use it.
class ImportCliTest : public QObject
{
    Q_OBJECT

private slots:
    void aCleanRunPrintsDoneAndExitsZero()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "a;b\n1;2\n");
        const Result r =
            runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--separator"), QStringLiteral(";"),
                            QStringLiteral("--table"), QStringLiteral("T[counter]"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("Tessaloom: Done.\n"));
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT * FROM T1")), QStringList({"1|2"}));
    }

    void promptAnswersComeFromTheCommandLine()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "x,y\n1,2\n");
        Result r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                   QStringLiteral("--column-names"),
                                   QStringLiteral("Unit Price,Qty"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT UnitPrice, Qty FROM NewTable1")),
                 QStringList({"1|2"}));
        // Too few names act as a cancel: reported, and the exit status says so.
        const QString other = env.writeFile(QStringLiteral("b.csv"), "x,y\n3,4\n");
        r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--table"), QStringLiteral("B"),
                            QStringLiteral("--column-names"), QStringLiteral("only"), other});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.startsWith(QStringLiteral("Application Error: ")));
        QVERIFY(!r.err.trimmed().contains(QLatin1Char('\n')));
        QVERIFY(r.err.contains(
            QStringLiteral("\\nin Quorvane2021/08/31.Form2.PushButton1_Click at line ")));
    }

    void appendMismatchAndMissingTablesExitOne()
    {
        TestEnvironment env;
        const QString db = env.path(QStringLiteral("t.db"));
        const QString file = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        QCOMPARE(runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                 QStringLiteral("--table"), QStringLiteral("One"), file})
                     .exitCode,
                 0);
        const QString wide = env.writeFile(QStringLiteral("w.csv"), "1,2\n");
        Result r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                                   QStringLiteral("--append"), QStringLiteral("One"), wide});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.startsWith(
            QStringLiteral("Tessaloom: The columns in the text file and the columns in the table "
                           "must be identical.\\n\\n")));
        QVERIFY(r.out.endsWith(QStringLiteral("Tessaloom: Done.\n")));
        r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--append"), QStringLiteral("Nope"), file});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QStringLiteral("Tessaloom: Please select a table.\n"));
        r = runImport(env, {QStringLiteral("--server"), QStringLiteral("file:") + db,
                            QStringLiteral("--append"), QStringLiteral("One"),
                            QStringLiteral("--skip-header"), file});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(SqliteRows(db, QStringLiteral("SELECT h FROM One ORDER BY rowid")),
                 QStringList({"1", "1"}));
    }

    void badUsageExitsTwoWithTheUsage()
    {
        TestEnvironment env;
        for (const QStringList& args :
             {QStringList{}, QStringList{QStringLiteral("--bogus"), QStringLiteral("f")},
              QStringList{QStringLiteral("--append"), QStringLiteral("T"),
                          QStringLiteral("--table"), QStringLiteral("X"), QStringLiteral("f")},
              QStringList{QStringLiteral("--skip-header"), QStringLiteral("f")}}) {
            const Result r = runImport(env, args);
            QCOMPARE(r.exitCode, 2);
            QVERIFY(r.err.contains(QStringLiteral("Usage: tessaloom-import")));
        }
        const Result help = runImport(env, {QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("TESSALOOM_PASSWORD")));
    }

    void thePasswordComesFromTheEnvironmentOnly()
    {
        TestEnvironment env;
        const QString file = env.writeFile(QStringLiteral("a.csv"), "h\n1\n");
        // A password option is not accepted at all.
        QCOMPARE(runImport(env, {QStringLiteral("--password"), QStringLiteral("x"), file}).exitCode,
                 2);
    }
};

QTEST_GUILESS_MAIN(ImportCliTest)
#include "ImportCliTest.moc"

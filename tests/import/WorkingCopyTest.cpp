#include "WorkingCopy.h"

#include "Failure.h"
#include "SqliteRows.h"
#include "TestEnvironment.h"
#include "WorkingCopyClaim.h"

#include <cstdio>
#include <memory>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>

// Restores an environment variable when the test ends.
struct EnvironmentOverride
{
    QByteArray name, old;
    bool had;
    EnvironmentOverride(const char* variable, const QByteArray& value)
        : name(variable), old(qgetenv(variable)), had(qEnvironmentVariableIsSet(variable))
    {
        if (value.isNull())
            qunsetenv(variable);
        else
            qputenv(variable, value);
    }
    ~EnvironmentOverride()
    {
        if (had)
            qputenv(name.constData(), old);
        else
            qunsetenv(name.constData());
    }
};

class WorkingCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void livesInTempThenTmpdirThenAPrivateFolder()
    {
        TestEnvironment env;
        EnvironmentOverride tmpdir("TMPDIR", env.path(QStringLiteral("tmpdir")).toLocal8Bit());
        {
            EnvironmentOverride temp("TEMP", env.tempFolder().toLocal8Bit());
            QCOMPARE(WorkingCopy::defaultPath(), env.tempFolder() + QStringLiteral("/upload.txt"));
        }
        {
            EnvironmentOverride temp("TEMP", QByteArray());
            QCOMPARE(WorkingCopy::defaultPath(), env.path(QStringLiteral("tmpdir/upload.txt")));
        }
        EnvironmentOverride temp("TEMP", QByteArray());
        EnvironmentOverride noTmpdir("TMPDIR", QByteArray());
        EnvironmentOverride cache("XDG_CACHE_HOME",
                                  env.path(QStringLiteral("cache")).toLocal8Bit());
        const QString path = WorkingCopy::defaultPath();
        QCOMPARE(path, env.path(QStringLiteral("cache/Tessaloom/upload.txt")));
        QCOMPARE(QFileInfo(QFileInfo(path).path()).permissions() & 0x7077,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void keepsLinesAndDropsTheFirstOnlyWhenAsked()
    {
        TestEnvironment env;
        WorkingCopy copy(env.path(QStringLiteral("temp/upload.txt")));
        const QString source = env.writeFile(QStringLiteral("in.txt"), "head\r\none\ntwo\rthree");
        copy.copyFrom(source);
        int asked = 0;
        const auto prepared = copy.keepLines([&] { return ++asked > 0; }, [] {});
        QCOMPARE(prepared.firstLine, QStringLiteral("head"));
        QVERIFY(!prepared.firstLineKept);
        QFile out(copy.path());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("one\r\ntwo\r\nthree\r\n"));
        // The source itself is never touched.
        QFile in(source);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), QByteArray("head\r\none\ntwo\rthree"));
    }

    // With a quote, a record keeps the lines it spans as they stand: the header's span is
    // known, and a record that cannot be read leaves one blank line for each of its lines.
    void quotedRecordsKeepTheirLines()
    {
        TestEnvironment env;
        WorkingCopy copy(env.path(QStringLiteral("temp/upload.txt")));
        copy.setSourceFormat(QStringLiteral("UTF-8"), u'"', QStringLiteral(","));
        copy.copyFrom(env.writeFile(QStringLiteral("in.csv"),
                                    "\n\"a\r\nb\",c\n\"x\ny\xFF\",z\n1,\"2\n3\"\n"));
        const auto prepared = copy.keepLines([] { return true; }, [] {});
        QCOMPARE(prepared.firstLine, QStringLiteral("\"a\r\nb\",c"));
        QCOMPARE(prepared.firstLineAt, 2);
        QCOMPARE(prepared.firstLineSpan, 2);
        QVERIFY(!prepared.firstLineKept);
        QCOMPARE(prepared.unreadable.size(), size_t(1));
        QCOMPARE(prepared.unreadable.front().line, 4);
        QCOMPARE(prepared.unreadable.front().reason,
                 QStringLiteral("The byte FF cannot be read as UTF-8."));
        QCOMPARE(prepared.fileLine(2), 4);
        QFile out(copy.path());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("\r\n\r\n\r\n1,\"2\n3\"\r\n"));
    }

    void aReadOnlyOrStaleWorkingCopyIsReplaced()
    {
        TestEnvironment env;
        WorkingCopy copy(env.path(QStringLiteral("temp/upload.txt")));
        env.writeFile(QStringLiteral("temp/upload.txt"), "old rows\n");
        QFile::setPermissions(copy.path(), QFile::ReadOwner);
        copy.copyFrom(env.writeFile(QStringLiteral("new.txt"), "new\n"));
        QFile out(copy.path());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("new\n"));
        // A source that fails leaves no working copy behind to be read in its place.
        QVERIFY_THROWS_EXCEPTION(Failure, copy.copyFrom(env.path(QStringLiteral("missing.txt"))));
        QVERIFY(!QFile::exists(copy.path()));
    }

    void onlyRegularFilesAreCopied()
    {
        TestEnvironment env;
        WorkingCopy copy(env.path(QStringLiteral("temp/upload.txt")));
        const QByteArray fifo = QFile::encodeName(env.path(QStringLiteral("pipe")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        // Would block for ever if the pipe were opened for a normal read.
        QVERIFY_THROWS_EXCEPTION(Failure, copy.copyFrom(env.path(QStringLiteral("pipe"))));
        QVERIFY_THROWS_EXCEPTION(Failure, copy.copyFrom(env.tempFolder()));
    }

    void eachClaimHoldsANameOfItsOwnUntilItEnds()
    {
        TestEnvironment env;
        const QString preferred = env.path(QStringLiteral("temp/upload.txt"));
        auto first = std::make_unique<WorkingCopyClaim>(preferred);
        QVERIFY(first->held());
        QCOMPARE(first->path(), preferred);
        {
            const WorkingCopyClaim second(preferred);
            const WorkingCopyClaim third(preferred);
            QVERIFY(second.held() && third.held());
            QCOMPARE(second.path(), env.path(QStringLiteral("temp/upload-2.txt")));
            QCOMPARE(third.path(), env.path(QStringLiteral("temp/upload-3.txt")));
        }
        // A name comes free when its claim ends, also the preferred one.
        QCOMPARE(WorkingCopyClaim(preferred).path(), env.path(QStringLiteral("temp/upload-2.txt")));
        first.reset();
        QCOMPARE(WorkingCopyClaim(preferred).path(), preferred);
    }

    void candidateNames_data()
    {
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first") << "/t/upload.txt" << 1 << "/t/upload.txt";
        QTest::newRow("later") << "/t/upload.txt" << 12 << "/t/upload-12.txt";
        QTest::newRow("last suffix only") << "/t/a.b.txt" << 2 << "/t/a.b-2.txt";
        QTest::newRow("no suffix") << "/t/upload" << 2 << "/t/upload-2";
        QTest::newRow("dot file") << "/t/.upload" << 2 << "/t/.upload-2";
        QTest::newRow("dotted folder") << "/t.d/upload" << 3 << "/t.d/upload-3";
    }
    void candidateNames()
    {
        QFETCH(QString, preferred);
        QFETCH(int, n);
        QFETCH(QString, expected);
        QCOMPARE(WorkingCopyClaim::candidate(preferred, n), expected);
    }

    void namesThatCannotBeHeldArePassedOver()
    {
        TestEnvironment env;
        const QString preferred = env.path(QStringLiteral("temp/upload.txt"));
        // A link planted where the lock file goes is never followed.
        QVERIFY(QFile::link(env.path(QStringLiteral("elsewhere")), preferred + ".lock"));
        const WorkingCopyClaim claim(preferred);
        QVERIFY(claim.held());
        QCOMPARE(claim.path(), env.path(QStringLiteral("temp/upload-2.txt")));
        QVERIFY(!QFileInfo::exists(env.path(QStringLiteral("elsewhere"))));
        // Without a folder nothing is held and the preferred path is kept for the copy step,
        // which names the missing folder.
        const WorkingCopyClaim nowhere(env.path(QStringLiteral("missing/upload.txt")));
        QVERIFY(!nowhere.held());
        QCOMPARE(nowhere.path(), env.path(QStringLiteral("missing/upload.txt")));
    }

    // Two runners started together by one user, with the same TEMP, again and again: each
    // table holds exactly its own file's rows and both runs end as they would alone.
    void twoRunnersAtOnceEachKeepTheirOwnRows()
    {
        TestEnvironment env;
        const int lines = 2000;
        const QStringList names = {QStringLiteral("left"), QStringLiteral("right")};
        for (const QString& name : names) {
            QByteArray text = "who,n\n";
            for (int i = 1; i <= lines; ++i)
                text += name.toLatin1() + ',' + QByteArray::number(i) + '\n';
            env.writeFile(name + QStringLiteral(".csv"), text);
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TEMP"), env.tempFolder());
        environment.insert(QStringLiteral("HOME"), env.root());
        for (int round = 1; round <= 5; ++round) {
            std::vector<std::unique_ptr<QProcess>> runs;
            QStringList databases;
            for (const QString& name : names) {
                databases << env.path(QStringLiteral("%1-%2.db").arg(name).arg(round));
                auto run = std::make_unique<QProcess>();
                run->setProcessEnvironment(environment);
                run->start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                           {QStringLiteral("--server"), QStringLiteral("file:") + databases.last(),
                            QStringLiteral("--table"), QStringLiteral("T"),
                            env.path(name + QStringLiteral(".csv"))});
                runs.push_back(std::move(run));
            }
            for (size_t i = 0; i < runs.size(); ++i) {
                QProcess& run = *runs[i];
                QVERIFY(run.waitForFinished(120000));
                QCOMPARE(run.exitStatus(), QProcess::NormalExit);
                QCOMPARE(QString::fromUtf8(run.readAllStandardError()), QString());
                QCOMPARE(run.exitCode(), 0);
                const QString mine = names[qsizetype(i)];
                QCOMPARE(
                    SqliteRows(databases[qsizetype(i)],
                               QStringLiteral("SELECT who, count(*), sum(n) FROM T GROUP BY who")),
                    QStringList(
                        {mine + QStringLiteral("|%1|%2").arg(lines).arg(lines * (lines + 1) / 2)}));
            }
        }
    }

    void anEntryThatCannotBeRemovedIsTheReasonGiven()
    {
        TestEnvironment env;
        // What stands at the path cannot be removed (a folder here, as in a read-only temporary
        // folder): that is the reason, not the "File exists" of creating the copy after it.
        env.writeFile(QStringLiteral("temp/upload.txt/keep"), "x");
        WorkingCopy copy(env.path(QStringLiteral("temp/upload.txt")));
        try {
            copy.copyFrom(env.writeFile(QStringLiteral("a.txt"), "x\n"));
            QFAIL("copied over a folder");
        } catch (const Failure& f) {
            QVERIFY2(!f.description().contains(QStringLiteral("File exists")),
                     qPrintable(f.description()));
            QVERIFY(f.description().contains(copy.path()));
        }
    }

    void standardInputIsCopiedWhateverItIs()
    {
        TestEnvironment env;
        WorkingCopy copy(env.path(QStringLiteral("temp/upload.txt")));
        const QString source = env.writeFile(QStringLiteral("in.txt"), "from stdin\n");
        // Standard input is a file here; the point is that "-" names it.
        QVERIFY(std::freopen(QFile::encodeName(source).constData(), "r", stdin));
        copy.copyFrom(QStringLiteral("-"));
        QFile out(copy.path());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("from stdin\n"));
    }

    void aMissingTempFolderIsAClearFailure()
    {
        TestEnvironment env;
        WorkingCopy copy(env.path(QStringLiteral("nowhere/upload.txt")));
        try {
            copy.copyFrom(env.writeFile(QStringLiteral("a.txt"), "x\n"));
            QFAIL("copied into a missing folder");
        } catch (const Failure& f) {
            QVERIFY(f.description().contains(QStringLiteral("does not exist")));
        }
    }
};

QTEST_GUILESS_MAIN(WorkingCopyTest)
#include "WorkingCopyTest.moc"

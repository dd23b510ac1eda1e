#include "WorkingCopy.h"

#include "Failure.h"
#include "TestEnvironment.h"

#include <cstdio>
#include <QFile>
#include <QFileInfo>
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
    void livesInTempOrInAPrivateFolder()
    {
        TestEnvironment env;
        {
            EnvironmentOverride temp("TEMP", env.tempFolder().toLocal8Bit());
            QCOMPARE(WorkingCopy::defaultPath(), env.tempFolder() + QStringLiteral("/upload.txt"));
        }
        EnvironmentOverride temp("TEMP", QByteArray());
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

#include "FileOperations.h"

#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList namesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}
} // namespace

class FileOperationsTest : public QObject
{
    Q_OBJECT

private slots:
    void deletesMatches_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("left");
        // The folder holds a.txt, b.txt, ab.txt, a.csv, .h.txt and the folder sub.txt.
        QTest::newRow("plain name")
            << "a.txt" << QStringList({".h.txt", "a.csv", "ab.txt", "b.txt", "sub.txt"});
        QTest::newRow("star") << "*.txt" << QStringList({"a.csv", "sub.txt"});
        QTest::newRow("question mark")
            << "?.txt" << QStringList({".h.txt", "a.csv", "ab.txt", "sub.txt"});
        QTest::newRow("star in the middle") << "a*" << QStringList({".h.txt", "b.txt", "sub.txt"});
        QTest::newRow("everything") << "*" << QStringList({"sub.txt"});
        QTest::newRow("no match") << "*.doc"
                                  << QStringList({".h.txt", "a.csv", "a.txt", "ab.txt", "b.txt",
                                                  "sub.txt"});
        QTest::newRow("missing file")
            << "none.txt"
            << QStringList({".h.txt", "a.csv", "a.txt", "ab.txt", "b.txt", "sub.txt"});
        QTest::newRow("a folder") << "sub.txt"
                                  << QStringList({".h.txt", "a.csv", "a.txt", "ab.txt", "b.txt",
                                                  "sub.txt"});
        QTest::newRow("case matters")
            << "A.TXT" << QStringList({".h.txt", "a.csv", "a.txt", "ab.txt", "b.txt", "sub.txt"});
    }
    void deletesMatches()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, left);
        TestEnvironment env;
        for (const char* file :
             {"d/a.txt", "d/b.txt", "d/ab.txt", "d/a.csv", "d/.h.txt", "d/sub.txt/inner.txt"})
            env.writeFile(QString::fromLatin1(file), "x");
        ScriptedInteraction ui;
        DeleteFileQuietly(ui, env.path(QStringLiteral("d/")) + name);
        QCOMPARE(namesIn(env.path(QStringLiteral("d"))), left);
        QCOMPARE(contentsOf(env.path(QStringLiteral("d/sub.txt/inner.txt"))), QByteArray("x"));
        QCOMPARE(ui.yields(), 1);
    }

    void deletesReadOnlyFiles()
    {
        TestEnvironment env;
        const QString one = env.writeFile(QStringLiteral("ro.txt"), "x");
        const QString two = env.writeFile(QStringLiteral("ro2.txt"), "x");
        for (const QString& p : {one, two})
            QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner));
        ScriptedInteraction ui;
        DeleteFileQuietly(ui, one);
        QVERIFY(!QFile::exists(one));
        DeleteFileQuietly(ui, env.path(QStringLiteral("ro*.txt")));
        QVERIFY(!QFile::exists(two));
    }

    void yieldsBeforeDeleting()
    {
        TestEnvironment env;
        const QString path = env.writeFile(QStringLiteral("w.txt"), "x");
        ScriptedInteraction ui;
        bool existedDuringYield = false;
        ui.onYield([&](int) { existedDuringYield = QFile::exists(path); });
        DeleteFileQuietly(ui, path);
        QVERIFY(existedDuringYield);
        QVERIFY(!QFile::exists(path));
        // Nothing to delete still yields, and reports nothing.
        DeleteFileQuietly(ui, QString());
        QCOMPARE(ui.yields(), 2);
        QVERIFY(ui.messages().isEmpty());
    }

    void copyIfPossible_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QByteArray>("expected"); // of out/copy.txt afterwards
        // src/in.txt holds "new"; out/copy.txt holds "old".
        QTest::newRow("overwrites") << "src/in.txt"
                                    << "out/copy.txt" << QByteArray("new");
        QTest::newRow("doubled separators") << "src//in.txt"
                                            << "out//copy.txt" << QByteArray("new");
        QTest::newRow("missing source") << "src/none.txt"
                                        << "out/copy.txt" << QByteArray("old");
        QTest::newRow("folder as source") << "src"
                                          << "out/copy.txt" << QByteArray("old");
        QTest::newRow("wildcard source") << "src/*.txt"
                                         << "out/copy.txt" << QByteArray("old");
        QTest::newRow("blank source") << "  "
                                      << "out/copy.txt" << QByteArray("old");
        QTest::newRow("missing folder") << "src/in.txt"
                                        << "nowhere/copy.txt" << QByteArray("old");
    }
    void copyIfPossible()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QByteArray, expected);
        TestEnvironment env;
        env.writeFile(QStringLiteral("src/in.txt"), "new");
        env.writeFile(QStringLiteral("out/copy.txt"), "old");
        const auto full = [&env](const QString& p) {
            return p.trimmed().isEmpty() ? p : env.root() + QLatin1Char('/') + p;
        };
        CopyFileIfPossible(full(source), full(destination));
        QCOMPARE(contentsOf(env.path(QStringLiteral("out/copy.txt"))), expected);
        QVERIFY(!QFile::exists(env.path(QStringLiteral("nowhere"))));
        QCOMPARE(namesIn(env.path(QStringLiteral("out"))), QStringList({"copy.txt"}));
    }

    void copyWithoutFolderInDestinationCopiesNothing()
    {
        TestEnvironment env;
        const QString source = env.writeFile(QStringLiteral("in.txt"), "x");
        const QString before = QDir::currentPath();
        QDir::setCurrent(env.root());
        CopyFileIfPossible(source, QStringLiteral("bare.txt"));
        QDir::setCurrent(before);
        QVERIFY(!QFile::exists(env.path(QStringLiteral("bare.txt"))));
    }

    void copyQuietly()
    {
        TestEnvironment env;
        const QString source = env.writeFile(QStringLiteral("in.txt"), "payload");
        QDir(env.root()).mkdir(QStringLiteral("into"));

        // Into a folder named with a trailing separator.
        CopyFileQuietly(source, env.path(QStringLiteral("into")) + QLatin1Char('/'));
        QCOMPARE(contentsOf(env.path(QStringLiteral("into/in.txt"))), QByteArray("payload"));

        // A folder in the destination's place is left alone.
        CopyFileQuietly(source, env.path(QStringLiteral("into")));
        QVERIFY(QFileInfo(env.path(QStringLiteral("into"))).isDir());

        // A destination its owner may not write is not replaced.
        const QString locked = env.writeFile(QStringLiteral("locked.txt"), "keep");
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
        CopyFileQuietly(source, locked);
        QCOMPARE(contentsOf(locked), QByteArray("keep"));

        // Copying a file onto itself keeps its contents.
        CopyFileQuietly(source, source);
        QCOMPARE(contentsOf(source), QByteArray("payload"));

        // The copy carries the source's permissions.
        const QString readOnlySource = env.writeFile(QStringLiteral("ro-src.txt"), "ro");
        QVERIFY(QFile::setPermissions(readOnlySource, QFileDevice::ReadOwner |
                                                          QFileDevice::WriteOwner |
                                                          QFileDevice::ReadGroup));
        CopyFileQuietly(readOnlySource, env.path(QStringLiteral("perm.txt")));
        QCOMPARE(QFile::permissions(env.path(QStringLiteral("perm.txt"))) & 0x0FFF,
                 QFile::permissions(readOnlySource) & 0x0FFF);
        QCOMPARE(namesIn(env.root()).filter(QStringLiteral("perm")), QStringList({"perm.txt"}));
    }
};

QTEST_GUILESS_MAIN(FileOperationsTest)
#include "FileOperationsTest.moc"

#include "FileAttributes.h"
#include "PathTests.h"
#include "PathText.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class PathHelpersTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        const QChar bs = u'\\';
        const QChar sl = u'/';

        QTest::newRow("\\ empty") << "" << bs << "";
        QTest::newRow("\\ inner pair") << R"(C:\data\\in.txt)" << bs << R"(C:\data\in.txt)";
        QTest::newRow("\\ share keeps two")
            << R"(\\server\share\\x.txt)" << bs << R"(\\server\share\x.txt)";
        QTest::newRow("\\ four leading") << R"(\\\\server\x)" << bs << R"(\\server\x)";
        QTest::newRow("\\ single leading") << R"(\x\y)" << bs << R"(\\x\y)";
        QTest::newRow("\\ only separators") << R"(\\\\\)" << bs << R"(\\)";
        QTest::newRow("\\ three inner") << R"(a\\\b)" << bs << R"(a\\b)";
        QTest::newRow("\\ four inner") << R"(a\\\\b)" << bs << R"(a\\b)";
        QTest::newRow("\\ trailing pair") << R"(C:\d\\)" << bs << R"(C:\d\)";
        QTest::newRow("\\ slash untouched") << "C:\\a//b" << bs << "C:\\a//b";

        QTest::newRow("/ empty") << "" << sl << "";
        QTest::newRow("/ root joined") << "//notes.txt" << sl << "/notes.txt";
        QTest::newRow("/ single leading") << "/home/a.txt" << sl << "/home/a.txt";
        QTest::newRow("/ long leading run") << "////home//a.txt" << sl << "/home/a.txt";
        QTest::newRow("/ only separators") << "///" << sl << "/";
        QTest::newRow("/ three inner") << "/a///b" << sl << "/a//b";
        QTest::newRow("/ relative pair") << "a//b" << sl << "a/b";
        QTest::newRow("/ backslash untouched") << "/a\\\\b" << sl << "/a\\\\b";
    }
    void cleanPath()
    {
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(CleanPath(path, separator), expected);
    }

    void parentFolderOf_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file in folder") << R"(C:\a\b.txt)" << QChar(u'\\') << R"(C:\a\)";
        QTest::newRow("bare name") << "b.txt" << QChar(u'\\') << "";
        QTest::newRow("empty") << "" << QChar(u'/') << "";
        QTest::newRow("posix") << "/tmp/x/y.txt" << QChar(u'/') << "/tmp/x/";
        QTest::newRow("posix root") << "/y.txt" << QChar(u'/') << "/";
        QTest::newRow("folder with separator") << "/tmp/x/" << QChar(u'/') << "/tmp/x/";
    }
    void parentFolderOf()
    {
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(ParentFolderOf(path, separator), expected);
    }

    void existenceTriple_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("pathExists");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("folder") << "dir" << true << false << true;
        QTest::newRow("folder with separator") << "dir/" << true << false << true;
        QTest::newRow("file") << "dir/a.txt" << true << true << false;
        QTest::newRow("hidden file") << "dir/.hidden" << true << true << false;
        QTest::newRow("missing") << "dir/none.txt" << false << false << false;
        QTest::newRow("missing folder") << "nowhere/x" << false << false << false;
        QTest::newRow("file named with star") << "dir/st*r.txt" << true << false << false;
        QTest::newRow("wildcard matching a file") << "dir/?.txt" << false << false << false;
        QTest::newRow("link to file") << "link-file" << true << true << false;
        QTest::newRow("link to folder") << "link-dir" << true << false << true;
        QTest::newRow("dangling link") << "link-none" << false << false << false;
    }
    void existenceTriple()
    {
        QFETCH(QString, relative);
        QFETCH(bool, pathExists);
        QFETCH(bool, fileExists);
        QFETCH(bool, isFolder);
        TestEnvironment env;
        env.writeFile(QStringLiteral("dir/a.txt"), "a");
        env.writeFile(QStringLiteral("dir/b.txt"), "b");
        env.writeFile(QStringLiteral("dir/.hidden"), "h");
        env.writeFile(QStringLiteral("dir/st*r.txt"), "s");
        QVERIFY(QFile::link(env.path(QStringLiteral("dir/a.txt")),
                            env.path(QStringLiteral("link-file"))));
        QVERIFY(QFile::link(env.path(QStringLiteral("dir")), env.path(QStringLiteral("link-dir"))));
        QVERIFY(
            QFile::link(env.path(QStringLiteral("gone")), env.path(QStringLiteral("link-none"))));

        const QString path = env.root() + QLatin1Char('/') + relative;
        QCOMPARE(PathExists(path), pathExists);
        QCOMPARE(FileExists(path), fileExists);
        QCOMPARE(IsFolder(path), isFolder);
    }

    void emptyPathIsNothing()
    {
        QVERIFY(!PathExists(QString()));
        QVERIFY(!FileExists(QString()));
        QVERIFY(!IsFolder(QString()));
        QVERIFY(!FileAttributesOf(QString()));
    }

    void attributes()
    {
        TestEnvironment env;
        using namespace FileAttribute;
        const QString file = env.writeFile(QStringLiteral("f.txt"), "x");
        const QString hidden = env.writeFile(QStringLiteral(".conf"), "x");
        const QString locked = env.writeFile(QStringLiteral("locked.txt"), "x");
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QDir(env.root()).mkdir(QStringLiteral("sub"));
        const QString folder = env.path(QStringLiteral("sub"));
        const QString link = env.path(QStringLiteral("to-file"));
        QVERIFY(QFile::link(file, link));
        const QString dangling = env.path(QStringLiteral(".gone"));
        QVERIFY(QFile::link(env.path(QStringLiteral("none")), dangling));

        QCOMPARE(FileAttributesOf(file), std::optional<int>(Archive));
        QCOMPARE(FileAttributesOf(hidden), std::optional<int>(Archive | Hidden));
        QCOMPARE(FileAttributesOf(locked), std::optional<int>(Archive | ReadOnly));
        QCOMPARE(FileAttributesOf(folder), std::optional<int>(Directory));
        QCOMPARE(FileAttributesOf(link), std::optional<int>(Archive | ReparsePoint));
        QCOMPARE(FileAttributesOf(dangling), std::optional<int>(ReparsePoint | Hidden));
        QVERIFY(!FileAttributesOf(env.path(QStringLiteral("missing"))));
    }
};

QTEST_GUILESS_MAIN(PathHelpersTest)
#include "PathHelpersTest.moc"

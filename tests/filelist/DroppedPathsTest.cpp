#include "DroppedPaths.h"

#include "FileDrop.h"
#include "ScanTestSupport.h"
#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QMimeData>
#include <QtTest>
#include <QUrl>
#include <sys/stat.h>

namespace {

struct Drop
{
    TestEnvironment env;
    QString tree = env.path("t");
    ScriptedInteraction interaction;
    ScriptedFolderAccess access;
    QStringList added;

    QStringList run(const QStringList& relative)
    {
        QStringList paths;
        for (const QString& path : relative)
            paths.append(path.startsWith(u'/') ? path : tree + u'/' + path);
        AddDroppedPaths(
            paths,
            [this](const QString& path) {
                if (path.endsWith("fails.txt"))
                    throw std::runtime_error("append failed");
                added.append(path);
            },
            interaction, access, 0);
        return relativeTo(tree, added);
    }
};

QMimeData* withUrls(const QList<QUrl>& urls)
{
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

} // namespace

class DroppedPathsTest : public QObject
{
    Q_OBJECT

private slots:
    void filesAreAddedAsGivenInOrder()
    {
        Drop drop;
        makeTree(drop.tree, {"c.txt", "a.csv", "noext"});
        QCOMPARE(drop.run({"c.txt", "a.csv", "c.txt", "noext", "gone.txt", "./a.csv"}),
                 QStringList({"c.txt", "a.csv", "c.txt", "noext", "./a.csv"}));
    }

    void foldersAreExpandedWithEveryFile()
    {
        Drop drop;
        makeTree(drop.tree, {"f/a.txt", "f/~tmp.txt", "f/sub/b.csv", "f/.hidden", "f/.kept",
                             "f/sub/deeper/noext", "empty/", "one.txt"});
        QFile::setPermissions(drop.tree + "/f/.kept", QFileDevice::ReadOwner);
        // Hidden but not archived (2): anything that is not a regular file.
        QCOMPARE(::mkfifo(QFile::encodeName(drop.tree + "/f/.pipe").constData(), 0600), 0);
        QCOMPARE(drop.run({"one.txt", "f", "empty", "one.txt"}),
                 QStringList({"one.txt", "f/.kept", "f/.pipe", "f/a.txt", "f/sub/b.csv",
                              "f/sub/deeper/noext", "one.txt"}));
        QVERIFY(drop.interaction.messages().isEmpty());
    }

    void eachFolderIsScannedOnce()
    {
        Drop drop;
        makeTree(drop.tree, {"a/1.txt", "b/2.txt"});
        QCOMPARE(drop.run({"a", "b/", "a"}), QStringList({"a/1.txt", "b/2.txt", "a/1.txt"}));
    }

    void failuresDoNotStopTheDrop()
    {
        Drop drop;
        makeTree(drop.tree,
                 {"bad/x.txt", "bad/ok/y.txt", "denied/in/z.txt", "good/fails.txt", "good/w.txt"});
        drop.access.fileFailures.insert(drop.tree + "/bad/", Failure("cannot list", 57));
        drop.access.subFolderFailures.insert(drop.tree + "/denied/", Failure("denied", 70));
        QCOMPARE(drop.run({"bad", "denied", "good"}), QStringList({"bad/ok/y.txt", "good/w.txt"}));
        QVERIFY(drop.interaction.messages().isEmpty());
    }

    void onlyFileUrlsAreAccepted()
    {
        QMimeData text;
        text.setText("/etc/passwd");
        QVERIFY(!AcceptsFileDrop(text));
        QVERIFY(DroppedLocalPaths(text).isEmpty());

        std::unique_ptr<QMimeData> web(withUrls({QUrl("https://example.org/a.txt")}));
        QVERIFY(!AcceptsFileDrop(*web));
        std::unique_ptr<QMimeData> mixed(
            withUrls({QUrl::fromLocalFile("/d/a.txt"), QUrl("https://example.org/b.txt")}));
        QVERIFY(!AcceptsFileDrop(*mixed));
        std::unique_ptr<QMimeData> none(withUrls({}));
        QVERIFY(!AcceptsFileDrop(*none));

        std::unique_ptr<QMimeData> files(
            withUrls({QUrl::fromLocalFile("/d/b.txt"), QUrl::fromLocalFile("/d/a b#1.txt"),
                      QUrl::fromLocalFile("/d/folder")}));
        QVERIFY(AcceptsFileDrop(*files));
        QCOMPARE(DroppedLocalPaths(*files), QStringList({"/d/b.txt", "/d/a b#1.txt", "/d/folder"}));
    }
};

QTEST_MAIN(DroppedPathsTest)
#include "DroppedPathsTest.moc"

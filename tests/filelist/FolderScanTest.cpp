#include "FileAttributes.h"
#include "FolderFiles.h"
#include "Guard.h"
#include "NamePattern.h"
#include "PathTests.h"
#include "ScanTestSupport.h"
#include "ScriptedInteraction.h"
#include "SubDirectories.h"
#include "TestEnvironment.h"
#include "UnsafeNames.h"

#include <cstdio>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace AddFolder;

namespace {

struct Scan
{
    ScriptedInteraction interaction;
    ScriptedFolderAccess access;
    PacedYield pace{interaction, 0};
    ScanContext context{interaction, access, pace};

    QStringList run(const QString& root, bool recurse = true)
    {
        FolderCollection folders(root + u'/');
        GetSubDirectories2016(folders, recurse, context);
        return relativeTo(root, folders.entries());
    }
};

} // namespace

class FolderScanTest : public QObject
{
    Q_OBJECT

private slots:
    void namePatterns()
    {
        const auto matches = [](const char* pattern, const char* name) {
            return NamePattern(QString::fromUtf8(pattern)).matches(QString::fromUtf8(name));
        };
        QVERIFY(matches("*.txt", "a.txt") && matches("*.txt", "B.TXT") && matches("*.txt", ".txt"));
        QVERIFY(!matches("*.txt", "a.txt.bak") && !matches("*.txt", "atxt"));
        QVERIFY(matches("*.*", "noext") && matches("*.*", ".hidden") && matches("*", "x"));
        QVERIFY(matches("*.t?t", "a.TAT") && !matches("*.t?t", "a.tt"));
        QVERIFY(matches("*.Ä*", "x.äb") && !matches("*.t*", "noext"));
        QVERIFY(matches("a*.*", "abc") && !matches("a*.*", "b"));
        QVERIFY(matches("*a*b*c", "xaxbxbxc") && !matches("*a*b*c", "xaxbxbx"));
    }

    // Telling a match from the bytes must agree with matching the decoded name whenever it
    // answers (folding case can bring a non-ASCII letter to an ASCII one), and must answer for
    // ASCII names and the common patterns it is there for.
    void byteMatchingAgreesWithDecodedMatching()
    {
        const struct
        {
            const char* text;
            bool answersAscii;
        } patterns[] = {{"*.txt", true},  {"*.TxT", true},       {"*.k", true},  {"*", true},
                        {"*.t?t", false}, {"*.\xc5\xbf", false}, {"a*.*", false}};
        const char* names[] = {
            "a.txt",          "A.TXT", "atxt",        ".txt", "txt", "a.txt.bak", "x.t\xc5\xbft",
            "x.\xe2\x84\xaa", "x.K",   "bad\xff.txt", "x.s",  "x.S", "abc",       ""};
        for (const auto& [text, answersAscii] : patterns) {
            const NamePattern pattern(QString::fromUtf8(text));
            for (const char* name : names) {
                const std::optional<bool> byBytes = pattern.matchesBytes(name);
                const QByteArray what = QByteArray(text) + " / " + name;
                if (byBytes)
                    QVERIFY2(*byBytes == pattern.matches(QString::fromUtf8(name)),
                             what.constData());
                else
                    QVERIFY2(!answersAscii || QString::fromUtf8(name) != QString::fromLatin1(name),
                             what.constData());
            }
        }
    }

    // Names are read and matched as the listing gives them, whichever way they are spelt.
    void listingMatchesNamesInAnyCase()
    {
        TestEnvironment env;
        const QString folder = env.path("n") + u'/';
        QVERIFY(QDir().mkpath(folder + QStringLiteral("sub.TXT")));
        for (const QString& name :
             {QStringLiteral("a.TXT"), QStringLiteral("b.t\u017Ft"), QStringLiteral("c.txt.bak"),
              QStringLiteral("d.\u00e4.Txt"), QStringLiteral("e.csv")}) {
            QFile file(folder + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const auto sorted = [](QStringList names) {
            names.sort();
            return names;
        };
        FolderAccess& access = FolderAccess::system();
        QCOMPARE(sorted(access.fileNames(folder, NamePattern(QStringLiteral("*.txt")))),
                 QStringList({"a.TXT", "d.\u00e4.Txt"}));
        QCOMPARE(sorted(access.fileNames(folder, NamePattern(QStringLiteral("*.tst")))),
                 QStringList({"b.t\u017Ft"}));
        const NamePattern pattern(QStringLiteral("*.txt"));
        const FolderAccess::Listing listing = access.list(folder, &pattern);
        QCOMPARE(sorted(listing.fileNames), QStringList({"a.TXT", "d.\u00e4.Txt"}));
        QCOMPARE(listing.subFolders.size(), 1);
        QCOMPARE(listing.subFolders.front().name, QStringLiteral("sub.TXT"));
    }

    // A folder whose entries take many reads is listed whole.
    void largeFolderIsListedWhole()
    {
        TestEnvironment env;
        const QString folder = env.path("many") + u'/';
        QVERIFY(QDir().mkpath(folder + QStringLiteral("sub")));
        QStringList expected;
        for (int i = 0; i < 3000; ++i) {
            const QString name = QStringLiteral("a-rather-long-file-name-%1.txt").arg(i);
            QFile file(folder + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            expected.append(name);
        }
        expected.sort();
        const NamePattern pattern(QStringLiteral("*.TXT"));
        FolderAccess::Listing listing = FolderAccess::system().list(folder, &pattern);
        listing.fileNames.sort();
        QCOMPARE(listing.fileNames, expected);
        QCOMPARE(listing.subFolders.size(), 1);
        QStringList names = FolderAccess::system().fileNames(folder, pattern);
        names.sort();
        QCOMPARE(names, expected);
    }

    void unsafeNames()
    {
        for (const QString& safe :
             {QString(), QStringLiteral("plain name"), QStringLiteral("ümlaut"),
              QStringLiteral("\u00a0nbsp"), QStringLiteral("smile \U0001F600")})
            QVERIFY2(!HasUnsafeCharacters(safe), qPrintable(safe));
        for (const QString& unsafe :
             {QStringLiteral("a\x01"), QStringLiteral("\x1f"), QStringLiteral("del\x7f"),
              QStringLiteral("c1\u0085"), QStringLiteral("\u009f"), QStringLiteral("what?"),
              QString(QChar(0xD800)) + u'x'})
            QVERIFY2(HasUnsafeCharacters(unsafe), qPrintable(unsafe));
    }

    void levelByLevelGroupedByParent()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"b/b1/", "a/a2/deep/", "a/a1/", "a/file.txt"});
        Scan scan;
        QCOMPARE(scan.run(tree),
                 QStringList({"", "a/", "b/", "a/a1/", "a/a2/", "b/b1/", "a/a2/deep/"}));
        QCOMPARE(Scan().run(tree, false), QStringList({"", "a/", "b/"}));
        QVERIFY(scan.interaction.yields() > 0);
        QVERIFY(scan.interaction.messages().isEmpty());
    }

    void unsafeAndLongNamesAreNotEntered()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"ok/", "ctl\x01/below/", "del\x7f/", "what?/", "c1\u0085/"});
        const QByteArray undecodable = QFile::encodeName(tree) + "/bad\xff";
        QCOMPARE(::mkdir(undecodable.constData(), 0700), 0);
        QCOMPARE(Scan().run(tree), QStringList({"", "ok/"}));
        ::rmdir(undecodable.constData()); // Qt cannot name it to remove it

        // The entry's text with its separator: 259 characters are entered, 260 are not, but
        // stay in the collection.
        for (const qsizetype length : {259, 260}) {
            TestEnvironment env;
            const QString deep = env.path("t");
            const QString name(length - deep.size() - 2, u'n');
            makeTree(deep, {name + "/sub/"});
            QCOMPARE(Scan().run(deep).size(), length == 259 ? 3 : 2);
        }
    }

    void hiddenSystemFoldersAreNotEnteredExceptRoots()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"sys/inner/", "link/inner/", "plain/", ".dot/inner/"});
        Scan scan;
        scan.access.attributes[env.path("t/sys/")] = HiddenSystemFolder;
        scan.access.attributes[env.path("t/link/")] = HiddenSystemLink;
        QCOMPARE(scan.run(tree), QStringList({"", ".dot/", "plain/", ".dot/inner/"}));

        // The chosen folder itself stays, but is not entered.
        Scan chosen;
        chosen.access.attributes[tree + u'/'] = HiddenSystemFolder;
        QCOMPARE(chosen.run(tree), QStringList({""}));

        Scan root;
        root.access.attributes[QStringLiteral("/")] = HiddenSystemFolder;
        FolderCollection top(QStringLiteral("/"));
        GetSubDirectories2016(top, false, root.context);
        QVERIFY(top.entries().contains(QStringLiteral("/tmp/")));
        // The chosen root's entry has a second separator.
        QVERIFY(FolderAccess::system().isRoot("//") && !FolderAccess::system().isRoot("/tmp/"));
    }

    void listingFailures_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QStringList>("expected");
        // Denied and gone take the folder out; anything else leaves it, unentered.
        QTest::newRow("permission denied") << 70 << QStringList({"", "b/", "b/b1/"});
        QTest::newRow("path not found") << 76 << QStringList({"", "b/", "b/b1/"});
        QTest::newRow("other") << 75 << QStringList({"", "a/", "b/", "b/b1/"});
    }

    void listingFailures()
    {
        QFETCH(int, number);
        QFETCH(QStringList, expected);
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"a/a1/", "b/b1/"});
        Scan scan;
        scan.access.subFolderFailures.insert(env.path("t/a/"), Failure("listing failed", number));
        QCOMPARE(scan.run(tree), expected);
        QVERIFY(scan.interaction.messages().isEmpty());
    }

    void chosenFolderDeniedLeavesNothing()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"a/"});
        Scan scan;
        scan.access.subFolderFailures.insert(tree + u'/', Failure("denied", 70));
        QCOMPARE(scan.run(tree), QStringList());
    }

    void unreadableFolderOnDisk()
    {
        if (::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"locked/inner/", "open/inner/"});
        QFile::setPermissions(env.path("t/locked"), QFileDevice::Permissions());
        const QStringList found = Scan().run(tree);
        QFile::setPermissions(env.path("t/locked"), QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
        QCOMPARE(found, QStringList({"", "open/", "open/inner/"}));
    }

    void otherFailuresAreReportedAndTheScanGoesOn()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"a/a1/", "b/b1/"});
        Scan scan;
        scan.access.attributes[env.path("t/a/")] = HiddenSystemFolder;
        scan.access.rootFailures.insert(env.path("t/a/"), Failure("cannot look it up", 5));
        QCOMPARE(scan.run(tree), QStringList({"", "b/", "b/b1/"}));
        // Once while its level is listed, once when it would join the collection.
        QCOMPARE(
            scan.interaction.messageTexts(),
            QStringList({Guard::composeReport("cannot look it up", Locations::FolderScan, 108),
                         Guard::composeReport("cannot look it up", Locations::FolderScan, 118)}));
    }

    void symbolicLinkFolders()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"real/inner/", "other/"});
        QVERIFY(QFile::link(env.path("t/real"), env.path("t/other/to-real")));
        QVERIFY(QFile::link(tree, env.path("t/real/inner/up")));
        QVERIFY(QFile::link(env.path("t/real/inner"), env.path("t/real/inner/self")));
        QVERIFY(QFile::link(env.path("t/missing"), env.path("t/other/dangling")));
        QCOMPARE(Scan().run(tree), QStringList({"", "other/", "real/", "other/to-real/",
                                                "real/inner/", "other/to-real/inner/"}));
    }

    void listFolderFiles()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"a.txt", "B.TXT", "c.csv", "noext", ".hidden.txt", "sub.txt/"});
        QVERIFY(QFile(env.path("t/a.txt")).link(env.path("t/link.txt")));
        QVERIFY(QFile::link(env.path("t/missing"), env.path("t/dangling.txt")));
        const QByteArray odd = QFile::encodeName(tree) + "/x\xfe.txt";
        std::fclose(std::fopen(odd.constData(), "w"));
        ScriptedFolderAccess access;
        QCOMPARE(ListFolderFiles(tree, "*.txt", access),
                 QStringList({".hidden.txt", "B.TXT", "a.txt", "link.txt"}));
        QCOMPARE(ListFolderFiles(tree + u'/', "*.*", access).size(), 6);
        access.fileFailures.insert(tree + u'/', Failure("gone", 76));
        QVERIFY_THROWS_EXCEPTION(Failure, ListFolderFiles(tree, "*.*", access));
        std::remove(odd.constData());
    }

    // One read gives what the two listings give, in the same order, for every kind of entry.
    void oneReadAgreesWithBothListings()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree,
                 {"a.txt", "B.TXT", "c.csv", ".h.txt", "sub/", "dir.txt/", "what?.txt", ".ro/"});
        QFile::setPermissions(env.path("t/.ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY(QFile::link(env.path("t/sub"), env.path("t/to-sub.txt")));
        QVERIFY(QFile::link(env.path("t/a.txt"), env.path("t/to-file.txt")));
        QVERIFY(QFile::link(env.path("t/missing"), env.path("t/dangling.txt")));
        QVERIFY(QFile::link(env.path("t/a.txt"), env.path("t/.hidden-link.txt")));
        QCOMPARE(::mkfifo(QFile::encodeName(env.path("t/pipe.txt")).constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(env.path("t/.pipe.txt")).constData(), 0600), 0);
        const QByteArray odd = QFile::encodeName(tree) + "/x\xfe.txt";
        std::fclose(std::fopen(odd.constData(), "w"));
        FolderAccess& real = FolderAccess::system();
        for (const char* text : {"*.txt", "*.*", "*.csv"}) {
            const NamePattern pattern{QString::fromLatin1(text)};
            const FolderAccess::Listing listing = real.list(tree + u'/', &pattern);
            QVERIFY(listing.filesListed);
            QCOMPARE(listing.fileNames, real.fileNames(tree + u'/', pattern));
            for (const QString& name : listing.fileAttributes.keys())
                QCOMPARE(listing.fileAttributes.value(name), real.attributesOf(tree + u'/' + name));
            QCOMPARE(listing.fileAttributes.contains(".h.txt"), pattern.matches(u".h.txt"));
            const QList<FolderAccess::SubFolder> expected = real.subFolders(tree + u'/');
            QCOMPARE(listing.subFolders.size(), expected.size());
            for (qsizetype i = 0; i < expected.size(); ++i) {
                const FolderAccess::SubFolder& sub = listing.subFolders[i];
                QVERIFY(sub.name == expected[i].name && sub.link == expected[i].link);
                // What it learned of each sub-folder is what a look-up of its entry gives.
                QCOMPARE(sub.attributes, real.attributesOf(tree + u'/' + sub.name + u'/'));
            }
        }
        QCOMPARE(real.list(tree + u'/', nullptr).fileNames, QStringList());
        std::remove(odd.constData());
        QVERIFY_THROWS_EXCEPTION(Failure, real.list(env.path("gone/"), nullptr));
        QFile::setPermissions(env.path("t/.ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
    }

    // The scan's own existence test answers as the shared helper does.
    void fileExistsAgreesWithTheSharedHelper()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"f.txt", "d/", "what?.txt"});
        QVERIFY(QFile::link(env.path("t/f.txt"), env.path("t/link")));
        QVERIFY(QFile::link(env.path("t/gone"), env.path("t/dangling")));
        QCOMPARE(::mkfifo(QFile::encodeName(env.path("t/pipe")).constData(), 0600), 0);
        const QStringList paths{
            "t/f.txt",    "t/d",    "t/d/",        "t/missing", "t/link",
            "t/dangling", "t/pipe", "t/what?.txt", "t/*.txt",   "t/f.txt" + QString(QChar(0xDC00))};
        for (const QString& path : paths)
            QVERIFY2(FolderAccess::system().fileExists(env.path(path)) ==
                         FileExists(env.path(path)),
                     qPrintable(path));
        QVERIFY(!FolderAccess::system().fileExists(QString()));
    }

    // The scan's own attribute look-up answers as the shared helper does.
    void attributesAgreeWithTheSharedHelper()
    {
        TestEnvironment env;
        const QString tree = env.path("t");
        makeTree(tree, {"f.txt", ".hidden.txt", "d/", ".dotdir/", "ro.txt", "rod/"});
        QFile::setPermissions(env.path("t/ro.txt"), QFileDevice::ReadOwner);
        QFile::setPermissions(env.path("t/rod"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY(QFile::link(env.path("t/f.txt"), env.path("t/link")));
        QVERIFY(QFile::link(env.path("t/d"), env.path("t/.dirlink")));
        QVERIFY(QFile::link(env.path("t/gone"), env.path("t/.dangling")));
        QCOMPARE(::mkfifo(QFile::encodeName(env.path("t/pipe")).constData(), 0600), 0);
        const QStringList paths{"t/f.txt",     "t/.hidden.txt", "t/d",    "t/d/",      "t/.dotdir",
                                "t/.dotdir/",  "t/ro.txt",      "t/rod/", "t/link",    "t/.dirlink",
                                "t/.dirlink/", "t/.dangling",   "t/pipe", "t/missing", "t/f.txt/"};
        for (const QString& path : paths)
            QVERIFY2(FolderAccess::system().attributesOf(env.path(path)) ==
                         FileAttributesOf(env.path(path)),
                     qPrintable(path));
        QVERIFY(!FolderAccess::system().attributesOf(QString()));
        QFile::setPermissions(env.path("t/rod"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(FolderScanTest)
#include "FolderScanTest.moc"

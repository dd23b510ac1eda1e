#include "AddAllFilesInFolder.h"

#include "ApplicationTitle.h"
#include "Guard.h"
#include "ScanTestSupport.h"
#include "ScriptedInteraction.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QtTest>

namespace {

// One press of the button on a tree below a private environment.
struct Press
{
    TestEnvironment env;
    QString tree = env.path("t");
    SettingsStore settings{env.settingsFile()};
    ScriptedInteraction interaction;
    ScriptedFolderAccess access;
    WindowPointer pointer;
    QList<Pointer> pointerValues;
    QStringList added;

    Press()
    {
        pointer.setChangeCallback([this](Pointer value) { pointerValues.append(value); });
    }

    QStringList run(const QString& answer, const QString& folder)
    {
        interaction.answerPrompt(answer);
        interaction.answerFolder(folder);
        return again();
    }

    QStringList again()
    {
        const qsizetype before = added.size();
        AddAllFilesInFolder(
            interaction, settings, pointer, [this](const QString& path) { added.append(path); },
            access, 0);
        return relativeTo(tree, added.mid(before));
    }
};

} // namespace

class AddAllFilesInFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void asksForTheExtensionThenTheFolder()
    {
        Press press;
        makeTree(press.tree, {"a.txt"});
        QCOMPARE(press.run("txt", press.tree), QStringList({"a.txt"}));
        QCOMPARE(press.interaction.prompts().size(), 1);
        const ScriptedInteraction::Prompt& prompt = press.interaction.prompts().front();
        QCOMPARE(prompt.prompt,
                 QStringLiteral("Enter file extension to load:\r\r(* for all files, "
                                "txt for all txt files, doc for all doc files, etc.)"));
        QCOMPARE(prompt.title, ApplicationTitle());
        QCOMPARE(prompt.defaultAnswer, QStringLiteral("txt"));
        QCOMPARE(press.interaction.dialogs().front().title,
                 QStringLiteral("Please select folder:"));
        QCOMPARE(press.interaction.dialogs().front().argument, QString());
        QCOMPARE(press.settings.GetSetting(SettingKeys::LastFolder), press.tree);

        // The next press offers what was stored.
        press.run("csv", QString());
        QCOMPARE(press.interaction.prompts().at(1).defaultAnswer, QStringLiteral("txt"));
        QCOMPARE(press.interaction.dialogs().at(1).argument, press.tree);
        QCOMPARE(press.settings.GetSetting(SettingKeys::Extension), QStringLiteral("csv"));
        QCOMPARE(press.interaction.messages().size(), 0);
    }

    void cancelEndsTheCommand()
    {
        Press press;
        press.settings.SaveSetting(SettingKeys::Extension, "doc");
        press.settings.SaveSetting(SettingKeys::LastFolder, "/old");
        press.run(QString(), QString()); // Cancel (or OK on an empty field) at the prompt
        QCOMPARE(press.interaction.dialogs().size(), 0);
        QCOMPARE(press.settings.GetSetting(SettingKeys::Extension), QStringLiteral("doc"));

        press.interaction.answerPrompt("csv");
        press.again(); // Cancel at the picker
        QCOMPARE(press.settings.GetSetting(SettingKeys::Extension), QStringLiteral("csv"));
        QCOMPARE(press.settings.GetSetting(SettingKeys::LastFolder), QStringLiteral("/old"));
        QVERIFY(press.added.isEmpty());
        QVERIFY(press.pointerValues.isEmpty());
        QVERIFY(press.interaction.messages().isEmpty());
    }

    void extensionAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("*") << "*"
                           << QStringList(
                                  {"B.TXT", "a.txt", "a.txt.bak", "c.Txt", "d.csv", "noext"});
        QTest::newRow("txt") << "txt" << QStringList({"B.TXT", "a.txt", "c.Txt"});
        QTest::newRow("TXT") << "TXT" << QStringList({"B.TXT", "a.txt", "c.Txt"});
        QTest::newRow("csv") << "csv" << QStringList({"d.csv"});
    }

    void extensionAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, expected);
        Press press;
        makeTree(press.tree, {"a.txt", "B.TXT", "c.Txt", "d.csv", "noext", "a.txt.bak"});
        QCOMPARE(press.run(answer, press.tree), expected);
    }

    void skippedFiles()
    {
        Press press;
        makeTree(press.tree, {"report.doc", "~$report.doc", ".hidden.doc", ".kept.doc",
                              "ctl\x02.doc", ".dir/in.doc"});
        QFile::setPermissions(press.tree + "/.kept.doc", QFileDevice::ReadOwner);
        // Hidden + archive (34) is left out; read-only as well (35) is not.
        QCOMPARE(press.run("doc", press.tree),
                 QStringList({".kept.doc", "ctl\x02.doc", "report.doc", ".dir/in.doc"}));
    }

    void folderByFolderLevelByLevelWithCleanPaths()
    {
        Press press;
        makeTree(press.tree, {"z.txt", "b/b.txt", "a/a.txt", "a/deep/d.txt", "b/c/c.txt"});
        const QStringList expected{"z.txt", "a/a.txt", "b/b.txt", "a/deep/d.txt", "b/c/c.txt"};
        QCOMPARE(press.run("txt", press.tree + "/"), expected);
        // Pressing again lists every file again.
        QCOMPARE(press.run("txt", press.tree), expected);
        QCOMPARE(press.added.size(), 10);
        QVERIFY(press.interaction.yields() > 0);
    }

    // Each folder is read once: the read that finds its sub-folders also finds its files.
    void everyFolderIsReadOnce()
    {
        Press press;
        makeTree(press.tree, {"z.txt", "b/b.txt", "a/x.csv", "a/deep/d.txt", "b/c/c.TXT", "e/"});
        QCOMPARE(press.run("txt", press.tree),
                 QStringList({"z.txt", "b/b.txt", "a/deep/d.txt", "b/c/c.TXT"}));
        QCOMPARE(press.access.reads.size(), 6); // the chosen folder and five below it
        for (auto it = press.access.reads.cbegin(); it != press.access.reads.cend(); ++it)
            QVERIFY2(it.value() == 1, qPrintable(it.key()));
        // Nor are a folder's attributes asked for again at every level above it: the read of
        // its parent tells them, and only the chosen folder's are looked up.
        for (const QString& folder : press.access.reads.keys())
            QCOMPARE(press.access.attributeReads.value(folder), folder == press.tree + u'/');
    }

    void busyWhileScanning()
    {
        Press press;
        makeTree(press.tree, {"a/a.txt"});
        QList<Pointer> duringYields;
        press.interaction.onYield([&](int) { duringYields.append(press.pointer.value()); });
        press.run("txt", press.tree);
        QCOMPARE(press.pointerValues, QList<Pointer>({Pointer::Busy, Pointer::Default}));
        QVERIFY(!duringYields.isEmpty());
        QVERIFY(!duringYields.contains(Pointer::Default));
    }

    void rootFolderGivesSingleSeparators()
    {
        Press press;
        // The collection holds "//", its files are listed in "/" and joined as "//notes.txt".
        press.access.inventedFiles.insert("//", {});
        press.access.inventedFiles.insert("/", {"notes.txt"});
        press.access.inventedExisting.unite({"/notes.txt", "//notes.txt"});
        press.access.attributes.insert("//notes.txt", 32);
        QCOMPARE(press.run("txt", "/"), QStringList({"/notes.txt"}));
    }

    void longPathsAndListingFailures()
    {
        Press press;
        // A folder whose entry reaches 260 characters keeps its files but is not entered.
        const QString name(260 - press.tree.size() - 2, u'n');
        makeTree(press.tree, {name + "/x.txt", name + "/below/y.txt", "denied/d.txt",
                              "unlisted/u.txt", "ok.txt"});
        press.access.subFolderFailures.insert(press.tree + "/denied/", Failure("denied", 70));
        press.access.fileFailures.insert(press.tree + "/unlisted/", Failure("I/O error", 57));
        QCOMPARE(press.run("txt", press.tree), QStringList({"ok.txt", name + "/x.txt"}));
        // Only the failure to list files reaches the button's report.
        QCOMPARE(
            press.interaction.messageTexts(),
            QStringList(Guard::composeReport("I/O error", Locations::AddAllFilesInFolder, 124)));
        QCOMPARE(press.pointer.value(), Pointer::Default);
    }
};

QTEST_GUILESS_MAIN(AddAllFilesInFolderTest)
#include "AddAllFilesInFolderTest.moc"

// The main window's work end to end: imports into both kinds of database, the ways of adding
// files, and what closing a window or clicking around does while a command runs.
#include "FileListView.h"
#include "SandboxServer.h"
#include "WindowsFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMimeData>
#include <QRadioButton>
#include <QtTest>

class MainWindowRunsTest : public QObject
{
    Q_OBJECT

private slots:
    void theWholeRoadThroughAnEmbeddedDatabase()
    {
        WindowsFixture f;
        ConnectionWindow& connectionWindow = f.start();
        f.connectionControl<QLineEdit>("Text1")->setText(QStringLiteral("file:") + f.database());
        f.clickOnConnectionWindow("PushButton3");
        MainWindow& mainWindow = f.mainWindow();
        const QString file =
            f.env.writeFile(QStringLiteral("exports/orders.csv"), "Id,Name\n1,O'Neil\n2,Zoë\n");
        mainWindow.fileList().AppendPath(file);
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.clickOnMainWindow("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT Name FROM NewTable1 ORDER BY rowid")),
                 QStringList({"O'Neil", "Zoë"}));
        QCOMPARE(f.existingTables(), QStringList({"NewTable1"}));
        QVERIFY(!connectionWindow.isVisible());
        QCOMPARE(mainWindow.pointer().value(), Pointer::Default);
    }

    void theWholeRoadThroughTheTdsSandbox()
    {
        SandboxServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        WindowsFixture f;
        f.start();
        const char* boxes[] = {"Text1", "Text2", "Text3", "Text4", "Text5"};
        const QString values[] = {QStringLiteral("127.0.0.1"), server.portText(),
                                  server.settings().user, server.settings().password,
                                  server.settings().databases.first()};
        for (int i = 0; i < 5; ++i)
            f.connectionControl<QLineEdit>(boxes[i])->setText(values[i]);
        f.clickOnConnectionWindow("PushButton7");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Connection successful."));
        f.clickOnConnectionWindow("PushButton3");
        MainWindow& mainWindow = f.mainWindow();
        QVERIFY(mainWindow.isVisible());
        mainWindow.fileList().AppendPath(
            f.env.writeFile(QStringLiteral("t.csv"), "City,Zip\nNashua,03060\n"));
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.clickOnMainWindow("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        // A second session sees the table the run created.
        f.clickOnConnectionWindow("PushButton3");
        QCOMPARE(f.existingTables(), QStringList({"NewTable1"}));
    }

    // The more-options choices: types from the data, a NULL text; both remembered, and the
    // closing message names the columns' types. In append mode the typing does not apply.
    void moreOptionsTypeTheTableAndAreRemembered()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        auto* typing = f.mainControl<QComboBox>("Combo1");
        auto* nullText = f.mainControl<QLineEdit>("Text4");
        QCOMPARE(typing->currentText(), QStringLiteral("All Text"));
        QCOMPARE(nullText->text(), QString());
        typing->setCurrentIndex(1);
        nullText->setText(QStringLiteral("NA"));
        QCOMPARE(f.store.GetSetting(SettingKeys::ColumnTypes), QStringLiteral("infer"));
        QCOMPARE(f.store.GetSetting(SettingKeys::NullText), QStringLiteral("NA"));
        f.mainWindow().fileList().AppendPath(
            f.env.writeFile(QStringLiteral("o.csv"), "Id,Name,Code\n1,NA,007\n22,Zo\xc3\xab,NA\n"));
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.clickOnMainWindow("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.ui.messageTexts().last(),
                 QStringLiteral("Done.\r\n\r\nColumn types chosen from the data:\r\n"
                                "NewTable1 (Id INTEGER, Name TEXT, Code TEXT)"));
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT quote(Id), quote(Name), quote(Code) "
                                                     "FROM NewTable1 ORDER BY rowid")),
                 QStringList({"1|NULL|'007'", "22|'Zoë'|NULL"}));

        // Bulk copy into an existing table is a choice of append mode only.
        auto* bulk = f.mainControl<QCheckBox>("Check4");
        QVERIFY(!bulk->isEnabled());
        f.mainControl<QRadioButton>("Option2")->click();
        QVERIFY(!typing->isEnabled());
        QVERIFY(bulk->isEnabled());
        f.mainControl<QRadioButton>("Option1")->click();
        QVERIFY(typing->isEnabled());
        QVERIFY(!bulk->isEnabled());

        // A second start of the program brings both back.
        WindowsFixture again;
        again.storeWorkingSettings(again.database());
        again.store.SaveSetting(SettingKeys::ColumnTypes, QStringLiteral("infer"));
        again.store.SaveSetting(SettingKeys::NullText, QStringLiteral("-"));
        again.start();
        QCOMPARE(again.mainControl<QComboBox>("Combo1")->currentText(),
                 QStringLiteral("From the Data"));
        QCOMPARE(again.mainControl<QLineEdit>("Text4")->text(), QStringLiteral("-"));
    }

    void theThreeWaysOfAddingFilesReachTheList()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        MainWindow& mainWindow = f.mainWindow();
        const QString a = f.env.writeFile(QStringLiteral("in/a.txt"), "x\n");
        const QString b = f.env.writeFile(QStringLiteral("in/sub/b.TXT"), "y\n");
        f.env.writeFile(QStringLiteral("in/sub/c.csv"), "z\n");

        f.ui.answerFileDialog(f.env.path(QStringLiteral("in")) + QChar(0) +
                              QStringLiteral("a.txt") + QChar(0) + QStringLiteral("sub/b.TXT"));
        f.clickOnMainWindow("PushButton3");
        QCOMPARE(mainWindow.fileList().count(), 2);
        QCOMPARE(mainWindow.fileList().path(1), b);

        f.ui.answerPrompt(QStringLiteral("txt"));
        f.ui.answerFolder(f.env.path(QStringLiteral("in")));
        f.clickOnMainWindow("PushButton4");
        QCOMPARE(mainWindow.fileList().count(), 4);
        QCOMPARE(mainWindow.fileList().path(2), a);
        QCOMPARE(f.store.GetSetting(SettingKeys::Extension), QStringLiteral("txt"));
        QCOMPARE(f.store.GetSetting(SettingKeys::LastFolder), f.env.path(QStringLiteral("in")));
        QCOMPARE(mainWindow.pointer().value(), Pointer::Default);

        // A drop from the file manager: a file and a folder.
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(a), QUrl::fromLocalFile(f.env.path(QStringLiteral("in/sub")))});
        QWidget* viewport = mainWindow.listView().viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        // Even a drop proposed as a move is taken as a copy: the originals must stay.
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::ShiftModifier);
        QApplication::sendEvent(viewport, &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(mainWindow.fileList().count(), 7);
        // A source that can only move is refused: taking its files would delete them.
        QDropEvent moveOnly(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &moveOnly);
        QVERIFY(!moveOnly.isAccepted());
        QCOMPARE(mainWindow.fileList().count(), 7);
        QCOMPARE(mainWindow.fileList().path(4), a);

        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(viewport, &refused);
        QVERIFY(!refused.isAccepted());
    }

    void closingAWindowDuringARunEndsIt()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& mainWindow = f.mainWindow();
        for (const char* name : {"a.csv", "b.csv", "c.csv"})
            mainWindow.fileList().AppendPath(f.env.writeFile(QString::fromLatin1(name), "n\n1\n"));
        f.ui.onYield([&](int) {
            if (mainWindow.isImporting() && f.quits == 0)
                f.connectionWindow
                    ->close(); // the hidden connection window, closed through the task bar
        });
        f.clickOnMainWindow("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.quits, 1);
        QVERIFY(!mainWindow.isImporting());
        QVERIFY(!f.ui.messageTexts().contains(QStringLiteral("Done.")));
        QVERIFY(f.rows(f.database(),
                       QStringLiteral("SELECT name FROM sqlite_master WHERE name = 'NewTable3'"))
                    .isEmpty());
    }

    void closingAWindowDuringAFolderScanEndsIt()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        for (int i = 0; i < 30; ++i)
            f.env.writeFile(QStringLiteral("tree/d%1/f.txt").arg(i), "x\n");
        f.start();
        MainWindow& mainWindow = f.mainWindow();
        f.ui.answerPrompt(QStringLiteral("txt"));
        f.ui.answerFolder(f.env.path(QStringLiteral("tree")));
        f.ui.onYield([&](int) {
            if (mainWindow.pointer().isBusy() && f.quits == 0)
                mainWindow.close();
        });
        f.clickOnMainWindow("PushButton4");
        QCOMPARE(f.quits, 1);
        QVERIFY(mainWindow.fileList().count() < 30);
        QCOMPARE(mainWindow.pointer().value(), Pointer::Default);
    }

    void nothingDoneDuringARunBreaksIt()
    {
        WindowsFixture f;
        f.execute(f.database(), QStringLiteral("CREATE TABLE Orders(a TEXT)"));
        f.storeWorkingSettings(f.database());
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& mainWindow = f.mainWindow();
        for (const char* name : {"a.csv", "b.csv"})
            mainWindow.fileList().AppendPath(
                f.env.writeFile(QString::fromLatin1(name), "n\n1\n2\n"));
        bool acted = false;
        f.ui.onYield([&](int) {
            if (acted || !mainWindow.isImporting())
                return;
            acted = true;
            mainWindow.fileList().select(0);
            mainWindow.listView().RemoveSelected();   // refused while busy
            f.clickOnMainWindow("PushButton1");       // a second run is refused
            f.clickOnMainWindow("PushButton5");       // Setup Connection
            f.clickOnConnectionWindow("PushButton3"); // Next >: the reload waits for the run
        });
        f.clickOnMainWindow("PushButton1");
        qunsetenv("TEMP");
        QVERIFY(acted);
        QCOMPARE(mainWindow.fileList().count(), 2);
        QCOMPARE(f.ui.messageTexts().filter(QStringLiteral("Done.")).size(), 1);
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT count(*) FROM NewTable2")),
                 QStringList({"2"}));
        // The deferred reload ran after the run: the new tables are listed from the database.
        QCOMPARE(f.existingTables(), QStringList({"Orders", "NewTable1", "NewTable2"}));
        QVERIFY(mainWindow.isVisible());
    }
};

QTEST_MAIN(MainWindowRunsTest)
#include "MainWindowRunsTest.moc"

#include "FileListView.h"
#include "Guard.h"
#include "HelpTexts.h"
#include "SandboxServer.h"
#include "WindowsFixture.h"

#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

namespace {
QStringList listItems(QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

int lineOf(const QString& report)
{
    const qsizetype at = report.indexOf(QStringLiteral("at line "));
    return at < 0 ? -1 : report.mid(at + 8).section(QLatin1Char('\r'), 0, 0).toInt();
}
} // namespace

class WindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void aFreshStoreShowsOnlyTheConnectionWindow()
    {
        WindowsFixture f;
        Form1& form1 = f.start();
        QVERIFY(form1.isVisible());
        QVERIFY(!form1.mainWindow());
        QCOMPARE(form1.windowTitle(), QStringLiteral("Tessaloom"));
        QCOMPARE(f.control1<QLineEdit>("Text2")->text(), QStringLiteral("5000"));
        // The fill wrote the changed Port back; the empty boxes saved nothing.
        QCOMPARE(f.store.GetSetting(SettingKeys::Port), QStringLiteral("5000"));
        for (const QString& key :
             {SettingKeys::Server, SettingKeys::User, SettingKeys::Password, SettingKeys::Database})
            QVERIFY(!f.store.contains(key));
        QVERIFY(f.ui.messages().isEmpty());
        QCOMPARE(f.control1<QLineEdit>("Text4")->echoMode(), QLineEdit::Password);
    }

    void workingSettingsGoStraightToTheMainWindow()
    {
        WindowsFixture f;
        f.execute(f.database(),
                  QStringLiteral("CREATE TABLE Orders(a TEXT); CREATE TABLE SysLog(a TEXT)"));
        f.storeWorkingSettings(f.database());
        Form1& form1 = f.start();
        QVERIFY(!form1.isVisible());
        QVERIFY(f.form2().isVisible());
        QCOMPARE(listItems(f.control2<QListWidget>("List1")), QStringList({"Orders"}));
        QCOMPARE(f.form2().loadCount(), 1);
        auto* view = f.control2<QTreeView>("ListView1");
        QCOMPARE(view->model()->columnCount(), 1);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Text Files"));
    }

    void oneStartInAHundredOpensTheHomePage()
    {
        {
            WindowsFixture f;
            f.ui.answerRandom(0.06); // 0.06 * 100 + 1 = 7
            f.start();
            QCOMPARE(f.ui.openedAddresses(), QStringList({MakerHomePage}));
        }
        {
            WindowsFixture f;
            f.ui.answerRandom(0.07);
            f.start();
            QVERIFY(f.ui.openedAddresses().isEmpty());
        }
    }

    void nextAfterCorrectingABoxHandsOverAndLoadsTwice()
    {
        WindowsFixture f;
        f.execute(f.database(), QStringLiteral("CREATE TABLE Orders(a TEXT)"));
        Form1& form1 = f.start();
        f.click1("PushButton3"); // nothing works yet: nothing visible happens
        QVERIFY(form1.isVisible());
        QVERIFY(!form1.mainWindow());
        QVERIFY(f.ui.messages().isEmpty());

        auto* server = f.control1<QLineEdit>("Text1");
        server->setFocus();
        QTest::keyClicks(server, QStringLiteral("file:") + f.database());
        QCOMPARE(f.store.GetSetting(SettingKeys::Server), QStringLiteral("file:") + f.database());
        f.click1("PushButton3");
        QVERIFY(!form1.isVisible());
        QVERIFY(f.form2().isVisible());
        QCOMPARE(f.form2().loadCount(), 2);
        QCOMPARE(listItems(f.control2<QListWidget>("List1")), QStringList({"Orders"}));
        QCOMPARE(f.control2<QTreeView>("ListView1")->model()->columnCount(), 1);
    }

    void typingSavesEveryChangeAndAClearedPortStaysEmpty()
    {
        WindowsFixture f;
        f.start();
        auto* user = f.control1<QLineEdit>("Text3");
        QStringList seen;
        for (QChar c : QStringLiteral("abc")) {
            QTest::keyClick(user, c.toLatin1());
            seen << f.store.GetSetting(SettingKeys::User);
        }
        QCOMPARE(seen, QStringList({"a", "ab", "abc"}));
        f.control1<QLineEdit>("Text2")->clear();
        QCOMPARE(f.store.GetSetting(SettingKeys::Port, QStringLiteral("5000")), QString());

        WindowsFixture again;
        again.store.SaveSetting(SettingKeys::Port, QString());
        again.start();
        QCOMPARE(again.control1<QLineEdit>("Text2")->text(), QString());
    }

    void tabVisitsTheBoxesThenTheButtonsSelectingEachText()
    {
        WindowsFixture f;
        f.store.SaveSetting(SettingKeys::User, QStringLiteral("sa"));
        Form1& form1 = f.start();
        form1.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form1));
        f.control1("Text1")->setFocus();
        QStringList visited;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"Text2", "Text3", "Text4", "Text5", "PushButton7",
                                       "PushButton6", "PushButton3"}));
        f.control1("Text3")->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(f.control1<QLineEdit>("Text3")->selectedText(),
                                  QStringLiteral("sa"), 60000);
    }

    void testConnectionShowsTheOutcomeWithTheHourglassUntilClosed()
    {
        WindowsFixture f;
        Form1& form1 = f.start();
        QList<int> pointerAtMessage;
        f.ui.onMessage([&](const ScriptedInteraction::Message&) {
            pointerAtMessage << form1.pointer().value();
        });
        f.click1("PushButton7");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Could not connect."));
        QCOMPARE(form1.pointer().value(), WindowPointer::Default);

        f.control1<QLineEdit>("Text1")->setText(QStringLiteral("file:") + f.database());
        f.click1("PushButton7");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Connection successful."));
        QCOMPARE(f.ui.messages().last().style, 0);
        QCOMPARE(f.ui.messages().last().title, QStringLiteral("Tessaloom"));
        QCOMPARE(pointerAtMessage.last(), WindowPointer::Busy);
        QCOMPARE(form1.pointer().value(), WindowPointer::Default);
        QCOMPARE(f.ui.messages().size(), 2);
    }

    void aSessionThatCannotBeCreatedIsReportedAtLine100()
    {
        WindowsFixture f;
        f.start();
        f.context.createSession = []() -> std::unique_ptr<DatabaseSession> {
            throw Failure(QStringLiteral("ActiveX component can't create object"));
        };
        f.click1("PushButton7");
        const QStringList texts = f.ui.messageTexts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(lineOf(texts.at(0)), 100);
        QVERIFY(texts.at(0).contains(Locations::TestConnection));
        QCOMPARE(texts.at(1), QStringLiteral("Could not connect."));
    }

    void aProbeThatFailsItselfStillHandsOver()
    {
        WindowsFixture f;
        int made = 0;
        f.context.createSession = [&]() -> std::unique_ptr<DatabaseSession> {
            if (made++ == 0)
                throw Failure(QStringLiteral("ActiveX component can't create object"));
            return std::make_unique<DatabaseSession>();
        };
        Form1& form1 = f.start();
        QCOMPARE(lineOf(f.ui.messageTexts().first()), 138);
        QVERIFY(!form1.isVisible());
        QVERIFY(form1.mainWindow() && form1.mainWindow()->isVisible());
        // The table list could not be read: reported at line 118, the window still opens.
        QCOMPARE(lineOf(f.ui.messageTexts().last()), 118);
        QVERIFY(f.ui.messageTexts().last().contains(Locations::MainLoad));
    }

    void helpTextsAreExact()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        f.form1->PushButton6_Click();
        const QString expected = QStringLiteral(
            "This is how I was able to make a Sybase ASE connection: \r\rI purchased\r\r"
            "Sybase Adaptive Server Enterprise \u2013 Developer's Edition\r\rvia www.sybase.com\r\r"
            "and downloaded the Sybase 15.01 Client\r\rspecifically\r\rase1501clientwin32.zip\r\r"
            "Make sure you select Custom instead of Typical and Full and make sure\r\r"
            "ASE Data Providers (ASE ODBC Driver)\r\rare installed during the client "
            "installation.\r\r");
        QCOMPARE(f.ui.messageTexts().last(), expected);
        f.click2("PushButton6");
        QCOMPARE(
            f.ui.messageTexts().last(),
            QStringLiteral(
                "Text files should look like this:\r\n\r\nName,State\r\nPeter,NH\r\nJane,MA\r\n\r\n"
                "Also, if appending, make sure the number of columns in the text file match the "
                "number of columns in the table.\r\n\r\nWhen appending, number of columns and data "
                "types (number, decimal, text, etc.) must be identical."));
        QCOMPARE(f.ui.messages().last().style, 0);
    }

    void setupConnectionAndBackReloadsButKeepsTheWork()
    {
        WindowsFixture f;
        f.execute(f.database(), QStringLiteral("CREATE TABLE Orders(a TEXT)"));
        f.storeWorkingSettings(f.database());
        Form1& form1 = f.start();
        Form2& form2 = f.form2();
        form2.fileList().AppendPath(QStringLiteral("/data/a.csv"));
        f.control2<QRadioButton>("Option4")->setChecked(true);
        f.control2<QLineEdit>("Text2")->setText(QStringLiteral("Mine"));
        f.control2<QLineEdit>("Text3")->setText(QStringLiteral(";"));

        f.click2("PushButton5");
        QVERIFY(form1.isVisible());
        QVERIFY(!form2.isVisible());
        f.execute(f.database(), QStringLiteral("CREATE TABLE Later(a TEXT)"));
        f.click1("PushButton3");
        QVERIFY(form2.isVisible());
        QVERIFY(!form1.isVisible());
        QCOMPARE(form2.fileList().count(), 1);
        QVERIFY(f.control2<QRadioButton>("Option4")->isChecked());
        QCOMPARE(f.control2<QLineEdit>("Text2")->text(), QStringLiteral("NewTable[counter]"));
        QCOMPARE(f.control2<QLineEdit>("Text3")->text(), QStringLiteral(","));
        QCOMPARE(listItems(f.control2<QListWidget>("List1")), QStringList({"Orders", "Later"}));
        QCOMPARE(f.control2<QTreeView>("ListView1")->model()->columnCount(), 1);
    }

    void closingEitherWindowEndsTheProgram()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        f.form2().close();
        QCOMPARE(f.quits, 1);
        f.form1->close(); // hidden, still loaded
        QCOMPARE(f.quits, 2);
    }

    void theWholeRoadThroughAnEmbeddedDatabase()
    {
        WindowsFixture f;
        Form1& form1 = f.start();
        f.control1<QLineEdit>("Text1")->setText(QStringLiteral("file:") + f.database());
        f.click1("PushButton3");
        Form2& form2 = f.form2();
        const QString file =
            f.env.writeFile(QStringLiteral("exports/orders.csv"), "Id,Name\n1,O'Neil\n2,Zoë\n");
        form2.fileList().AppendPath(file);
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.click2("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT Name FROM NewTable1 ORDER BY rowid")),
                 QStringList({"O'Neil", "Zoë"}));
        QCOMPARE(listItems(f.control2<QListWidget>("List1")), QStringList({"NewTable1"}));
        QVERIFY(!form1.isVisible());
        QCOMPARE(form2.pointer().value(), WindowPointer::Default);
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
            f.control1<QLineEdit>(boxes[i])->setText(values[i]);
        f.click1("PushButton7");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Connection successful."));
        f.click1("PushButton3");
        Form2& form2 = f.form2();
        QVERIFY(form2.isVisible());
        form2.fileList().AppendPath(
            f.env.writeFile(QStringLiteral("t.csv"), "City,Zip\nNashua,03060\n"));
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.click2("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        // A second session sees the table the run created.
        f.click1("PushButton3");
        QCOMPARE(listItems(f.control2<QListWidget>("List1")), QStringList({"NewTable1"}));
    }

    void theThreeWaysOfAddingFilesReachTheList()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        Form2& form2 = f.form2();
        const QString a = f.env.writeFile(QStringLiteral("in/a.txt"), "x\n");
        const QString b = f.env.writeFile(QStringLiteral("in/sub/b.TXT"), "y\n");
        f.env.writeFile(QStringLiteral("in/sub/c.csv"), "z\n");

        f.ui.answerFileDialog(f.env.path(QStringLiteral("in")) + QChar(0) +
                              QStringLiteral("a.txt") + QChar(0) + QStringLiteral("sub/b.TXT"));
        f.click2("PushButton3");
        QCOMPARE(form2.fileList().count(), 2);
        QCOMPARE(form2.fileList().path(1), b);

        f.ui.answerPrompt(QStringLiteral("txt"));
        f.ui.answerFolder(f.env.path(QStringLiteral("in")));
        f.click2("PushButton4");
        QCOMPARE(form2.fileList().count(), 4);
        QCOMPARE(form2.fileList().path(2), a);
        QCOMPARE(f.store.GetSetting(SettingKeys::Extension), QStringLiteral("txt"));
        QCOMPARE(f.store.GetSetting(SettingKeys::LastFolder), f.env.path(QStringLiteral("in")));
        QCOMPARE(form2.pointer().value(), WindowPointer::Default);

        // A drop from the file manager: a file and a folder.
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(a), QUrl::fromLocalFile(f.env.path(QStringLiteral("in/sub")))});
        QWidget* viewport = form2.listView().viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        // Even a drop proposed as a move is taken as a copy: the originals must stay.
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::ShiftModifier);
        QApplication::sendEvent(viewport, &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(form2.fileList().count(), 7);
        // A source that can only move is refused: taking its files would delete them.
        QDropEvent moveOnly(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &moveOnly);
        QVERIFY(!moveOnly.isAccepted());
        QCOMPARE(form2.fileList().count(), 7);
        QCOMPARE(form2.fileList().path(4), a);

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
        Form2& form2 = f.form2();
        for (const char* name : {"a.csv", "b.csv", "c.csv"})
            form2.fileList().AppendPath(f.env.writeFile(QString::fromLatin1(name), "n\n1\n"));
        f.ui.onYield([&](int) {
            if (form2.isImporting() && f.quits == 0)
                f.form1->close(); // the hidden connection window, closed through the task bar
        });
        f.click2("PushButton1");
        qunsetenv("TEMP");
        QCOMPARE(f.quits, 1);
        QVERIFY(!form2.isImporting());
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
        Form2& form2 = f.form2();
        f.ui.answerPrompt(QStringLiteral("txt"));
        f.ui.answerFolder(f.env.path(QStringLiteral("tree")));
        f.ui.onYield([&](int) {
            if (form2.pointer().isBusy() && f.quits == 0)
                form2.close();
        });
        f.click2("PushButton4");
        QCOMPARE(f.quits, 1);
        QVERIFY(form2.fileList().count() < 30);
        QCOMPARE(form2.pointer().value(), WindowPointer::Default);
    }

    void nothingDoneDuringARunBreaksIt()
    {
        WindowsFixture f;
        f.execute(f.database(), QStringLiteral("CREATE TABLE Orders(a TEXT)"));
        f.storeWorkingSettings(f.database());
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        Form2& form2 = f.form2();
        for (const char* name : {"a.csv", "b.csv"})
            form2.fileList().AppendPath(f.env.writeFile(QString::fromLatin1(name), "n\n1\n2\n"));
        bool acted = false;
        f.ui.onYield([&](int) {
            if (acted || !form2.isImporting())
                return;
            acted = true;
            form2.fileList().select(0);
            form2.listView().RemoveSelected(); // refused while busy
            f.click2("PushButton1");           // a second run is refused
            f.click2("PushButton5");           // Setup Connection
            f.click1("PushButton3");           // Next >: the reload waits for the run
        });
        f.click2("PushButton1");
        qunsetenv("TEMP");
        QVERIFY(acted);
        QCOMPARE(form2.fileList().count(), 2);
        QCOMPARE(f.ui.messageTexts().filter(QStringLiteral("Done.")).size(), 1);
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT count(*) FROM NewTable2")),
                 QStringList({"2"}));
        // The deferred reload ran after the run: the new tables are listed from the database.
        QCOMPARE(listItems(f.control2<QListWidget>("List1")),
                 QStringList({"Orders", "NewTable1", "NewTable2"}));
        QVERIFY(form2.isVisible());
    }
};

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"

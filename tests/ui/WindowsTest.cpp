#include "FileListView.h"
#include "Guard.h"
#include "HelpTexts.h"
#include "ReportText.h"
#include "WindowsFixture.h"

#include <QApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

class WindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void aFreshStoreShowsOnlyTheConnectionWindow()
    {
        WindowsFixture f;
        ConnectionWindow& connectionWindow = f.start();
        QVERIFY(connectionWindow.isVisible());
        QVERIFY(!connectionWindow.mainWindow());
        QCOMPARE(connectionWindow.windowTitle(), QStringLiteral("Tessaloom"));
        QCOMPARE(f.connectionControl<QLineEdit>("Text2")->text(), QStringLiteral("5000"));
        // The fill wrote the changed Port back; the empty boxes saved nothing.
        QCOMPARE(f.store.GetSetting(SettingKeys::Port), QStringLiteral("5000"));
        for (const QString& key :
             {SettingKeys::Server, SettingKeys::User, SettingKeys::Password, SettingKeys::Database})
            QVERIFY(!f.store.contains(key));
        QVERIFY(f.ui.messages().isEmpty());
        QCOMPARE(f.connectionControl<QLineEdit>("Text4")->echoMode(), QLineEdit::Password);
        // The empty Server box says that a file path makes a local database.
        QVERIFY(f.connectionControl<QLineEdit>("Text1")->placeholderText().contains("file:/"));
    }

    void workingSettingsGoStraightToTheMainWindow()
    {
        WindowsFixture f;
        f.execute(f.database(),
                  QStringLiteral("CREATE TABLE Orders(a TEXT); CREATE TABLE SysLog(a TEXT)"));
        f.storeWorkingSettings(f.database());
        ConnectionWindow& connectionWindow = f.start();
        QVERIFY(!connectionWindow.isVisible());
        QVERIFY(f.mainWindow().isVisible());
        QCOMPARE(f.existingTables(), QStringList({"Orders"}));
        QCOMPARE(f.mainWindow().loadCount(), 1);
        auto* view = f.mainControl<QTreeView>("ListView1");
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
        ConnectionWindow& connectionWindow = f.start();
        f.clickOnConnectionWindow("PushButton3"); // nothing works yet: it says why
        QVERIFY(connectionWindow.isVisible());
        QVERIFY(!connectionWindow.mainWindow());
        QCOMPARE(f.ui.messageTexts(),
                 QStringList({"Could not connect.\r\n\r\nNo server name was given."}));

        auto* server = f.connectionControl<QLineEdit>("Text1");
        server->setFocus();
        QTest::keyClicks(server, QStringLiteral("file:") + f.database());
        QCOMPARE(f.store.GetSetting(SettingKeys::Server), QStringLiteral("file:") + f.database());
        f.clickOnConnectionWindow("PushButton3");
        QVERIFY(!connectionWindow.isVisible());
        QVERIFY(f.mainWindow().isVisible());
        QCOMPARE(f.mainWindow().loadCount(), 2);
        QCOMPARE(f.existingTables(), QStringList({"Orders"}));
        QCOMPARE(f.mainControl<QTreeView>("ListView1")->model()->columnCount(), 1);
    }

    void typingSavesEveryChangeAndAClearedPortStaysEmpty()
    {
        WindowsFixture f;
        f.start();
        auto* user = f.connectionControl<QLineEdit>("Text3");
        QStringList seen;
        for (QChar c : QStringLiteral("abc")) {
            QTest::keyClick(user, c.toLatin1());
            seen << f.store.GetSetting(SettingKeys::User);
        }
        QCOMPARE(seen, QStringList({"a", "ab", "abc"}));
        f.connectionControl<QLineEdit>("Text2")->clear();
        QCOMPARE(f.store.GetSetting(SettingKeys::Port, QStringLiteral("5000")), QString());

        WindowsFixture again;
        again.store.SaveSetting(SettingKeys::Port, QString());
        again.start();
        QCOMPARE(again.connectionControl<QLineEdit>("Text2")->text(), QString());
    }

    void tabVisitsTheBoxesThenTheButtonsSelectingEachText()
    {
        WindowsFixture f;
        f.store.SaveSetting(SettingKeys::User, QStringLiteral("sa"));
        ConnectionWindow& connectionWindow = f.start();
        connectionWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&connectionWindow));
        f.connectionControl("Text1")->setFocus();
        QStringList visited;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, QStringList({"Text2", "Text3", "Text4", "Text5", "PushButton7",
                                       "PushButton6", "PushButton3"}));
        f.connectionControl("Text3")->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(f.connectionControl<QLineEdit>("Text3")->selectedText(),
                                  QStringLiteral("sa"), 60000);
    }

    void testConnectionShowsTheOutcomeWithTheHourglassUntilClosed()
    {
        WindowsFixture f;
        ConnectionWindow& connectionWindow = f.start();
        QList<Pointer> pointerAtMessage;
        f.ui.onMessage([&](const ScriptedInteraction::Message&) {
            pointerAtMessage << connectionWindow.pointer().value();
        });
        f.clickOnConnectionWindow("PushButton7");
        QCOMPARE(f.ui.messageTexts().last(),
                 QStringLiteral("Could not connect.\r\n\r\nNo server name was given."));
        QCOMPARE(connectionWindow.pointer().value(), Pointer::Default);

        f.connectionControl<QLineEdit>("Text1")->setText(QStringLiteral("file:") + f.database());
        f.clickOnConnectionWindow("PushButton7");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Connection successful."));
        QCOMPARE(f.ui.messages().last().style, MessageStyle::Plain);
        QCOMPARE(f.ui.messages().last().title, QStringLiteral("Tessaloom"));
        QCOMPARE(pointerAtMessage.last(), Pointer::Busy);
        QCOMPARE(connectionWindow.pointer().value(), Pointer::Default);
        QCOMPARE(f.ui.messages().size(), 2);
    }

    void aSessionThatCannotBeCreatedIsReportedAtLine100()
    {
        WindowsFixture f;
        f.start();
        f.context.createSession = []() -> std::unique_ptr<DatabaseSession> {
            throw Failure(QStringLiteral("ActiveX component can't create object"));
        };
        f.clickOnConnectionWindow("PushButton7");
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
        ConnectionWindow& connectionWindow = f.start();
        QCOMPARE(lineOf(f.ui.messageTexts().first()), 138);
        QVERIFY(!connectionWindow.isVisible());
        QVERIFY(connectionWindow.mainWindow() && connectionWindow.mainWindow()->isVisible());
        // The table list could not be read: reported at line 118, the window still opens.
        QCOMPARE(lineOf(f.ui.messageTexts().last()), 118);
        QVERIFY(f.ui.messageTexts().last().contains(Locations::MainLoad));
    }

    void helpTextsAreExact()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        f.connectionWindow->showHelp();
        const QString expected = QStringLiteral(
            "This is how I was able to make a Sybase ASE connection: \r\rI purchased\r\r"
            "Sybase Adaptive Server Enterprise \u2013 Developer's Edition\r\rvia www.sybase.com\r\r"
            "and downloaded the Sybase 15.01 Client\r\rspecifically\r\rase1501clientwin32.zip\r\r"
            "Make sure you select Custom instead of Typical and Full and make sure\r\r"
            "ASE Data Providers (ASE ODBC Driver)\r\rare installed during the client "
            "installation.\r\r");
        QCOMPARE(f.ui.messageTexts().last(), expected);
        f.clickOnMainWindow("PushButton6");
        QCOMPARE(
            f.ui.messageTexts().last(),
            QStringLiteral(
                "Text files should look like this:\r\n\r\nName,State\r\nPeter,NH\r\nJane,MA\r\n\r\n"
                "Also, if appending, make sure the number of columns in the text file match the "
                "number of columns in the table.\r\n\r\nWhen appending, number of columns and data "
                "types (number, decimal, text, etc.) must be identical."));
        QCOMPARE(f.ui.messages().last().style, MessageStyle::Plain);
    }

    void setupConnectionAndBackReloadsButKeepsTheWork()
    {
        WindowsFixture f;
        f.execute(f.database(), QStringLiteral("CREATE TABLE Orders(a TEXT)"));
        f.storeWorkingSettings(f.database());
        ConnectionWindow& connectionWindow = f.start();
        MainWindow& mainWindow = f.mainWindow();
        mainWindow.fileList().AppendPath(QStringLiteral("/data/a.csv"));
        f.mainControl<QRadioButton>("Option4")->setChecked(true);
        f.mainControl<QLineEdit>("Text2")->setText(QStringLiteral("Mine"));
        f.mainControl<QLineEdit>("Text3")->setText(QStringLiteral(";"));

        f.clickOnMainWindow("PushButton5");
        QVERIFY(connectionWindow.isVisible());
        QVERIFY(!mainWindow.isVisible());
        f.execute(f.database(), QStringLiteral("CREATE TABLE Later(a TEXT)"));
        f.clickOnConnectionWindow("PushButton3");
        QVERIFY(mainWindow.isVisible());
        QVERIFY(!connectionWindow.isVisible());
        QCOMPARE(mainWindow.fileList().count(), 1);
        QVERIFY(f.mainControl<QRadioButton>("Option4")->isChecked());
        QCOMPARE(f.mainControl<QLineEdit>("Text2")->text(), QStringLiteral("NewTable[counter]"));
        QCOMPARE(f.mainControl<QLineEdit>("Text3")->text(), QStringLiteral(","));
        QCOMPARE(f.existingTables(), QStringList({"Orders", "Later"}));
        QCOMPARE(f.mainControl<QTreeView>("ListView1")->model()->columnCount(), 1);
    }

    void closingEitherWindowEndsTheProgram()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        f.mainWindow().close();
        QCOMPARE(f.quits, 1);
        f.connectionWindow->close(); // hidden, still loaded
        QCOMPARE(f.quits, 2);
    }
};

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"

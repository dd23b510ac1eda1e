// The main window during long work: progress, "Stop", a silent server, rows not loaded
// gathered, the reading options, and what a screen reader and a keyboard-only user meet.
#include "FileListView.h"
#include "RowsNotLoadedWindow.h"
#include "RunProgressPanel.h"
#include "SandboxServer.h"
#include "WindowsFixture.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>

namespace {
QByteArray numberedRows(int count)
{
    QByteArray rows = "n,t\n";
    for (int i = 1; i <= count; ++i)
        rows += QByteArray::number(i) + ",row\n";
    return rows;
}

void connectToSandbox(WindowsFixture& f, const SandboxServer& server)
{
    f.store.SaveSetting(SettingKeys::Server, QStringLiteral("127.0.0.1"));
    f.store.SaveSetting(SettingKeys::Port, server.portText());
    f.store.SaveSetting(SettingKeys::User, server.settings().user);
    f.store.SaveSetting(SettingKeys::Password, server.settings().password);
    f.store.SaveSetting(SettingKeys::Database, server.settings().databases.first());
}

// Runs the runner over files into an embedded database; returns its exit code.
int runRunner(const TestEnvironment& env, const QString& db, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEMP"), env.tempFolder());
    environment.insert(QStringLiteral("HOME"), env.root());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TESSALOOM_IMPORT_PATH),
                  QStringList{QStringLiteral("--server"), QStringLiteral("file:") + db} +
                      arguments);
    process.waitForFinished(60000);
    return process.exitCode();
}

qint64 loadedIn(const QString& stopMessage)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("([0-9,]+) rows were loaded")).match(stopMessage);
    return m.hasMatch() ? m.captured(1).remove(u',').toLongLong() : -1;
}
} // namespace

class LongRunTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { qputenv("TESSALOOM_COMMAND_TIMEOUT", "0"); }
    void cleanup()
    {
        qunsetenv("TESSALOOM_COMMAND_TIMEOUT");
        qunsetenv("TEMP");
    }

    void progressMovesAndStopSaysWhereItEnded_data()
    {
        QTest::addColumn<bool>("sandbox");
        QTest::addColumn<bool>("stop");
        QTest::newRow("embedded") << false << false;
        QTest::newRow("sandbox") << true << false;
        QTest::newRow("embedded, stopped") << false << true;
        QTest::newRow("sandbox, stopped") << true << true;
    }
    void progressMovesAndStopSaysWhereItEnded()
    {
        QFETCH(bool, sandbox);
        QFETCH(bool, stop);
        SandboxServer server;
        WindowsFixture f;
        if (sandbox)
            connectToSandbox(f, server);
        else
            f.storeWorkingSettings(f.database());
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& window = f.mainWindow();
        window.fileList().AppendPath(
            f.env.writeFile(QStringLiteral("rows.csv"), numberedRows(60000)));
        QList<int> percents;
        QStringList statuses;
        f.ui.onYield([&](int) {
            window.showProgress();
            percents << window.progressPanel().percent();
            statuses << window.progressPanel().statusText();
            if (stop && percents.last() >= 20)
                f.clickOnMainWindow("PushButton2");
        });
        f.clickOnMainWindow("PushButton1");
        f.ui.onYield({});
        QVERIFY(!percents.isEmpty());
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));
        QVERIFY2(
            std::any_of(percents.begin(), percents.end(), [](int p) { return p > 0 && p < 100; }),
            "the bar never stood part way");
        QVERIFY(statuses.last().startsWith(QStringLiteral("File 1 of 1, rows.csv: ")));
        QVERIFY(statuses.last().contains(QStringLiteral(" rows loaded, 0 not loaded, ")));
        // Idle once the run is over.
        QCOMPARE(window.progressPanel().percent(), 0);
        QCOMPARE(window.progressPanel().statusText(), QString());
        QVERIFY(!f.mainControl<QPushButton>("PushButton2")->isEnabled());
        const QString closing = f.ui.messageTexts().last();
        if (!stop) {
            QCOMPARE(closing, QStringLiteral("Done."));
            return;
        }
        QVERIFY2(closing.startsWith(QStringLiteral("The run was stopped.\r\n\r\nOf the file ")),
                 qPrintable(closing));
        const qint64 loaded = loadedIn(closing);
        QVERIFY2(loaded > 0 && loaded < 60000, qPrintable(closing));
        QVERIFY(closing.endsWith(QStringLiteral("; from line %1 on the file was not sent.")
                                     .arg(QLocale(QLocale::English).toString(loaded + 2))));
        const QString count = QStringLiteral("SELECT count(*) FROM NewTable1");
        const QStringList rows = sandbox
                                     ? f.rows(server.databaseFile(QStringLiteral("testdb")), count)
                                     : f.rows(f.database(), count);
        QCOMPARE(rows, QStringList{QString::number(loaded)});
    }

    // A server that stops answering, with no time limit: the window keeps yielding, says it
    // waits, and "Stop" or closing the window cuts the wait; the run then ends with its report.
    void aSilentServerIsLeftByStopOrClose_data()
    {
        QTest::addColumn<bool>("close");
        QTest::addColumn<bool>("bulk");
        QTest::addColumn<int>("silentAfter");
        QTest::newRow("stop") << false << false << 1500;
        QTest::newRow("close") << true << false << 1500;
        // Types from the data: the new table is loaded by bulk copy, silent inside a batch.
        QTest::newRow("stop, bulk copy") << false << true << 6;
    }
    void aSilentServerIsLeftByStopOrClose()
    {
        QFETCH(bool, close);
        QFETCH(bool, bulk);
        QFETCH(int, silentAfter);
        SandboxServer::Settings settings;
        settings.silentAfter = silentAfter;
        SandboxServer server(settings);
        QVERIFY2(server.isRunning(), qPrintable(server.errorText()));
        WindowsFixture f;
        connectToSandbox(f, server);
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& window = f.mainWindow();
        window.fileList().AppendPath(
            f.env.writeFile(QStringLiteral("rows.csv"), numberedRows(3000)));
        f.mainControl<QComboBox>("Combo1")->setCurrentIndex(bulk ? 1 : 0);
        bool sawWait = false;
        f.ui.onYield([&](int) {
            window.showProgress();
            if (!window.progressPanel().statusText().contains(
                    QStringLiteral("waiting on the server for ")))
                return;
            sawWait = true;
            if (close)
                window.close();
            else
                f.clickOnMainWindow("PushButton2");
        });
        f.clickOnMainWindow("PushButton1");
        f.ui.onYield({});
        QVERIFY2(sawWait, qPrintable(f.ui.messageTexts().join(u'|')));
        QVERIFY(!window.isImporting());
        if (close) {
            QCOMPARE(f.quits, 1);
            return;
        }
        const QStringList texts = f.ui.messageTexts();
        QVERIFY2(texts.last().startsWith(QStringLiteral("The run was stopped.")),
                 qPrintable(texts.join(u'|')));
        // Every row is loaded or listed, the cut named as the reason of the rows it caught.
        RowsNotLoadedWindow* list = window.rowsNotLoadedWindow();
        QVERIFY(list);
        QTableWidget& listed = list->table();
        QStringList reasons;
        for (int i = 0; i < listed.rowCount(); ++i)
            reasons << listed.item(i, 2)->text();
        const QStringList loaded = f.rows(server.databaseFile(QStringLiteral("testdb")),
                                          QStringLiteral("SELECT count(*) FROM NewTable1"));
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().toInt() + listed.rowCount(), 3000);
        QVERIFY2(
            reasons.join(u'|').contains(QStringLiteral("the connection to the server was cut")),
            qPrintable(reasons.value(0)));
    }

    // Rows not loaded: one box offers to show no more; the list at the end, saved, equals the
    // runner's errors file for the same file.
    void rowsNotLoadedAreGatheredAsTheRunnerListsThem()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.execute(f.database(), QStringLiteral("CREATE TABLE T (n INTEGER, t TEXT)"));
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& window = f.mainWindow();
        const QString file =
            f.env.writeFile(QStringLiteral("in.csv"), "5,a\nabc,b\n7,c\nx1,d\n9,e\n2.5,f\n");
        window.fileList().AppendPath(file);
        f.mainControl<QRadioButton>("Option2")->click();
        f.mainControl<QListWidget>("List1")->setCurrentRow(0);
        f.ui.answerCheck(true);
        const qsizetype before = f.ui.messageTexts().size();
        f.clickOnMainWindow("PushButton1");
        // One box for the first row not loaded, then only "Done.".
        QCOMPARE(f.ui.messageTexts().size() - before, 2);
        QVERIFY(f.ui.messageTexts()[before].contains(QStringLiteral("abc")));
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        RowsNotLoadedWindow* list = window.rowsNotLoadedWindow();
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->table().rowCount(), 3);
        QCOMPARE(list->table().item(1, 1)->data(Qt::DisplayRole).toLongLong(), 4);
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT n FROM T ORDER BY rowid")),
                 (QStringList{"5", "7", "9"}));

        const QString saved = f.env.path(QStringLiteral("saved.tsv"));
        f.ui.answerSaveDialog(saved);
        list->saveAs();
        const QString runnerErrors = f.env.path(QStringLiteral("runner.tsv"));
        // Exit status 1: rows were not loaded.
        QCOMPARE(runRunner(f.env, f.database(),
                           {QStringLiteral("--append"), QStringLiteral("T"),
                            QStringLiteral("--errors"), runnerErrors, file}),
                 1);
        QFile a(saved), b(runnerErrors);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray listed = a.readAll();
        QCOMPARE(listed.count('\n'), 3);
        QCOMPARE(listed, b.readAll());
    }

    // A quoted file in a code page, read through the window's options, loads as the runner
    // loads it; the options are remembered.
    void quotedFilesInAChosenEncodingLoadAsTheRunnerLoadsThem()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& window = f.mainWindow();
        // "Привет, мир" and a line break inside quotes, in windows-1251.
        const QByteArray text =
            "name,note\n\"\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0\",\"two\nlines\"\n"
            "plain,\"say \"\"hi\"\"\"\n";
        const QString file = f.env.writeFile(QStringLiteral("ru.csv"), text);
        window.fileList().AppendPath(file);
        f.mainControl<QCheckBox>("Check3")->setChecked(true);
        auto* encoding = f.mainControl<QComboBox>("Combo2");
        encoding->setCurrentIndex(encoding->findText(QStringLiteral("windows-1251")));
        QVERIFY(encoding->currentIndex() > 0);
        QCOMPARE(f.store.GetSetting(SettingKeys::Quote), QStringLiteral("\""));
        QCOMPARE(f.store.GetSetting(SettingKeys::Encoding), QStringLiteral("windows-1251"));
        f.clickOnMainWindow("PushButton1");
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        const QString other = f.database(QStringLiteral("runner.db"));
        QCOMPARE(runRunner(f.env, other,
                           {QStringLiteral("--quote"), QStringLiteral("\""),
                            QStringLiteral("--encoding"), QStringLiteral("windows-1251"), file}),
                 0);
        const QString all =
            QStringLiteral("SELECT name || '|' || note FROM NewTable1 ORDER BY rowid");
        const QStringList loaded = f.rows(f.database(), all);
        QCOMPARE(loaded, f.rows(other, all));
        QCOMPARE(loaded.first(), QStringLiteral("Привет, мир|two\nlines"));

        // A tab typed as \t splits as a tab.
        f.mainControl<QCheckBox>("Check3")->setChecked(false);
        encoding->setCurrentIndex(0);
        f.mainControl<QLineEdit>("Text3")->setText(QStringLiteral("\\t"));
        f.mainControl<QLineEdit>("Text2")->setText(QStringLiteral("Tabs"));
        window.fileList().removeAt(0);
        window.fileList().AppendPath(f.env.writeFile(QStringLiteral("tabs.txt"), "a\tb\n1\t2\n"));
        f.clickOnMainWindow("PushButton1");
        QVERIFY2(f.ui.messageTexts().last() == QStringLiteral("Done."),
                 qPrintable(f.ui.messageTexts().join(u'|')));
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT a || b FROM Tabs")),
                 QStringList{QStringLiteral("12")});
    }

    void everyInputIsNamedForScreenReaders()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        const QList<std::pair<const char*, QString>> expected{
            {"ListView1", QStringLiteral("Files to import")},
            {"Text3", QStringLiteral("Fields separated by")},
            {"PushButton6", QStringLiteral("Help on file formats")},
            {"Text2", QStringLiteral("New table name")},
            {"List1", QStringLiteral("Existing table")},
            {"Combo1", QStringLiteral("New Table Types:")},
            {"Text4", QStringLiteral("NULL text")},
            {"Check3", QStringLiteral("Fields Quoted By:")},
            {"Text5", QStringLiteral("Quote character")},
            {"Combo2", QStringLiteral("Encoding:")},
            {"PushButton1", QStringLiteral("Start Importing")},
            {"PushButton2", QStringLiteral("Stop")},
            {"ProgressBar1", QStringLiteral("Import progress")}};
        for (const auto& [name, accessibleName] : expected) {
            QWidget* control = f.mainControl(name);
            QVERIFY2(control, name);
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(face, name);
            // A combo box is named by its label through a relation (its own name is its
            // value), as screen readers on Linux expect.
            const auto labels = face->relations(QAccessible::Label);
            QString read = qobject_cast<QComboBox*>(control) && !labels.isEmpty()
                               ? labels.first().first->text(QAccessible::Name)
                               : face->text(QAccessible::Name);
            QCOMPARE(read.remove(u'&'), accessibleName);
        }
        QVERIFY(!QAccessible::queryAccessibleInterface(f.mainControl("PushButton6"))
                     ->text(QAccessible::Description)
                     .isEmpty());
    }

    // Files added, mode chosen, table named and the run started with key events alone.
    void aKeyboardOnlyRoad()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        f.start();
        MainWindow& window = f.mainWindow();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QString file = f.env.writeFile(QStringLiteral("k.csv"), "a\n1\n");
        f.ui.answerFileDialog(file);
        window.activateWindow();
        const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            QWidget* focus = window.focusWidget();
            QTest::keyClick(focus ? focus : &window, key, modifiers);
        };
        // A letter presses its button as a click animates it: a moment later.
        press(Qt::Key_T, Qt::AltModifier); // Add Text File(s)
        QTRY_COMPARE(window.fileList().count(), 1);
        press(Qt::Key_C, Qt::AltModifier); // Create New Table...
        press(Qt::Key_N, Qt::AltModifier); // Table Name
        QCOMPARE(window.focusWidget(), f.mainControl("Text2"));
        press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(window.focusWidget(), QStringLiteral("Keyed"));
        press(Qt::Key_S, Qt::AltModifier); // Start Importing
        QTRY_VERIFY(!f.ui.messageTexts().isEmpty());
        QCOMPARE(f.ui.messageTexts().last(), QStringLiteral("Done."));
        QCOMPARE(f.existingTables(), QStringList{QStringLiteral("Keyed")});
    }
};

QTEST_MAIN(LongRunTest)
#include "LongRunTest.moc"

#include "Failure.h"
#include "Guard.h"
#include "ScriptedInteraction.h"

#include <QtTest>
#include <stdexcept>

namespace {
const QString Tail =
    QStringLiteral("\r\rPlease email screenshot of this message to ") + SupportAddress;
}

class ErrorReportTest : public QObject
{
    Q_OBJECT

private slots:
    void composedText_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");

        QTest::newRow("ordinary")
            << "Table not found." << Locations::StartImporting << 142
            << "Table not found.\r\nin Quorvane2021/08/31.Form2.PushButton1_Click at line 142" +
                   Tail;
        QTest::newRow("empty description")
            << "" << Locations::MainLoad << 118
            << "\r\nin Quorvane2021/08/31.Form2.Form_Load at line 118" + Tail;
        QTest::newRow("folder scan tag")
            << "Path not found" << Locations::FolderScan << 100
            << "Path not found\r\nin Brimstead2021/08/31.AddFolder.GetSubDirectories2016 at line "
               "100" +
                   Tail;
    }
    void composedText()
    {
        QFETCH(QString, description);
        QFETCH(QString, location);
        QFETCH(int, line);
        QFETCH(QString, expected);
        QCOMPARE(Guard::composeReport(description, location, line), expected);
    }

    void locationTexts_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("expected");
        QTest::newRow("PushButton3")
            << Locations::AddTextFiles << "in Quorvane2021/08/31.Form2.PushButton3_Click ";
        QTest::newRow("PushButton4")
            << Locations::AddAllFilesInFolder << "in Quorvane2021/08/31.Form2.PushButton4_Click ";
        QTest::newRow("PushButton5")
            << Locations::SetupConnection << "in Quorvane2021/08/31.Form2.PushButton5_Click ";
        QTest::newRow("PushButton6")
            << Locations::MainHelp << "in Quorvane2021/08/31.Form2.PushButton6_Click ";
        QTest::newRow("Next") << Locations::Next
                              << "in Quorvane2021/08/31.Form1.PushButton3_Click ";
        QTest::newRow("Help") << Locations::ConnectionHelp
                              << "in Quorvane2021/08/31.Form1.PushButton6_Click ";
        QTest::newRow("Test") << Locations::TestConnection
                              << "in Quorvane2021/08/31.Form1.PushButton7_Click ";
        QTest::newRow("Load") << Locations::ConnectionLoad
                              << "in Quorvane2021/08/31.Form1.Form_Load ";
    }
    void locationTexts()
    {
        QFETCH(QString, location);
        QFETCH(QString, expected);
        QCOMPARE(location, expected);
    }

    void firstLineFailureReportsLine100()
    {
        ScriptedInteraction ui;
        Guard guard(ui, Locations::MainLoad);
        QVERIFY(!guard.line(100, [] { throw Failure(QStringLiteral("boom")); }));
        QCOMPARE(ui.messages().size(), 1);
        const auto& box = ui.messages().front();
        QCOMPARE(box.text, "boom\r\nin Quorvane2021/08/31.Form2.Form_Load at line 100" + Tail);
        QCOMPARE(box.style, MessageStyle::Exclamation);
        QCOMPARE(box.title, QStringLiteral("Application Error"));
    }

    void unnumberedStatementNamesLastNumberedLine()
    {
        ScriptedInteraction ui;
        Guard guard(ui, Locations::StartImporting);
        guard.line(100, [] {});
        guard.line(102, [] {});
        // 104 carries no statement and never sets the register.
        QVERIFY(!guard.run([] { throw Failure(QStringLiteral("inner")); }));
        QCOMPARE(ui.messages().size(), 1);
        QVERIFY(ui.messages().front().text.contains(QStringLiteral(" at line 102\r\r")));
    }

    void procedureResumesAndReportsEachFailure()
    {
        ScriptedInteraction ui;
        Guard guard(ui, Locations::StartImporting);
        QStringList ran;
        ui.onMessage([&ran](const ScriptedInteraction::Message&) { ran << QStringLiteral("box"); });
        guard.line(100, [&] {
            ran << "100";
            throw Failure(QStringLiteral("first"));
        });
        guard.line(102, [&] { ran << "102"; });
        guard.line(104, [&] {
            ran << "104";
            throw std::runtime_error("second");
        });
        guard.line(106, [&] { ran << "106"; });
        QCOMPARE(ran, QStringList({"100", "box", "102", "104", "box", "106"}));
        QCOMPARE(
            ui.messageTexts(),
            QStringList(
                {"first\r\nin Quorvane2021/08/31.Form2.PushButton1_Click at line 100" + Tail,
                 "second\r\nin Quorvane2021/08/31.Form2.PushButton1_Click at line 104" + Tail}));
    }

    void loopFailingEveryPassShowsOneBoxPerPass()
    {
        ScriptedInteraction ui;
        Guard guard(ui, Locations::AddAllFilesInFolder);
        for (int pass = 0; pass < 3; ++pass)
            guard.line(110, [] { throw Failure(QStringLiteral("again")); });
        QCOMPARE(ui.messages().size(), 3);
    }

    void failureCarriesItsNumber()
    {
        ScriptedInteraction ui;
        ui.failFileDialog(Failure(QStringLiteral("buffer too small"), 20476));
        int number = 0;
        try {
            ui.openFileDialog(QStringLiteral("Add"), QStringLiteral("Text|*.txt|"));
        } catch (const Failure& f) {
            number = f.number();
        }
        QCOMPARE(number, 20476);
        // An empty queue answers like Cancel.
        QCOMPARE(ui.openFileDialog(QString(), QString()), QString());
        QCOMPARE(ui.inputBox(QStringLiteral("Name?"), QString(), QStringLiteral("x")), QString());
        QCOMPARE(ui.dialogs().size(), 2);
    }
};

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "ErrorReportTest.moc"

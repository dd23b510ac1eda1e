#include "ProgramIcon.h"
#include "ShippedFiles.h"
#include "WindowsFixture.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {
// A click where a user clicks an option button: on its round indicator.
void clickOption(QRadioButton* option)
{
    QVERIFY(option);
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

QString checkedOf(WindowsFixture& f, std::initializer_list<const char*> names)
{
    QString checked;
    for (const char* name : names)
        if (f.mainControl<QRadioButton>(name)->isChecked())
            checked += QString::fromLatin1(name) + QLatin1Char(' ');
    return checked.trimmed();
}

// The darkest pixel of a part of a widget as drawn: the colour of its text.
QColor darkestDrawn(QWidget* widget, const QRect& part)
{
    const QImage image = widget->grab(part).toImage();
    QColor darkest = Qt::white;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.lightness() < darkest.lightness())
                darkest = c;
        }
    return darkest;
}

// The strip of a frame that holds its caption.
QRect captionStrip(QGroupBox* frame)
{
    const int width = frame->fontMetrics().horizontalAdvance(frame->title()) + 24;
    return QRect(0, 0, width, frame->fontMetrics().height() + 6);
}
} // namespace

// The controls of the two windows as a user meets them: mouse clicks on the option buttons,
// typing a password, the look of disabled frames, closing a window.
class WindowControlsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qApp->setStyleSheet(QString()); }

    void modeButtonsExcludeEachOtherUnderMouseClicks()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        const auto modes = {"Option1", "Option2"};
        const auto firstLine = {"Option3", "Option4"};
        QCOMPARE(checkedOf(f, modes), QStringLiteral("Option1"));

        // Append, then new table: one mode at a time, the first-line choice untouched.
        clickOption(f.mainControl<QRadioButton>("Option2"));
        QCOMPARE(checkedOf(f, modes), QStringLiteral("Option2"));
        QCOMPARE(checkedOf(f, firstLine), QStringLiteral("Option3"));
        QVERIFY(f.mainControl<QListWidget>("List1")->isEnabled());
        clickOption(f.mainControl<QRadioButton>("Option1"));
        QCOMPARE(checkedOf(f, modes), QStringLiteral("Option1"));
        QCOMPARE(checkedOf(f, firstLine), QStringLiteral("Option3"));
        QVERIFY(!f.mainControl<QListWidget>("List1")->isEnabled());

        // The other pair is a group of its own: choosing in it leaves the mode alone.
        clickOption(f.mainControl<QRadioButton>("Option4"));
        QCOMPARE(checkedOf(f, firstLine), QStringLiteral("Option4"));
        QCOMPARE(checkedOf(f, modes), QStringLiteral("Option1"));
        clickOption(f.mainControl<QRadioButton>("Option3"));
        QCOMPARE(checkedOf(f, firstLine), QStringLiteral("Option3"));

        // A click on the selected button keeps it selected, in both pairs and both modes.
        for (const char* name : {"Option1", "Option3", "Option2"}) {
            clickOption(f.mainControl<QRadioButton>(name));
            clickOption(f.mainControl<QRadioButton>(name));
            QVERIFY2(f.mainControl<QRadioButton>(name)->isChecked(), name);
        }
        QCOMPARE(checkedOf(f, modes), QStringLiteral("Option2"));
        QCOMPARE(checkedOf(f, firstLine), QStringLiteral("Option3"));
    }

    void aNewTableImportRunsAfterTheUserTriedAppendMode()
    {
        WindowsFixture f;
        f.storeWorkingSettings(f.database());
        f.start();
        f.mainWindow().fileList().AppendPath(
            f.env.writeFile(QStringLiteral("cities.csv"), "City,Zip\nNashua,03060\n"));
        clickOption(f.mainControl<QRadioButton>("Option2"));
        clickOption(f.mainControl<QRadioButton>("Option1"));
        qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
        QTest::mouseClick(f.mainControl<QPushButton>("PushButton1"), Qt::LeftButton);
        qunsetenv("TEMP");
        QCOMPARE(f.ui.messageTexts(), QStringList({"Done."}));
        QCOMPARE(f.rows(f.database(), QStringLiteral("SELECT City, Zip FROM NewTable1")),
                 QStringList({"Nashua|03060"}));
    }

    void thePasswordShowsAStarForEachCharacter()
    {
        WindowsFixture f;
        f.start();
        auto* password = f.connectionControl<QLineEdit>("Text4");
        QTest::keyClicks(password, QStringLiteral("s3cr"));
        QCOMPARE(password->displayText(), QStringLiteral("****"));
        QCOMPARE(password->text(), QStringLiteral("s3cr"));
        QCOMPARE(f.store.GetSetting(SettingKeys::Password), QStringLiteral("s3cr"));
    }

    void aDisabledFrameCaptionIsGreyedLikeItsControls_data()
    {
        QTest::addColumn<bool>("skinned");
        QTest::newRow("plain") << false;
        QTest::newRow("shipped skin") << true;
    }
    void aDisabledFrameCaptionIsGreyedLikeItsControls()
    {
        QFETCH(bool, skinned);
        WindowsFixture f;
        if (skinned) {
            f.env.writeFile(QStringLiteral("program/x/o.cjs"),
                            ShippedFile(QStringLiteral("x/o.cjs")));
        }
        f.storeWorkingSettings(f.database());
        f.start();
        auto* frame3 = f.mainControl<QGroupBox>("Frame3");
        auto* frame4 = f.mainControl<QGroupBox>("Frame4");
        auto* label2 = f.mainControl<QLabel>("Label2");
        QVERIFY(frame3->isEnabled() && !frame4->isEnabled());

        const QColor enabledCaption = darkestDrawn(frame3, captionStrip(frame3));
        const QColor disabledCaption = darkestDrawn(frame4, captionStrip(frame4));
        const QColor disabledLabel = darkestDrawn(label2, label2->rect());
        QVERIFY2(disabledLabel.lightness() - enabledCaption.lightness() > 40,
                 "a disabled label is drawn greyed");
        QVERIFY2(qAbs(disabledCaption.lightness() - disabledLabel.lightness()) < 20,
                 qPrintable(QStringLiteral("caption %1, disabled label %2")
                                .arg(disabledCaption.name(), disabledLabel.name())));

        // Enabled again, the caption is drawn like the enabled one.
        clickOption(f.mainControl<QRadioButton>("Option2"));
        QVERIFY(frame4->isEnabled());
        QVERIFY(qAbs(darkestDrawn(frame4, captionStrip(frame4)).lightness() -
                     enabledCaption.lightness()) < 20);
    }

    void boxesAndPromptsCarryTheProgramIcon()
    {
        WindowsFixture f;
        f.start();
        // What a message box without a parent window shows in its title bar.
        QCOMPARE(QApplication::windowIcon().pixmap(32).toImage(),
                 ProgramIcon().pixmap(32).toImage());
    }

    // The program's own loop ends once either window is closed, also the hidden connection
    // window, and also while an import is under way.
    void theProgramEndsWhenAWindowCloses_data()
    {
        QTest::addColumn<QString>("closed");
        QTest::addColumn<bool>("importing");
        QTest::newRow("main window") << "Form2" << false;
        QTest::newRow("hidden connection window") << "Form1" << false;
        QTest::newRow("main window during an import") << "Form2" << true;
    }
    void theProgramEndsWhenAWindowCloses()
    {
        QFETCH(QString, closed);
        QFETCH(bool, importing);
        WindowsFixture f;
        f.context.quit = [] { QApplication::quit(); };
        f.storeWorkingSettings(f.database());
        f.start();
        MainWindow& mainWindow = f.mainWindow();
        QWidget* window = closed == QLatin1String("Form1")
                              ? static_cast<QWidget*>(f.connectionWindow.get())
                              : &mainWindow;
        bool stoppedDuringImport = false;
        if (importing) {
            QByteArray rows = "n\n";
            for (int i = 0; i < 20000; ++i)
                rows += QByteArray::number(i) + '\n';
            mainWindow.fileList().AppendPath(f.env.writeFile(QStringLiteral("many.csv"), rows));
            qputenv("TEMP", f.env.tempFolder().toLocal8Bit());
            f.ui.onYield([&](int) {
                if (mainWindow.isImporting() && window->isVisible()) {
                    stoppedDuringImport = true;
                    window->close();
                }
            });
            QTimer::singleShot(0, &mainWindow, [&] { f.clickOnMainWindow("PushButton1"); });
        } else {
            QTimer::singleShot(0, window, [window] { window->close(); });
        }
        // Should the close not end the loop, this ends it with a code the test rejects
        // rather than letting the suite hang.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, [] { QApplication::exit(99); });
        guard.start(60000);
        QCOMPARE(QApplication::exec(), 0);
        qunsetenv("TEMP");
        QCOMPARE(stoppedDuringImport, importing);
        if (importing) {
            QVERIFY(!mainWindow.isImporting());
            QVERIFY(!f.ui.messageTexts().contains(QStringLiteral("Done.")));
        }
    }
};

QTEST_MAIN(WindowControlsTest)
#include "WindowControlsTest.moc"

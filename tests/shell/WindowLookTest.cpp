#include "ApplySkin.h"
#include "FaceColour.h"
#include "Failure.h"
#include "ShippedFiles.h"
#include "SkinFramework.h"
#include "TestEnvironment.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// A window as designed: white background, one control of each kind.
struct DesignedWindow
{
    QWidget window;
    QGroupBox* frame = new QGroupBox(QStringLiteral("Frame"), &window);
    QRadioButton* option = new QRadioButton(QStringLiteral("Option"), frame);
    QCheckBox* check = new QCheckBox(QStringLiteral("Check"), frame);
    QLabel* label = new QLabel(QStringLiteral("Label"), &window);
    QLineEdit* text = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QStringLiteral("Button"), &window);
    QListWidget* list = new QListWidget(&window);

    DesignedWindow()
    {
        QPalette white = window.palette();
        white.setColor(QPalette::Window, Qt::white);
        window.setPalette(white);
    }

    QColor background(const QWidget* widget) const
    {
        return widget->palette().color(QPalette::Window);
    }
};

} // namespace

class WindowLookTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY2(FaceColour() != QColor(Qt::white), "the face colour must differ from the design");
    }

    void cleanup() { qApp->setStyleSheet(QString()); }

    void twipsFollowTheLogicalDpi()
    {
        QCOMPARE(TwipsToPixels(5000, 96), 333);
        QCOMPARE(TwipsToPixels(5000, 144), 500);
        QCOMPARE(TwipsToPixels(1440, 96), 96);
        QCOMPARE(TwipsToPixels(0, 96), 0);
        QWidget widget;
        QCOMPARE(TwipsToPixelsX(5000, widget), TwipsToPixels(5000, widget.logicalDpiX()));
        QCOMPARE(TwipsToPixelsY(8700, widget), TwipsToPixels(8700, widget.logicalDpiY()));
    }

    void faceColourReachesTheNamedKindsOnly()
    {
        DesignedWindow w;
        const QColor textBase = w.text->palette().color(QPalette::Base);
        ApplyFaceColour(w.window);
        for (QWidget* painted : QList<QWidget*>{&w.window, w.frame, w.option, w.check, w.label}) {
            QCOMPARE(w.background(painted), FaceColour());
            QVERIFY(painted->autoFillBackground());
        }
        for (QWidget* kept : QList<QWidget*>{w.text, w.button, w.list})
            QVERIFY(!kept->autoFillBackground());
        QCOMPARE(w.text->palette().color(QPalette::Base), textBase);
    }

    void withoutSkinFileNothingIsSkinned()
    {
        TestEnvironment env;
        DesignedWindow w;
        SkinFramework skin;
        ApplySkin(w.window, skin, env.root());
        QVERIFY(!skin.isLoaded());
        QCOMPARE(w.background(&w.window), QColor(Qt::white));
        QVERIFY(w.window.styleSheet().isEmpty());
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void aFolderNamedLikeTheSkinIsNoSkin()
    {
        TestEnvironment env;
        QVERIFY(QDir(env.root()).mkpath(QStringLiteral("x/o.cjs")));
        DesignedWindow w;
        SkinFramework skin;
        QVERIFY(!SkinFileExists(env.root()));
        ApplySkin(w.window, skin, env.root());
        QVERIFY(!skin.isLoaded());
        QCOMPARE(w.background(&w.window), QColor(Qt::white));
    }

    void skinFileColoursAndSkinsInOrder()
    {
        TestEnvironment env;
        env.writeFile(QStringLiteral("x/o.cjs"), ShippedFile(QStringLiteral("x/o.cjs")));
        DesignedWindow w;
        SkinFramework skin;
        skin.setApplyOptions(4);
        ApplySkin(w.window, skin, env.root());

        QVERIFY(skin.isLoaded());
        QCOMPARE(skin.loadedSheet(), QString::fromUtf8(ShippedFile(QStringLiteral("x/o.cjs"))));
        QCOMPARE(skin.applyOptions(), 5); // bit 1 added, the others kept
        QVERIFY(skin.property(SkinFramework::AutoApplyNewWindowsProperty));
        QVERIFY(skin.property(SkinFramework::KeepDesignedFontsProperty));
        QCOMPARE(w.background(&w.window), FaceColour());
        QCOMPARE(w.background(w.label), FaceColour());

        // Worn by the whole application, with the face colour set before it was resolved.
        const QString worn = qApp->styleSheet();
        QVERIFY(worn.contains(QStringLiteral("QPushButton")));
        QVERIFY(!worn.contains(QStringLiteral("@face")));
        QVERIFY(worn.contains(FaceColour().name()));
    }

    void loadAppendsTheExtraSheet()
    {
        TestEnvironment env;
        const QString path = env.writeFile(QStringLiteral("s.cjs"), "QLabel { color: red; }");
        SkinFramework skin;
        skin.LoadSkin(path, QStringLiteral(" QLineEdit { color: blue; }"));
        QCOMPARE(skin.loadedSheet(),
                 QStringLiteral("QLabel { color: red; } QLineEdit { color: blue; }"));
    }

    void unreadableSkinIsAFailureAndKeepsTheLastSkin()
    {
        TestEnvironment env;
        const QString path = env.writeFile(QStringLiteral("s.cjs"), "QLabel { color: red; }");
        SkinFramework skin;
        skin.LoadSkin(path, QString());
        QVERIFY_THROWS_EXCEPTION(Failure, skin.LoadSkin(env.path(QStringLiteral("gone.cjs")), {}));
        QCOMPARE(skin.loadedSheet(), QStringLiteral("QLabel { color: red; }"));
    }

    void optionsAndPropertiesShapeTheSheet()
    {
        TestEnvironment env;
        const QString path = env.writeFile(
            QStringLiteral("s.cjs"),
            "QLabel { font-weight: bold; color: @facetext; font: 12pt Arial; background: @face }"
            " QLabel:disabled { color: @disabledtext }");
        QWidget window;
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
        palette.setColor(QPalette::WindowText, QColor(0xab, 0xcd, 0xef));
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x77, 0x66, 0x55));
        window.setPalette(palette);

        SkinFramework skin;
        skin.LoadSkin(path, QString());
        QCOMPARE(skin.sheetFor(window), skin.loadedSheet()); // nothing set: as written

        skin.setApplyOptions(SkinFramework::ResolveFaceColours);
        skin.setProperty(SkinFramework::KeepDesignedFontsProperty, true);
        QCOMPARE(skin.sheetFor(window),
                 QStringLiteral("QLabel {  color: #abcdef;  background: #123456 }"
                                " QLabel:disabled { color: #776655 }"));

        // Property 5 off: only the window applied to wears it.
        skin.ApplyWindow(window);
        QCOMPARE(window.styleSheet(), skin.sheetFor(window));
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void beforeLoadingApplyDoesNothing()
    {
        QWidget window;
        SkinFramework skin;
        skin.setProperty(SkinFramework::AutoApplyNewWindowsProperty, true);
        skin.ApplyWindow(window);
        QVERIFY(window.styleSheet().isEmpty());
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void unknownPropertyIsAFailure()
    {
        SkinFramework skin;
        try {
            skin.setProperty(7, true);
            QFAIL("property 7 was taken");
        } catch (const Failure& failure) {
            QCOMPARE(failure.number(), 438);
        }
        QVERIFY_THROWS_EXCEPTION(Failure, skin.property(0));
    }
};

QTEST_MAIN(WindowLookTest)
#include "WindowLookTest.moc"

// Mouse events go through the window, as the windowing system sends them, so they reach the
// control under the pointer and travel up its parents the way real moves do.
#define QTEST_QPA_MOUSE_HANDLING

#include "Failure.h"
#include "HoverRules.h"
#include "PointerFile.h"
#include "ShippedFiles.h"
#include "TestEnvironment.h"
#include "WindowCursor.h"
#include "WindowPointer.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtEndian>
#include <QtTest>

namespace {

// A one-image pointer file of the given kind (1 icon, 2 cursor): a 32-bit image, opaque
// black, with the hot spot (or, for an icon, planes and bit count) in its directory entry.
QByteArray pointerFileBytes(quint16 kind, int size, QPoint hotSpot)
{
    QByteArray image;
    const auto put16 = [](QByteArray& to, quint16 value) {
        char bytes[2];
        qToLittleEndian(value, bytes);
        to.append(bytes, 2);
    };
    const auto put32 = [](QByteArray& to, quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        to.append(bytes, 4);
    };
    put32(image, 40);
    put32(image, quint32(size));
    put32(image, quint32(size * 2));
    put16(image, 1);
    put16(image, 32);
    for (int field = 0; field < 6; ++field)
        put32(image, 0);
    for (int pixel = 0; pixel < size * size; ++pixel)
        put32(image, 0xff000000u);
    image.append(QByteArray(((size + 31) / 32) * 4 * size, '\0'));

    QByteArray file;
    put16(file, 0);
    put16(file, kind);
    put16(file, 1);
    file.append(char(size));
    file.append(char(size));
    file.append(char(0));
    file.append(char(0));
    put16(file, quint16(hotSpot.x()));
    put16(file, quint16(hotSpot.y()));
    put32(file, quint32(image.size()));
    put32(file, 22);
    return file + image;
}

// A window with controls under each rule and controls under none.
struct RuleWindow
{
    QWidget window;
    QGroupBox* frame = new QGroupBox(QStringLiteral("Frame"), &window);        // arrow
    QPushButton* button = new QPushButton(QStringLiteral("Go"), frame);        // hand
    QRadioButton* option = new QRadioButton(QStringLiteral("Opt"), frame);     // no rule
    QLabel* label = new QLabel(QStringLiteral("Label"), frame);                // no rule
    QLineEdit* text = new QLineEdit(&window);                                  // arrow
    QLineEdit* unnamedText = new QLineEdit(&window);                           // no rule
    QListWidget* list = new QListWidget(&window);                              // arrow
    QPushButton* otherButton = new QPushButton(QStringLiteral("Do"), &window); // hand
    WindowPointer pointer;
    WindowCursor cursor{pointer, window};

    RuleWindow()
    {
        window.resize(420, 320);
        frame->setGeometry(10, 10, 260, 180);
        button->setGeometry(10, 30, 100, 30);
        option->setGeometry(10, 70, 120, 25);
        label->setGeometry(10, 110, 100, 25);
        text->setGeometry(10, 210, 120, 25);
        unnamedText->setGeometry(150, 210, 120, 25);
        list->setGeometry(290, 10, 120, 120);
        otherButton->setGeometry(290, 150, 100, 30);
        InstallHandRule(pointer, {button, otherButton});
        InstallArrowRule(pointer, {&window, frame, text, list});
        window.show();
    }

    // Moves the pointer to the middle of the widget (or to the given point of it).
    void moveOver(QWidget* widget, QPoint at = {})
    {
        const QPoint local = at.isNull() ? widget->rect().center() : at;
        QTest::mouseMove(window.windowHandle(), widget->mapTo(&window, local));
    }
    QPoint background() const { return {300, 280}; }
    void moveToBackground() { QTest::mouseMove(window.windowHandle(), background()); }
};

} // namespace

class PointerRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void pointerReportsOnlyChanges()
    {
        WindowPointer pointer;
        QList<Pointer> shown;
        pointer.setChangeCallback([&](Pointer value) { shown.append(value); });
        pointer.set(Pointer::Busy);
        pointer.set(Pointer::Busy);
        pointer.set(Pointer::Default);
        QCOMPARE(shown, (QList<Pointer>{Pointer::Busy, Pointer::Default}));
        QVERIFY(!pointer.isBusy());
    }

    void rulesLeaveBusyAlone()
    {
        WindowPointer pointer;
        ApplyHandRule(pointer);
        QCOMPARE(pointer.value(), Pointer::Custom);
        ApplyArrowRule(pointer);
        QCOMPARE(pointer.value(), Pointer::Default);
        pointer.set(Pointer::Busy);
        ApplyHandRule(pointer);
        ApplyArrowRule(pointer);
        QCOMPARE(pointer.value(), Pointer::Busy);
    }

    void cursorFileGivesItsHotSpot()
    {
        TestEnvironment env;
        const QString path =
            env.writeFile(QStringLiteral("p.cur"), pointerFileBytes(2, 32, QPoint(7, 19)));
        const std::optional<PointerImage> pointer = ReadPointerFile(path);
        QVERIFY(pointer);
        QCOMPARE(pointer->image.size(), QSize(32, 32));
        QCOMPARE(pointer->hotSpot, QPoint(7, 19));

        const std::optional<QCursor> cursor = LoadPointerFile(path);
        QVERIFY(cursor);
        QCOMPARE(cursor->shape(), Qt::BitmapCursor);
        QCOMPARE(cursor->hotSpot(), QPoint(7, 19));
    }

    void iconActsAtItsCentre()
    {
        TestEnvironment env;
        const QString path =
            env.writeFile(QStringLiteral("p.ico"), pointerFileBytes(1, 32, QPoint(1, 32)));
        const std::optional<PointerImage> pointer = ReadPointerFile(path);
        QVERIFY(pointer);
        QCOMPARE(pointer->hotSpot, pointer->image.rect().center());
    }

    void shippedPointersAreReadable()
    {
        TestEnvironment env;
        const std::optional<PointerImage> hand = ReadPointerFile(
            env.writeFile(QStringLiteral("HAND-M.CUR"), ShippedFile(QStringLiteral("HAND-M.CUR"))));
        QVERIFY(hand);
        QCOMPARE(hand->image.size(), QSize(32, 32));
        // The finger tip: drawn, and nothing drawn above it.
        QCOMPARE(qAlpha(hand->image.pixel(hand->hotSpot)), 255);
        for (int y = 0; y < hand->hotSpot.y(); ++y)
            QCOMPARE(qAlpha(hand->image.pixel(hand->hotSpot.x(), y)), 0);

        const std::optional<PointerImage> drag = ReadPointerFile(
            env.writeFile(QStringLiteral("drag.ico"), ShippedFile(QStringLiteral("drag.ico"))));
        QVERIFY(drag);
        QCOMPARE(drag->image.size(), QSize(32, 32));
    }

    void damagedPointerFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = pointerFileBytes(2, 32, QPoint(3, 3));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("directory only") << good.left(10);
        QTest::newRow("image cut short") << good.left(good.size() - 200);
        QByteArray bitmap = good;
        bitmap[2] = 0; // kind 0 is neither icon nor cursor
        QTest::newRow("wrong kind") << bitmap;
        QByteArray noImages = good;
        noImages[4] = 0;
        QTest::newRow("no images") << noImages;
        QByteArray farOffset = good;
        qToLittleEndian<quint32>(0x7ffffff0u, farOffset.data() + 18);
        QTest::newRow("offset past the end") << farOffset;
        QTest::newRow("hot spot outside") << pointerFileBytes(2, 32, QPoint(40, 2));
        QTest::newRow("not a picture") << QByteArray("just some text in a cursor's name");
    }

    void damagedPointerFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        TestEnvironment env;
        QVERIFY(!ReadPointerFile(env.writeFile(QStringLiteral("bad.cur"), bytes)));
    }

    void missingPointerFileIsNothing()
    {
        TestEnvironment env;
        QVERIFY(!ReadPointerFile(env.path(QStringLiteral("none.cur"))));
    }

    void handCursorLoadsFromProgramFolder()
    {
        TestEnvironment env;
        env.writeFile(QStringLiteral("HAND-M.CUR"), pointerFileBytes(2, 32, QPoint(9, 1)));
        QWidget window;
        WindowPointer pointer;
        WindowCursor cursor(pointer, window);
        cursor.loadHandCursor(env.root());
        QVERIFY(cursor.hasHandCursor());
        pointer.set(Pointer::Custom);
        QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window.cursor().hotSpot(), QPoint(9, 1));
    }

    void withoutHandCursorCustomShowsArrow()
    {
        TestEnvironment env;
        QWidget window;
        WindowPointer pointer;
        WindowCursor cursor(pointer, window);
        cursor.loadHandCursor(env.root()); // no file: no failure, no image
        QVERIFY(!cursor.hasHandCursor());
        pointer.set(Pointer::Custom);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        pointer.set(Pointer::Busy);
        QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
        pointer.set(Pointer::Default);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }

    void unreadableHandCursorIsAFailure()
    {
        TestEnvironment env;
        env.writeFile(QStringLiteral("HAND-M.CUR"), QByteArray("not a cursor"));
        QWidget window;
        WindowPointer pointer;
        WindowCursor cursor(pointer, window);
        try {
            cursor.loadHandCursor(env.root());
            QFAIL("an unreadable cursor file was taken");
        } catch (const Failure& failure) {
            QCOMPARE(failure.number(), 481);
        }
        QVERIFY(!cursor.hasHandCursor());
    }

    void cursorLetsGoOfThePointer()
    {
        WindowPointer pointer;
        {
            QWidget window;
            WindowCursor cursor(pointer, window);
        }
        pointer.set(Pointer::Busy); // no display left to call
        QCOMPARE(pointer.value(), Pointer::Busy);
    }

    void handOverButtonsArrowElsewhere()
    {
        TestEnvironment env;
        env.writeFile(QStringLiteral("HAND-M.CUR"), pointerFileBytes(2, 32, QPoint(5, 0)));
        RuleWindow w;
        w.cursor.loadHandCursor(env.root());
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));

        w.moveOver(w.button);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
        QCOMPARE(w.button->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(w.button->cursor().hotSpot(), QPoint(5, 0));
        w.moveToBackground();
        QCOMPARE(w.pointer.value(), Pointer::Default);
        QCOMPARE(w.window.cursor().shape(), Qt::ArrowCursor);

        w.moveOver(w.otherButton);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
        w.moveOver(w.list->viewport());
        QCOMPARE(w.pointer.value(), Pointer::Default);
        w.moveOver(w.button);
        w.moveOver(w.text);
        QCOMPARE(w.pointer.value(), Pointer::Default);
        w.moveOver(w.button);
        w.moveOver(w.frame, QPoint(200, 150)); // inside the frame, off its controls
        QCOMPARE(w.pointer.value(), Pointer::Default);
    }

    void controlsWithoutRuleKeepThePointer()
    {
        RuleWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.moveOver(w.button);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
        // Inside the frame, which has the arrow rule, and still the hand stays. The option
        // button tracks the mouse for its own hover look and passes the move on to the frame.
        QVERIFY(w.option->hasMouseTracking());
        w.moveOver(w.option);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
        w.moveOver(w.label);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
        w.moveOver(w.unnamedText);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
        // Without a hand image, the hand rule shows the arrow.
        QCOMPARE(w.button->cursor().shape(), Qt::ArrowCursor);
    }

    void ruleControlsTrackTheMouse()
    {
        RuleWindow w;
        QVERIFY(w.window.hasMouseTracking());
        QVERIFY(w.button->hasMouseTracking());
        QVERIFY(w.list->viewport()->hasMouseTracking());
    }

    void busyHourglassSurvivesMoves()
    {
        RuleWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        w.pointer.set(Pointer::Busy);
        for (QWidget* over : QList<QWidget*>{w.button, w.frame, w.list->viewport(), w.text,
                                             w.otherButton, w.option}) {
            w.moveOver(over);
            QCOMPARE(w.pointer.value(), Pointer::Busy);
        }
        w.moveToBackground();
        QCOMPARE(w.pointer.value(), Pointer::Busy);
        QCOMPARE(w.window.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(w.button->cursor().shape(), Qt::WaitCursor);
        QCOMPARE(w.list->viewport()->cursor().shape(), Qt::WaitCursor);

        // Once the command ends, the next move picks again.
        w.pointer.set(Pointer::Default);
        w.moveOver(w.button);
        QCOMPARE(w.pointer.value(), Pointer::Custom);
    }
};

QTEST_MAIN(PointerRulesTest)
#include "PointerRulesTest.moc"

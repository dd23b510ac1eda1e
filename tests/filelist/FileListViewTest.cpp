// Mouse events go through the window, as the windowing system sends them.
#define QTEST_QPA_MOUSE_HANDLING

#include "FileListView.h"

#include "FileList.h"
#include "ListTestSupport.h"
#include "ScriptedInteraction.h"
#include "ShippedFiles.h"
#include "TestEnvironment.h"
#include "Twips.h"
#include "WindowPointer.h"

#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>

namespace {

// The main window's part in the list's life: its pointer, the list and the control.
struct ListWindow
{
    TestEnvironment env;
    ScriptedInteraction interaction;
    WindowPointer pointer;
    FileList list;
    QWidget window;
    FileListView* view = new FileListView(list, interaction, &window);

    explicit ListWindow(const QStringList& paths = {}, QSize size = QSize(360, 200))
    {
        for (const QString& path : paths)
            list.AppendPath(path);
        window.resize(size.width() + 20, size.height() + 20);
        view->setGeometry(10, 10, size.width(), size.height());
        view->setWindowPointer(&pointer);
        view->setProgramFolder(env.root());
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not exposed");
    }

    void shipDragIcon()
    {
        env.writeFile(QStringLiteral("drag.ico"), ShippedFile(QStringLiteral("drag.ico")));
    }

    QPoint at(int row) const
    {
        const QPoint inViewport = view->visualRect(list.index(row)).center();
        return view->viewport()->mapTo(&window, inViewport);
    }
    QPoint belowTheEntries() const
    {
        return view->viewport()->mapTo(&window, QPoint(20, view->viewport()->height() - 3));
    }
    QWindow* handle() { return window.windowHandle(); }

    void press(int row) { QTest::mousePress(handle(), Qt::LeftButton, {}, at(row)); }
    void moveTo(int row) { QTest::mouseMove(handle(), at(row)); }
    void release(int row) { QTest::mouseRelease(handle(), Qt::LeftButton, {}, at(row)); }
    void click(int row) { QTest::mouseClick(handle(), Qt::LeftButton, {}, at(row)); }

    QStringList texts() const { return ListTexts(list); }

    bool fullyVisible(int row) const
    {
        return view->viewport()->rect().contains(view->visualRect(list.index(row)));
    }
};

QStringList numbered(int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(QStringLiteral("/data/file%1.txt").arg(i));
    return paths;
}

} // namespace

class FileListViewTest : public QObject
{
    Q_OBJECT

private slots:
    void reportViewWithOneColumn()
    {
        ListWindow w(FiveEntries);
        QCOMPARE(w.view->header()->count(), 1);
        QVERIFY(!w.view->header()->isHidden());
        QCOMPARE(w.list.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Text Files"));
        QCOMPARE(w.view->header()->sectionSize(0), TwipsToPixelsX(5000, *w.view));
        w.view->setUpColumn();
        QCOMPARE(w.view->header()->count(), 1);
        QCOMPARE(w.view->toolTip(),
                 QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                                "line to right and out of window to reveal full names."));
        QVERIFY(!w.view->rootIsDecorated());
        QCOMPARE(w.view->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void acceptsDropsButNeverDragsOut()
    {
        ListWindow w(FiveEntries);
        QVERIFY(w.view->acceptDrops());
        QVERIFY(w.view->viewport()->acceptDrops());
        QVERIFY(!w.view->dragEnabled());
    }

    void dropHandlersReceiveWhatArrives()
    {
        ListWindow w;
        QStringList dropped;
        w.view->setDragOverHandler([](const QMimeData& data) { return data.hasUrls(); });
        w.view->setDropHandler([&](const QMimeData& data) {
            for (const QUrl& url : data.urls())
                dropped.append(url.toLocalFile());
        });
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/d/a.txt"))});
        const QPoint inside = w.view->viewport()->rect().center();
        QDragEnterEvent enter(inside, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.view->viewport(), &enter);
        QVERIFY(enter.isAccepted());

        QMimeData text;
        text.setText(QStringLiteral("words"));
        QDragMoveEvent overText(inside, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.view->viewport(), &overText);
        QVERIFY(!overText.isAccepted());

        QDropEvent drop(inside, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.view->viewport(), &drop);
        QCOMPARE(dropped, QStringList{QStringLiteral("/d/a.txt")});
        QCOMPARE(w.list.count(), 0); // the handler decides what is added
    }

    void deleteKeyRemovesTheSelectedEntry()
    {
        ListWindow w(FiveEntries);
        w.click(1);
        QTest::keyClick(w.view, Qt::Key_Backspace);
        QTest::keyClick(w.view, Qt::Key_X);
        QCOMPARE(w.texts(), FiveEntries);
        QTest::keyClick(w.view, Qt::Key_Delete);
        QCOMPARE(w.texts(), (QStringList{"1", "3", "4", "5"}));
    }

    void doubleClickRemovesTheSelectedEntry()
    {
        ListWindow w(FiveEntries);
        QTest::mouseDClick(w.handle(), Qt::LeftButton, {}, w.at(3));
        QCOMPARE(w.texts(), (QStringList{"1", "2", "3", "5"}));
    }

    void removalRefusesOnAnEmptyList()
    {
        ListWindow w;
        QTest::keyClick(w.view, Qt::Key_Delete);
        QTest::mouseDClick(w.handle(), Qt::LeftButton, {}, w.belowTheEntries());
        QCOMPARE(w.list.count(), 0);
    }

    void removalRefusesWhileTheWindowIsBusy()
    {
        ListWindow w(FiveEntries);
        w.click(2);
        w.pointer.set(Pointer::Busy);
        QTest::keyClick(w.view, Qt::Key_Delete);
        QTest::mouseDClick(w.handle(), Qt::LeftButton, {}, w.at(2));
        QCOMPARE(w.texts(), FiveEntries);
        w.pointer.set(Pointer::Default);
        QTest::keyClick(w.view, Qt::Key_Delete);
        QCOMPARE(w.texts(), (QStringList{"1", "2", "4", "5"}));
    }

    void dragThirdDownToFifth()
    {
        ListWindow w(FiveEntries);
        w.press(2);
        w.moveTo(3);
        w.moveTo(4);
        w.release(4);
        QCOMPARE(w.texts(), (QStringList{"1", "2", "4", "5", "3"}));
        QCOMPARE(w.list.selectedIndex(), 4);
        QCOMPARE(w.view->currentIndex().row(), 4);
    }

    void fastJumpSwapsOnlyTheEnds()
    {
        ListWindow w(FiveEntries);
        w.press(0);
        w.moveTo(3);
        w.release(3);
        QCOMPARE(w.texts(), (QStringList{"4", "2", "3", "1", "5"}));
        QCOMPARE(w.list.selectedIndex(), 3);
    }

    void duplicatesNeverSwap()
    {
        ListWindow w({"a", "b", "a"});
        w.press(0);
        w.moveTo(2);
        w.release(2);
        QCOMPARE(w.texts(), (QStringList{"a", "b", "a"}));
        QCOMPARE(w.list.selectedIndex(), 0);
    }

    void movingWithoutButtonChangesNothing()
    {
        ListWindow w(FiveEntries);
        w.click(1);
        w.moveTo(3);
        w.moveTo(0);
        QCOMPARE(w.texts(), FiveEntries);
        QCOMPARE(w.list.selectedIndex(), 1);
    }

    void movesOverTheListResetThePointerUnlessBusy()
    {
        ListWindow w(FiveEntries);
        w.pointer.set(Pointer::Custom);
        w.moveTo(1);
        QCOMPARE(w.pointer.value(), Pointer::Default);
        w.pointer.set(Pointer::Busy);
        w.moveTo(2);
        QCOMPARE(w.pointer.value(), Pointer::Busy);
    }

    void dragWorksWhileBusy()
    {
        ListWindow w(FiveEntries);
        w.pointer.set(Pointer::Busy);
        w.press(0);
        w.moveTo(1);
        w.release(1);
        QCOMPARE(w.texts(), (QStringList{"2", "1", "3", "4", "5"}));
        QCOMPARE(w.pointer.value(), Pointer::Busy);
    }

    void dragIconShowsWhileDraggingAndArrowAfter()
    {
        ListWindow w(FiveEntries);
        w.shipDragIcon();
        w.press(1);
        QCOMPARE(w.view->viewport()->cursor().shape(), Qt::BitmapCursor);
        w.moveTo(2);
        QCOMPARE(w.view->viewport()->cursor().shape(), Qt::BitmapCursor);
        w.release(2);
        QVERIFY(!w.view->viewport()->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(w.view->viewport()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!w.view->reorder().isPressed());
    }

    void missingOrDamagedDragIconKeepsThePointer()
    {
        ListWindow w(FiveEntries);
        w.press(1);
        QVERIFY(!w.view->viewport()->testAttribute(Qt::WA_SetCursor));
        w.moveTo(2);
        w.release(2);
        QCOMPARE(w.texts(), (QStringList{"1", "3", "2", "4", "5"}));

        w.env.writeFile(QStringLiteral("drag.ico"), QByteArray("damaged"));
        w.press(0);
        QVERIFY(!w.view->viewport()->testAttribute(Qt::WA_SetCursor));
        w.release(0);
    }

    void afterTheDraggedEntryIsRemovedDragsWaitForAClick()
    {
        ListWindow w(FiveEntries);
        w.click(2);
        QTest::keyClick(w.view, Qt::Key_Delete);
        QCOMPARE(w.texts(), (QStringList{"1", "2", "4", "5"}));

        // Button down off the entries: no click on an entry, so nothing is dragged.
        QTest::mousePress(w.handle(), Qt::LeftButton, {}, w.belowTheEntries());
        w.moveTo(0);
        w.moveTo(3);
        QTest::mouseRelease(w.handle(), Qt::LeftButton, {}, w.at(3));
        QCOMPARE(w.texts(), (QStringList{"1", "2", "4", "5"}));

        w.press(3);
        w.moveTo(2);
        w.release(2);
        QCOMPARE(w.texts(), (QStringList{"1", "2", "5", "4"}));
    }

    void dragScrollsByTheScreenRow_data()
    {
        QTest::addColumn<int>("screenRow");
        QTest::addColumn<bool>("upwards");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("304") << 304 << true << true;
        QTest::newRow("305") << 305 << true << false;
        QTest::newRow("364") << 364 << false << false;
        QTest::newRow("365") << 365 << false << true;
    }

    void dragScrollsByTheScreenRow()
    {
        QFETCH(int, screenRow);
        QFETCH(bool, upwards);
        QFETCH(bool, scrolls);
        ListWindow w(numbered(40), QSize(360, 140));
        const int edge = 20;
        w.view->scrollTo(w.list.index(edge), upwards ? QAbstractItemView::PositionAtTop
                                                     : QAbstractItemView::PositionAtBottom);
        const int from = upwards ? edge + 1 : edge - 1;
        const int beyond = upwards ? edge - 1 : edge + 1;
        QVERIFY(w.fullyVisible(from));
        QVERIFY(!w.fullyVisible(beyond));

        w.interaction.answerPointer(QPoint(500, screenRow));
        w.press(from);
        w.moveTo(edge);
        w.release(edge);
        QCOMPARE(w.list.path(edge), numbered(40).at(from));
        QCOMPARE(w.fullyVisible(beyond), scrolls);
        QCOMPARE(w.interaction.pointerQueries(), 1);
    }

    void listOutlivedByTheView()
    {
        // The window's members go before its child controls.
        auto list = std::make_unique<FileList>();
        ScriptedInteraction interaction;
        QWidget window;
        auto* view = new FileListView(*list, interaction, &window);
        list->AppendPath(QStringLiteral("a"));
        list->select(0);
        list.reset();
        QCOMPARE(view->model(), nullptr);
        view->RemoveSelected(); // must not reach the list that went
        QTest::keyClick(view, Qt::Key_Down);
    }
};

QTEST_MAIN(FileListViewTest)
#include "FileListViewTest.moc"

#include "FileList.h"

#include "ListReorder.h"
#include "ListTestSupport.h"
#include "ScriptedInteraction.h"

#include <QtTest>

namespace {

void fill(FileList& list, const QStringList& paths)
{
    for (const QString& path : paths)
        list.AppendPath(path);
}

// A press on the entry at index, as the list control reports it: button down, the click
// selects the entry, and the entry becomes the one dragged.
void pressOn(FileList& list, ListReorder& reorder, int index)
{
    reorder.buttonDown();
    list.select(index);
    reorder.takeDraggedEntry();
}

} // namespace

class FileListTest : public QObject
{
    Q_OBJECT

private slots:
    void appendKeepsTextsAndDuplicates()
    {
        FileList list;
        const QStringList paths{QStringLiteral("/d/a.txt"), QStringLiteral("/d/a.txt"),
                                QStringLiteral("  odd//name.csv "), QString()};
        fill(list, paths);
        QCOMPARE(list.count(), 4);
        QCOMPARE(ListTexts(list), paths);
        QCOMPARE(list.rowCount(), 4);
        QCOMPARE(list.data(list.index(2)).toString(), paths.at(2));
    }

    void outsideIndexesReadEmptyAndChangeNothing()
    {
        FileList list;
        fill(list, FiveEntries);
        QCOMPARE(list.path(-1), QString());
        QCOMPARE(list.path(5), QString());
        list.removeAt(5);
        list.removeAt(-1);
        list.swapTexts(0, 5);
        list.select(7);
        QCOMPARE(ListTexts(list), FiveEntries);
        QCOMPARE(list.selectedIndex(), -1);
    }

    void headerNamesTheColumn()
    {
        FileList list;
        QCOMPARE(list.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Text Files"));
        QVERIFY(!list.flags(list.index(0)).testFlag(Qt::ItemIsDragEnabled));
    }

    void removeSelectedTakesOnlyTheSelectedEntry()
    {
        FileList list;
        fill(list, FiveEntries);
        list.select(1);
        QVERIFY(list.RemoveSelected(false));
        QCOMPARE(ListTexts(list), (QStringList{"1", "3", "4", "5"}));
        // The entries below moved up; nothing is selected any more.
        QCOMPARE(list.selectedIndex(), -1);
        QVERIFY(!list.RemoveSelected(false));
        QCOMPARE(list.count(), 4);
    }

    void removeSelectedRefusesBusyAndEmpty()
    {
        FileList list;
        QVERIFY(!list.RemoveSelected(false));
        fill(list, FiveEntries);
        list.select(4);
        QVERIFY(!list.RemoveSelected(true));
        QCOMPARE(ListTexts(list), FiveEntries);
        QCOMPARE(list.selectedIndex(), 4);
    }

    void dragStraightDownSwapsStepByStep()
    {
        FileList list;
        fill(list, FiveEntries);
        ScriptedInteraction interaction;
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, 2);
        reorder.pointerMoved(2); // still over itself: same text, nothing
        reorder.pointerMoved(3);
        reorder.pointerMoved(4);
        reorder.buttonUp();
        QCOMPARE(ListTexts(list), (QStringList{"1", "2", "4", "5", "3"}));
        QCOMPARE(list.selectedIndex(), 4);
        QCOMPARE(reorder.draggedIndex(), 4);
        QCOMPARE(interaction.pointerQueries(), 2); // the screen row is read on swaps only
    }

    void jumpSwapsOnlyTheTwoEnds()
    {
        FileList list;
        fill(list, FiveEntries);
        ScriptedInteraction interaction;
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, 0);
        reorder.pointerMoved(3);
        QCOMPARE(ListTexts(list), (QStringList{"4", "2", "3", "1", "5"}));
    }

    void equalTextsNeverSwap()
    {
        FileList list;
        fill(list, {"a", "b", "a", "c"});
        ScriptedInteraction interaction;
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, 0);
        reorder.pointerMoved(2);
        QCOMPARE(ListTexts(list), (QStringList{"a", "b", "a", "c"}));
        QCOMPARE(reorder.draggedIndex(), 0);
        QCOMPARE(list.selectedIndex(), 0);
        QCOMPARE(interaction.pointerQueries(), 0);
    }

    void movesWithoutButtonOrOffEntriesChangeNothing()
    {
        FileList list;
        fill(list, FiveEntries);
        ScriptedInteraction interaction;
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, 1);
        reorder.buttonUp();
        QVERIFY(!reorder.pointerMoved(3));
        reorder.buttonDown();
        QVERIFY(!reorder.pointerMoved(-1));
        QVERIFY(!reorder.pointerMoved(5));
        QCOMPARE(ListTexts(list), FiveEntries);
    }

    void draggedEntryFollowsRemovalsOfOthers()
    {
        FileList list;
        fill(list, FiveEntries);
        ScriptedInteraction interaction;
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, 3);
        list.removeAt(0);
        QCOMPARE(reorder.draggedIndex(), 2);
        reorder.pointerMoved(3);
        QCOMPARE(ListTexts(list), (QStringList{"2", "3", "5", "4"}));
    }

    void removedDraggedEntryStopsDragsUntilNextClick()
    {
        FileList list;
        fill(list, FiveEntries);
        ScriptedInteraction interaction;
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, 2);
        QVERIFY(list.RemoveSelected(false));
        QCOMPARE(reorder.draggedIndex(), -1);
        reorder.buttonDown();
        reorder.pointerMoved(0);
        reorder.pointerMoved(3);
        QCOMPARE(ListTexts(list), (QStringList{"1", "2", "4", "5"}));

        pressOn(list, reorder, 1);
        reorder.pointerMoved(0);
        QCOMPARE(ListTexts(list), (QStringList{"2", "1", "4", "5"}));
    }

    void scrollFollowsTheScreenRow_data()
    {
        QTest::addColumn<int>("screenRow");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("over");
        QTest::addColumn<int>("scrollTo"); // -1: no scrolling
        QTest::newRow("304 scrolls up") << 304 << 5 << 4 << 3;
        QTest::newRow("305 stays") << 305 << 5 << 4 << -1;
        QTest::newRow("364 stays") << 364 << 3 << 4 << -1;
        QTest::newRow("365 scrolls down") << 365 << 3 << 4 << 5;
        QTest::newRow("304 over the first") << 304 << 1 << 0 << -1;
        QTest::newRow("365 over the last") << 365 << 8 << 9 << -1;
        QTest::newRow("far above") << -20 << 5 << 4 << 3;
    }

    void scrollFollowsTheScreenRow()
    {
        QFETCH(int, screenRow);
        QFETCH(int, from);
        QFETCH(int, over);
        QFETCH(int, scrollTo);
        FileList list;
        for (int i = 0; i < 10; ++i)
            list.AppendPath(QString::number(i));
        ScriptedInteraction interaction;
        interaction.answerPointer(QPoint(700, screenRow));
        ListReorder reorder(list, interaction);
        pressOn(list, reorder, from);
        const std::optional<int> visible = reorder.pointerMoved(over);
        QCOMPARE(visible.value_or(-1), scrollTo);
        QCOMPARE(list.path(over), QString::number(from));
    }
};

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"

#include "FileListView.h"

#include "HoverRules.h"
#include "PointerFile.h"
#include "ProgramFiles.h"
#include "Twips.h"
#include "WindowPointer.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

QString FileListView::toolTipText()
{
    return QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | line "
                          "to right and out of window to reveal full names.");
}

FileListView::FileListView(FileList& list, Interaction& interaction, QWidget* parent)
    : QTreeView(parent), m_list(&list), m_reorder(list, interaction)
{
    setModel(&list);
    setSelectionModel(list.selectionModel());
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    // Reordering is this control's own pointer handling, never a drag of entries.
    setDragEnabled(false);
    setAutoScroll(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    setToolTip(toolTipText());
    // The column keeps its width; the user widens it with the header's divider.
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUpColumn();
}

void FileListView::setUpColumn()
{
    header()->resizeSection(0, TwipsToPixelsX(ColumnWidthTwips, *this));
}

bool FileListView::windowBusy() const
{
    return m_windowPointer && m_windowPointer->isBusy();
}

void FileListView::RemoveSelected()
{
    if (m_list)
        m_list->RemoveSelected(windowBusy());
}

void FileListView::showDragPointer()
{
    // A missing or unreadable icon keeps the pointer the list has.
    if (const std::optional<QCursor> cursor = LoadPointerFile(DragIconPath(m_programFolder)))
        viewport()->setCursor(*cursor);
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    if (!m_list)
        return;
    m_reorder.buttonDown();
    QTreeView::mousePressEvent(event); // selects the entry pressed on
    if (indexAt(event->position().toPoint()).isValid()) {
        showDragPointer();
        m_reorder.takeDraggedEntry();
    }
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_windowPointer)
        ApplyArrowRule(*m_windowPointer);
    if (!m_list)
        return;
    if (!m_reorder.isPressed()) {
        if (event->buttons() == Qt::NoButton)
            QTreeView::mouseMoveEvent(event); // hover feedback only
        return;
    }
    const QModelIndex hover = indexAt(event->position().toPoint());
    if (const std::optional<int> visible =
            m_reorder.pointerMoved(hover.isValid() ? hover.row() : -1))
        scrollTo(m_list->index(*visible), QAbstractItemView::EnsureVisible);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event)
{
    m_reorder.buttonUp();
    // Without a pointer of its own the list shows the window's: the arrow after the move's
    // reset, or the hourglass while the window is busy.
    viewport()->unsetCursor();
    QTreeView::mouseReleaseEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    RemoveSelected();
}

void FileListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        event->accept();
        RemoveSelected();
        return;
    }
    QTreeView::keyPressEvent(event);
}

namespace {
// The list only takes the paths: a drop is always a copy, never a move, so the file manager
// never deletes the originals even when the user asked it to move them. A source that can
// only move is refused.
bool acceptAsCopy(QDropEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}
} // namespace

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_dragOver && event->mimeData() && m_dragOver(*event->mimeData()))
        acceptAsCopy(event);
    else
        event->ignore();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_dragOver && event->mimeData() && m_dragOver(*event->mimeData()))
        acceptAsCopy(event);
    else
        event->ignore();
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event)
{
    if (m_drop && event->mimeData() && acceptAsCopy(event)) {
        m_drop(*event->mimeData());
        return;
    }
    event->ignore();
}

bool FileListView::viewportEvent(QEvent* event)
{
    // The hint belongs to the whole control, entries included.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), toolTip(), viewport());
        return true;
    }
    return QTreeView::viewportEvent(event);
}

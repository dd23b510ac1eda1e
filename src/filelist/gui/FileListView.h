#pragma once

#include "FileList.h"
#include "ListReorder.h"

#include <functional>
#include <QPointer>
#include <QString>
#include <QTreeView>

class Interaction;
class QMimeData;
class WindowPointer;

// The main window's file list control: a report view with the single column "Text Files".
// Delete (key code 46) and a double-click remove the selected entry; pressing on an entry and
// moving the pointer reorders the entries. It never starts a drag of its own; drops from
// outside go to the drop handlers once they are set.
class FileListView : public QTreeView
{
    Q_OBJECT

public:
    static constexpr int ColumnWidthTwips = 5000;
    static QString toolTipText();

    FileListView(FileList& list, Interaction& interaction, QWidget* parent = nullptr);

    // The main window's pointer: removal refuses while it is busy, and every pointer move
    // over the list first applies the arrow rule to it. Without one, nothing is ever busy.
    void setWindowPointer(WindowPointer* pointer) { m_windowPointer = pointer; }
    // Where "drag.ico" is looked for.
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

    // The one column headed "Text Files", 5000 twips wide; the same after every call.
    void setUpColumn();

    void RemoveSelected();

    // Drops from outside. While something is dragged over the list, dragOver says whether
    // the proposed drop is taken; without it nothing is. drop receives what was dropped.
    void setDragOverHandler(std::function<bool(const QMimeData&)> handler)
    {
        m_dragOver = std::move(handler);
    }
    void setDropHandler(std::function<void(const QMimeData&)> handler)
    {
        m_drop = std::move(handler);
    }

    // Null once the list has gone; the control then does nothing.
    FileList* fileList() const { return m_list; }
    const ListReorder& reorder() const { return m_reorder; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    bool windowBusy() const;
    void showDragPointer();

    QPointer<FileList> m_list;
    ListReorder m_reorder;
    WindowPointer* m_windowPointer = nullptr;
    QString m_programFolder;
    std::function<bool(const QMimeData&)> m_dragOver;
    std::function<void(const QMimeData&)> m_drop;
};

#pragma once

#include "Interaction.h"

#include <optional>
#include <QPersistentModelIndex>

class FileList;

// Reordering the file list by dragging an entry over the others: the dragged entry and the
// entry under the pointer exchange texts (a swap, not a move). The dragged entry is followed
// through removals of other entries; once it is removed itself, drags do nothing until the
// next click on an entry.
class ListReorder
{
public:
    // Screen rows, in pixels from the top of the screen, that scroll the list while dragging.
    static constexpr int ScrollUpBelow = 305;
    static constexpr int ScrollDownFrom = 365;

    ListReorder(FileList& list, Interaction& interaction) : m_list(list), m_interaction(interaction)
    {
    }

    void buttonDown() { m_pressed = true; }
    // After a click on an entry: the list's selected entry is the one dragged.
    void takeDraggedEntry();
    // The pointer moved over the entry at hoverIndex (-1: over no entry). Returns the entry
    // to scroll into view, if any.
    std::optional<int> pointerMoved(int hoverIndex);
    void buttonUp() { m_pressed = false; }

    bool isPressed() const { return m_pressed; }
    // -1 when there is none, or it has been removed.
    int draggedIndex() const { return m_dragged.isValid() ? m_dragged.row() : -1; }

private:
    FileList& m_list;
    Interaction& m_interaction;
    bool m_pressed = false;
    QPersistentModelIndex m_dragged;
};

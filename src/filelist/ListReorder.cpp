#include "ListReorder.h"

#include "FileList.h"

void ListReorder::takeDraggedEntry()
{
    const int selected = m_list.selectedIndex();
    m_dragged =
        selected >= 0 ? QPersistentModelIndex(m_list.index(selected)) : QPersistentModelIndex();
}

std::optional<int> ListReorder::pointerMoved(int hoverIndex)
{
    if (!m_pressed || !m_dragged.isValid() || hoverIndex < 0 || hoverIndex >= m_list.count())
        return std::nullopt;
    const int dragged = m_dragged.row();
    if (m_list.path(dragged) == m_list.path(hoverIndex))
        return std::nullopt;

    m_list.swapTexts(dragged, hoverIndex);
    m_list.select(hoverIndex);
    m_dragged = QPersistentModelIndex(m_list.index(hoverIndex));

    const int screenRow = m_interaction.pointerPosition().y();
    if (screenRow < ScrollUpBelow) {
        if (hoverIndex >= 1)
            return hoverIndex - 1;
    } else if (screenRow >= ScrollDownFrom) {
        if (hoverIndex + 1 < m_list.count())
            return hoverIndex + 1;
    }
    return std::nullopt;
}

#include "TableList.h"

#include <algorithm>

QString TableList::currentText() const
{
    const int index = currentIndex();
    return index < 0 ? QString() : item(index);
}

void MemoryTableList::clear()
{
    m_items.clear();
    m_current = -1;
}

void MemoryTableList::insertItem(int index, const QString& text)
{
    index = std::clamp(index, 0, count());
    m_items.insert(index, text);
    if (m_current >= index)
        ++m_current;
}

void MemoryTableList::setCurrentIndex(int index)
{
    m_current = index >= 0 && index < count() ? index : -1;
}

bool ListContains(const TableList& list, const QString& text)
{
    const QString wanted = text.toLower();
    bool found = false;
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i).toLower() == wanted)
            found = true;
    return found;
}

#include "ListWidgetTableList.h"

#include <QListWidget>

int ListWidgetTableList::count() const
{
    return m_widget.count();
}

QString ListWidgetTableList::item(int index) const
{
    const QListWidgetItem* entry = m_widget.item(index);
    return entry ? entry->text() : QString();
}

void ListWidgetTableList::clear()
{
    m_widget.clear();
}

void ListWidgetTableList::addItem(const QString& text)
{
    m_widget.addItem(text);
}

void ListWidgetTableList::insertItem(int index, const QString& text)
{
    m_widget.insertItem(index, text);
}

int ListWidgetTableList::currentIndex() const
{
    // A current row that is not selected is no choice of the user's.
    const QListWidgetItem* current = m_widget.currentItem();
    return current && current->isSelected() ? m_widget.currentRow() : -1;
}

void ListWidgetTableList::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_widget.count()) {
        m_widget.setCurrentRow(-1);
        m_widget.clearSelection();
        return;
    }
    m_widget.setCurrentRow(index);
}

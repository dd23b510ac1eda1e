#include "FileList.h"

FileList::FileList(QObject* parent) : QAbstractListModel(parent), m_selection(this) {}

QString FileList::path(int index) const
{
    return holds(index) ? m_paths.at(index) : QString();
}

void FileList::AppendPath(const QString& path)
{
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_paths.append(path);
    endInsertRows();
}

void FileList::removeAt(int index)
{
    if (!holds(index))
        return;
    beginRemoveRows(QModelIndex(), index, index);
    m_paths.removeAt(index);
    endRemoveRows();
}

void FileList::swapTexts(int first, int second)
{
    if (!holds(first) || !holds(second) || first == second)
        return;
    m_paths.swapItemsAt(first, second);
    emit dataChanged(index(first), index(first));
    emit dataChanged(index(second), index(second));
}

int FileList::selectedIndex() const
{
    const QModelIndexList rows = m_selection.selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FileList::select(int index)
{
    if (!holds(index))
        return;
    m_selection.setCurrentIndex(this->index(index), QItemSelectionModel::ClearAndSelect);
}

bool FileList::RemoveSelected(bool mainWindowBusy)
{
    if (mainWindowBusy || count() == 0)
        return false;
    const int selected = selectedIndex();
    if (selected < 0)
        return false;
    removeAt(selected);
    return true;
}

int FileList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant FileList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !holds(index.row()) || index.column() != 0)
        return {};
    if (role == Qt::DisplayRole)
        return m_paths.at(index.row());
    return {};
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return columnTitle();
    return QAbstractListModel::headerData(section, orientation, role);
}

Qt::ItemFlags FileList::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // No drag flag: entries never leave the list by drag and drop.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

#include "FolderCollection.h"

int FolderCollection::removeFirst(const QString& folder)
{
    const qsizetype index = m_folders.indexOf(folder);
    if (index >= 0)
        m_folders.removeAt(index);
    return int(index);
}

#pragma once

#include <QString>
#include <QStringList>

// The folders of one scan, in scan order, each ending in the separator. Entries are appended
// at the end; a folder that cannot be listed is taken out again by its text.
class FolderCollection
{
public:
    FolderCollection() = default;
    explicit FolderCollection(const QString& first) { m_folders.append(first); }

    int count() const { return int(m_folders.size()); }
    bool isEmpty() const { return m_folders.isEmpty(); }
    const QString& at(int index) const { return m_folders.at(index); }
    const QStringList& entries() const { return m_folders; }

    void append(const QString& folder) { m_folders.append(folder); }
    // Removes the first entry equal to folder; returns its position, or -1 when there is none.
    int removeFirst(const QString& folder);

private:
    QStringList m_folders;
};

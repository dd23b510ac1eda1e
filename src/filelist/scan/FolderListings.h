#pragma once

#include "FolderAccess.h"
#include "NamePattern.h"

#include <optional>
#include <QHash>
#include <QString>
#include <QStringList>

// The file names a scan found while it read each folder for its sub-folders, so that no folder
// is read twice: the names ListFolderFiles would give for that folder and pattern, kept until
// its files are added. Only the matching names are kept, no more than the scan adds.
class FolderListings
{
public:
    explicit FolderListings(const QString& pattern) : m_pattern(pattern) {}

    const NamePattern& pattern() const { return m_pattern; }
    void keep(const QString& folder, QStringList names) { m_kept.insert(folder, std::move(names)); }
    // The names kept for folder (as ListFolderFiles names it, ending in the separator), taken
    // out; nothing when that folder was not read with its sub-folders.
    std::optional<QStringList> take(const QString& folder);

private:
    NamePattern m_pattern;
    QHash<QString, QStringList> m_kept;
};

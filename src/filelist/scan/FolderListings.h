#pragma once

#include "FolderAccess.h"
#include "NamePattern.h"

#include <optional>
#include <QHash>
#include <QString>
#include <QStringList>

// What a scan learned about its folders, so that none is read twice: the file names found while
// a folder was read for its sub-folders (the names ListFolderFiles would give for it and the
// pattern, kept until its files are added; only the matching names, no more than the scan adds),
// and each folder's attribute value, which the level-by-level collection asks for once at every
// level above the folder.
class FolderListings
{
public:
    explicit FolderListings(const QString& pattern) : m_pattern(pattern) {}

    const NamePattern& pattern() const { return m_pattern; }
    void keep(const QString& folder, QStringList names) { m_kept.insert(folder, std::move(names)); }
    // The names kept for folder (as ListFolderFiles names it, ending in the separator), taken
    // out; nothing when that folder was not read with its sub-folders.
    std::optional<QStringList> take(const QString& folder);

    void rememberAttributes(const QString& path, int value) { m_attributes.insert(path, value); }
    // The attribute value of path when this scan learned it; nothing otherwise.
    std::optional<int> knownAttributes(const QString& path) const
    {
        return m_attributes.value(path, std::nullopt);
    }
    // The attribute value of path as first learned in this scan.
    template <typename Read> std::optional<int> attributes(const QString& path, Read&& read)
    {
        const auto found = m_attributes.constFind(path);
        if (found != m_attributes.cend())
            return *found;
        const std::optional<int> value = read();
        m_attributes.insert(path, value);
        return value;
    }

private:
    NamePattern m_pattern;
    QHash<QString, std::optional<int>> m_attributes;
    QHash<QString, QStringList> m_kept;
};

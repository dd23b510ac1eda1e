#include "FolderListings.h"

std::optional<QStringList> FolderListings::take(const QString& folder)
{
    const auto found = m_kept.find(folder);
    if (found == m_kept.end())
        return std::nullopt;
    QStringList names = std::move(*found);
    m_kept.erase(found);
    return names;
}

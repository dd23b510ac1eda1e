#include "FolderFiles.h"

#include "PathText.h"

QStringList AddFolder::ListFolderFiles(const QString& folder, const QString& pattern,
                                       FolderAccess& access)
{
    const QString inside = folder.endsWith(NativeSeparator) ? folder : folder + NativeSeparator;
    QStringList names = access.fileNames(inside, NamePattern(pattern));
    names.removeIf([&](const QString& name) { return !access.fileExists(inside + name); });
    return names;
}

bool AddFolder::IsFileToAdd(const QString& name, const QString& path, FolderAccess& access)
{
    if (name.startsWith(u'~'))
        return false;
    if (!access.fileExists(path))
        return false;
    const std::optional<int> attributes = access.attributesOf(path);
    return attributes && *attributes != HiddenArchiveFile;
}

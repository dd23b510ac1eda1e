#include "FolderFiles.h"

#include "PathText.h"

QStringList AddFolder::ListFolderFiles(const QString& folder, const QString& pattern,
                                       FolderAccess& access)
{
    const QString inside = folder.endsWith(NativeSeparator) ? folder : folder + NativeSeparator;
    return access.fileNames(inside, NamePattern(pattern));
}

QStringList AddFolder::ListScannedFolderFiles(const QString& folder, FolderListings& listings,
                                              FolderAccess& access, bool& keptFromScan)
{
    const QString inside = folder.endsWith(NativeSeparator) ? folder : folder + NativeSeparator;
    if (std::optional<QStringList> kept = listings.take(inside)) {
        keptFromScan = true;
        return std::move(*kept);
    }
    keptFromScan = false;
    return access.fileNames(inside, listings.pattern());
}

bool AddFolder::IsFileToAdd(const QString& name, const QString& path, FolderAccess& access,
                            bool knownToExist, std::optional<int> knownAttributes)
{
    if (name.startsWith(u'~'))
        return false;
    if (!knownToExist && !access.fileExists(path))
        return false;
    // Only a hidden file can have the value 34, and only dot names are hidden (see
    // FileAttributes.h); the look-up is spared for all others, most files of a tree.
    if (!name.startsWith(u'.'))
        return true;
    const std::optional<int> attributes =
        knownToExist && knownAttributes ? knownAttributes : access.attributesOf(path);
    return attributes && *attributes != HiddenArchiveFile;
}

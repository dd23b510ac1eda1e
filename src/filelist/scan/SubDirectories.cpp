#include "SubDirectories.h"

#include "Failure.h"
#include "FileAttributes.h"
#include "Guard.h"
#include "PathText.h"
#include "UnsafeNames.h"

#include <optional>

namespace {

// IsFolder's answer from the attributes it reads; failures count as "not a folder".
std::optional<int> folderAttributes(ScanContext& context, const QString& path)
{
    try {
        const auto read = [&] { return context.access.attributesOf(path); };
        const std::optional<int> bits =
            context.listings ? context.listings->attributes(path, read) : read();
        if (bits && (*bits & FileAttribute::Directory) != 0)
            return bits;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

bool entered(FolderAccess& access, const QString& folder, int attributes)
{
    return (attributes != AddFolder::HiddenSystemFolder &&
            attributes != AddFolder::HiddenSystemLink) ||
           access.isRoot(folder);
}

// True when a link below folder leads to folder itself or to a folder above it. Entering it
// would repeat the same folders with ever longer paths, and two such links in one folder
// double the work at every level.
bool leadsBack(FolderAccess& access, const QString& folder, const QString& name)
{
    const QString target = access.resolvedPath(folder + name);
    if (target.isEmpty())
        return false;
    QString above = folder;
    for (;;) {
        if (access.resolvedPath(above) == target)
            return true;
        qsizetype end = above.size();
        while (end > 0 && above[end - 1] == NativeSeparator)
            --end;
        const qsizetype cut = end > 0 ? above.lastIndexOf(NativeSeparator, end - 1) : -1;
        if (cut < 0)
            return false;
        above.truncate(cut + 1);
    }
}

bool skippedName(const QString& name)
{
    return name.size() >= AddFolder::PathLimit || AddFolder::HasUnsafeCharacters(name) ||
           name.contains(u'?') || name == u"." || name == u"..";
}

// The sub-folders of folder; when the scan collects file names, the folder's matching names
// and the attributes its read gave are kept too. Listing failures pass to the caller.
QList<FolderAccess::SubFolder> listSubFolders(ScanContext& context, const QString& folder)
{
    if (!context.listings)
        return context.access.subFolders(folder);
    FolderAccess::Listing listing = context.access.list(folder, &context.listings->pattern());
    if (listing.filesListed) {
        for (auto it = listing.fileAttributes.cbegin(); it != listing.fileAttributes.cend(); ++it)
            if (it.value())
                context.listings->rememberAttributes(folder + it.key(), *it.value());
        context.listings->keep(folder, std::move(listing.fileNames));
    }
    return std::move(listing.subFolders);
}

// listSubFolders, or nothing when the listing failed. A folder that is refused or gone is
// taken out of folders; index, the position after it, follows the entries that move up.
std::optional<QList<FolderAccess::SubFolder>>
listOrTakeOut(ScanContext& context, FolderCollection& folders, int& index, const QString& folder)
{
    try {
        return listSubFolders(context, folder);
    } catch (const Failure& failure) {
        if (failure.number() == FolderAccess::PermissionDenied ||
            failure.number() == FolderAccess::PathNotFound) {
            // The entry that followed moves into the place just left.
            const int removedAt = folders.removeFirst(folder);
            if (removedAt >= 0 && removedAt < index)
                --index;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// Appends a sub-folder of folder to next, unless its name is skipped or it leads back up.
void queueSubFolder(ScanContext& context, const QString& folder, const FolderAccess::SubFolder& sub,
                    FolderCollection& next)
{
    context.pace();
    if (skippedName(sub.name))
        return;
    if (sub.link && leadsBack(context.access, folder, sub.name))
        return;
    QString path;
    path.reserve(folder.size() + sub.name.size() + 1);
    path.append(folder).append(sub.name).append(NativeSeparator);
    if (context.listings && sub.attributes)
        context.listings->rememberAttributes(path, *sub.attributes);
    next.append(path);
}

// Whether the scan lists folder's sub-folders: it is a folder, its path is short enough and
// it is not a hidden system folder.
bool worthListing(Guard& guard, ScanContext& context, const QString& folder)
{
    guard.setLine(104);
    const std::optional<int> attributes = folderAttributes(context, folder);
    if (!attributes)
        return false;
    guard.setLine(106);
    if (folder.size() >= AddFolder::PathLimit)
        return false;
    bool enter = false;
    guard.line(108, [&] {
        context.pace();
        enter = entered(context.access, folder, *attributes);
    });
    return enter;
}

// Appends to folders, in next's order, the sub-folders found that the scan enters.
void keepEnteredSubFolders(Guard& guard, ScanContext& context, const FolderCollection& next,
                           FolderCollection& folders)
{
    guard.setLine(116);
    for (const QString& sub : next.entries()) {
        const std::optional<int> attributes = folderAttributes(context, sub);
        if (!attributes)
            continue;
        guard.line(118, [&] {
            context.pace();
            if (entered(context.access, sub, *attributes))
                folders.append(sub);
        });
    }
}

} // namespace

void AddFolder::GetSubDirectories2016(FolderCollection& folders, bool recurse, ScanContext& context)
{
    Guard guard(context.interaction, Locations::FolderScan);

    guard.setLine(100);
    FolderCollection next;

    guard.setLine(102);
    int index = 0;
    while (index < folders.count()) {
        const QString folder = folders.at(index++);
        if (!worthListing(guard, context, folder))
            continue;

        guard.setLine(110);
        const std::optional<QList<FolderAccess::SubFolder>> subFolders =
            listOrTakeOut(context, folders, index, folder);
        if (!subFolders)
            continue;
        for (const FolderAccess::SubFolder& sub : *subFolders)
            guard.line(112, [&] { queueSubFolder(context, folder, sub, next); });
    }

    if (recurse && !next.isEmpty())
        guard.line(114, [&] { GetSubDirectories2016(next, true, context); });

    keepEnteredSubFolders(guard, context, next, folders);
}

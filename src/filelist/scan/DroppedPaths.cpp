#include "DroppedPaths.h"

#include "FileAttributes.h"
#include "FolderFiles.h"
#include "PathText.h"
#include "SubDirectories.h"

namespace {

enum class DroppedKind
{
    Gone,
    File,
    Folder
};

DroppedKind kindOf(FolderAccess& access, const QString& path)
{
    try {
        const std::optional<int> attributes = access.attributesOf(path);
        if (!attributes)
            return DroppedKind::Gone;
        return (*attributes & FileAttribute::Directory) != 0 ? DroppedKind::Folder
                                                             : DroppedKind::File;
    } catch (...) {
        return DroppedKind::Gone;
    }
}

// Passes over every failure but the program ending, which stops the whole drop.
template <typename Body> void quietly(Body&& body)
{
    try {
        body();
    } catch (const ProgramEnding&) {
        throw;
    } catch (...) {
    }
}

void addFolder(const QString& dropped, const AppendStep& append, ScanContext& context)
{
    FolderCollection folders(dropped + NativeSeparator);
    FolderListings listings(QStringLiteral("*.*"));
    ScanContext scan = context;
    scan.listings = &listings;
    AddFolder::GetSubDirectories2016(folders, true, scan);

    for (const QString& entry : folders.entries()) {
        const QString folder = entry.chopped(1);
        QStringList names;
        int listedAt = 0;
        bool keptFromScan = false;
        try {
            context.pace();
            names =
                AddFolder::ListScannedFolderFiles(folder, listings, context.access, keptFromScan);
            listedAt = context.pace.yields();
        } catch (...) {
            continue;
        }
        for (const QString& name : names) {
            quietly([&] {
                context.pace();
                const QString path = folder + NativeSeparator + name;
                if (AddFolder::IsFileToAdd(name, path, context.access,
                                           keptFromScan || context.pace.yields() == listedAt))
                    append(CleanPath(path));
            });
        }
    }
}

} // namespace

void AddDroppedPaths(const QStringList& paths, const AppendStep& append, Interaction& interaction,
                     FolderAccess& access, int yieldIntervalMs,
                     std::function<bool()> stopRequested) noexcept
{
    try {
        PacedYield pace(interaction, yieldIntervalMs, std::move(stopRequested));
        ScanContext context{interaction, access, pace};
        for (const QString& path : paths) {
            switch (kindOf(access, path)) {
            case DroppedKind::Gone:
                break;
            case DroppedKind::File:
                quietly([&] { append(path); });
                break;
            case DroppedKind::Folder:
                quietly([&] { addFolder(path, append, context); });
                break;
            }
        }
    } catch (...) {
        // Dropping never fails; the program ending stops it where it stands.
    }
}

#include "AddAllFilesInFolder.h"

#include "ApplicationTitle.h"
#include "FolderFiles.h"
#include "Guard.h"
#include "PathText.h"
#include "SubDirectories.h"

#include <optional>

namespace {
// Paths the scan built have no doubled separator unless the chosen folder had one; those that
// have none are clean as they are, save a leading separator where clean paths start with two.
// Names hold no separator, so a folder's answer holds for the files in it.
bool needsCleaning(const QString& path)
{
    static const QString doubled(2, NativeSeparator);
    return path.contains(doubled) || (NativeSeparator == u'\\' && path.startsWith(NativeSeparator));
}

// The extension and folder the user chose.
struct FolderChoice
{
    QString extension;
    QString folder;
};

// Asks for the extension and then the folder, each preset with the remembered answer, and
// remembers the new answers; nothing when either question is cancelled.
std::optional<FolderChoice> askForExtensionAndFolder(Guard& guard, Interaction& interaction,
                                                     const SettingsStore& settings)
{
    QString extension = AddFolderTexts::DefaultExtension;
    guard.line(100, [&] {
        extension = settings.GetSetting(SettingKeys::Extension, AddFolderTexts::DefaultExtension);
    });

    QString answer;
    guard.line(102, [&] {
        answer =
            interaction.inputBox(AddFolderTexts::ExtensionPrompt, ApplicationTitle(), extension);
    });
    guard.setLine(104);
    if (answer.isEmpty())
        return std::nullopt;
    guard.line(106, [&] { settings.SaveSetting(SettingKeys::Extension, answer); });

    QString lastFolder;
    guard.line(108, [&] { lastFolder = settings.GetSetting(SettingKeys::LastFolder, QString()); });

    QString chosen;
    guard.line(110, [&] {
        chosen = interaction.browseForFolder(AddFolderTexts::FolderTitle, lastFolder);
    });
    guard.setLine(112);
    if (chosen.isEmpty())
        return std::nullopt;
    guard.line(114, [&] { settings.SaveSetting(SettingKeys::LastFolder, chosen); });
    return FolderChoice{answer, chosen};
}

// Appends the matching files of one scanned folder (entry ends in the separator).
void addFilesOfFolder(Guard& guard, const QString& entry, ScanContext& context,
                      const AppendStep& append)
{
    const QString folder = entry.chopped(1);
    const bool cleanFolder = !needsCleaning(entry);
    FolderListings& listings = *context.listings;
    PacedYield& pace = context.pace;
    QStringList names;
    int listedAt = 0;
    bool keptFromScan = false;
    if (!guard.line(124, [&] {
            pace();
            names =
                AddFolder::ListScannedFolderFiles(folder, listings, context.access, keptFromScan);
            listedAt = pace.yields();
        }))
        return;
    for (const QString& name : names) {
        guard.line(126, [&] {
            pace();
            // Built in one allocation: a large tree has many files.
            QString path;
            path.reserve(entry.size() + name.size());
            path.append(entry).append(name);
            // A name the scan's read found exists as of that read, as for find.
            // Only a dot name's attributes are ever asked for.
            const std::optional<int> known =
                name.startsWith(u'.') ? listings.knownAttributes(path) : std::nullopt;
            if (AddFolder::IsFileToAdd(name, path, context.access,
                                       keptFromScan || pace.yields() == listedAt, known))
                append(cleanFolder && !name.contains(NativeSeparator) ? path : CleanPath(path));
        });
    }
}
} // namespace

void AddAllFilesInFolder(Interaction& interaction, const SettingsStore& settings,
                         WindowPointer& pointer, const AppendStep& append, FolderAccess& access,
                         int yieldIntervalMs, std::function<bool()> stopRequested)
{
    Guard guard(interaction, Locations::AddAllFilesInFolder);
    const std::optional<FolderChoice> choice =
        askForExtensionAndFolder(guard, interaction, settings);
    if (!choice)
        return;

    guard.line(116, [&] { pointer.set(Pointer::Busy); });

    PacedYield pace(interaction, yieldIntervalMs, std::move(stopRequested));
    FolderListings listings(QStringLiteral("*.") + choice->extension);
    ScanContext context{interaction, access, pace, &listings};
    FolderCollection folders;
    try {
        guard.line(118, [&] { folders.append(choice->folder + NativeSeparator); });
        guard.line(120, [&] { AddFolder::GetSubDirectories2016(folders, true, context); });

        guard.setLine(122);
        for (const QString& entry : folders.entries())
            addFilesOfFolder(guard, entry, context, append);
    } catch (const ProgramEnding&) {
    }
    guard.line(128, [&] { pointer.set(Pointer::Default); });
}

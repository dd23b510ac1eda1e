#include "AddAllFilesInFolder.h"

#include "ApplicationTitle.h"
#include "FolderFiles.h"
#include "Guard.h"
#include "PathText.h"
#include "SubDirectories.h"

namespace {
// Paths the scan built have no doubled separator unless the chosen folder had one; those that
// have none are clean as they are, save a leading separator where clean paths start with two.
// Names hold no separator, so a folder's answer holds for the files in it.
bool needsCleaning(const QString& path, const QString& doubled)
{
    return path.contains(doubled) || (NativeSeparator == u'\\' && path.startsWith(NativeSeparator));
}
} // namespace

void AddAllFilesInFolder(Interaction& interaction, const SettingsStore& settings,
                         WindowPointer& pointer, const AppendStep& append, FolderAccess& access,
                         int yieldIntervalMs, std::function<bool()> stopRequested)
{
    Guard guard(interaction, Locations::AddAllFilesInFolder);

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
        return;
    guard.line(106, [&] { settings.SaveSetting(SettingKeys::Extension, answer); });

    QString lastFolder;
    guard.line(108, [&] { lastFolder = settings.GetSetting(SettingKeys::LastFolder, QString()); });

    QString chosen;
    guard.line(110, [&] {
        chosen = interaction.browseForFolder(AddFolderTexts::FolderTitle, lastFolder);
    });
    guard.setLine(112);
    if (chosen.isEmpty())
        return;
    guard.line(114, [&] { settings.SaveSetting(SettingKeys::LastFolder, chosen); });

    guard.line(116, [&] { pointer.set(Pointer::Busy); });

    PacedYield pace(interaction, yieldIntervalMs, std::move(stopRequested));
    FolderListings listings(QStringLiteral("*.") + answer);
    ScanContext context{interaction, access, pace, &listings};
    FolderCollection folders;
    try {
        guard.line(118, [&] { folders.append(chosen + NativeSeparator); });
        guard.line(120, [&] { AddFolder::GetSubDirectories2016(folders, true, context); });

        guard.setLine(122);
        const QString doubled(2, NativeSeparator);
        for (const QString& entry : folders.entries()) {
            const QString folder = entry.chopped(1);
            const bool cleanFolder = !needsCleaning(entry, doubled);
            QStringList names;
            int listedAt = 0;
            bool keptFromScan = false;
            if (!guard.line(124, [&] {
                    pace();
                    names =
                        AddFolder::ListScannedFolderFiles(folder, listings, access, keptFromScan);
                    listedAt = pace.yields();
                }))
                continue;
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
                    if (AddFolder::IsFileToAdd(name, path, access,
                                               keptFromScan || pace.yields() == listedAt, known))
                        append(cleanFolder && !name.contains(NativeSeparator) ? path
                                                                              : CleanPath(path));
                });
            }
        }

    } catch (const ProgramEnding&) {
    }
    guard.line(128, [&] { pointer.set(Pointer::Default); });
}

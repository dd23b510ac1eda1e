#pragma once

#include "AppendStep.h"
#include "FolderAccess.h"
#include "Interaction.h"
#include "PacedYield.h"
#include "SettingsStore.h"
#include "WindowPointer.h"

#include <QString>

// "Add All File(s) In Folder": asks for an extension (remembered as Extension) and a folder
// (remembered as LastFolder), then appends every file of that folder and of all its
// sub-folders whose name matches "*." + the extension, folder by folder, level by level.
// The window's pointer is busy while the folders are scanned. Failures are reported with
// the button's location and the command goes on.
void AddAllFilesInFolder(Interaction& interaction, const SettingsStore& settings,
                         WindowPointer& pointer, const AppendStep& append,
                         FolderAccess& access = FolderAccess::system(),
                         int yieldIntervalMs = PacedYield::DefaultIntervalMs,
                         std::function<bool()> stopRequested = {});

namespace AddFolderTexts {
inline const QString ExtensionPrompt =
    QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt files, "
                   "doc for all doc files, etc.)");
inline const QString FolderTitle = QStringLiteral("Please select folder:");
inline const QString DefaultExtension = QStringLiteral("txt");
} // namespace AddFolderTexts

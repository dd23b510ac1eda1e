#pragma once

#include "AppendStep.h"
#include "FolderAccess.h"
#include "Interaction.h"
#include "PacedYield.h"

#include <QStringList>

// A drop of files and folders onto the file list, paths in the order the drag source gave
// them. A file is appended as it is; a folder is replaced by every file of it and of all its
// sub-folders (any name, "~" names and hidden archived files left out, paths cleaned), each
// dropped folder scanned on its own. A path that has gone is skipped and a folder whose files
// cannot be listed is passed over. Only the folder scan itself reports failures; nothing here
// throws.
void AddDroppedPaths(const QStringList& paths, const AppendStep& append, Interaction& interaction,
                     FolderAccess& access = FolderAccess::system(),
                     int yieldIntervalMs = PacedYield::DefaultIntervalMs,
                     std::function<bool()> stopRequested = {}) noexcept;

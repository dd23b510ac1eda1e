#pragma once

#include "FolderCollection.h"
#include "ScanContext.h"

namespace AddFolder {

// Paths and names this long or longer are not entered.
inline constexpr qsizetype PathLimit = 260;

// The attribute values of folders that a scan does not enter (unless they are a root):
// hidden + system directories, and the same reached through a reparse point.
inline constexpr int HiddenSystemFolder = 22;
inline constexpr int HiddenSystemLink = 1046;

// Extends folders level by level: first the direct sub-folders of its entries, grouped by
// parent in the parents' order, then (when recurse is true) theirs, and so on. An entry
// whose sub-folders cannot be listed because access is denied or it has gone is taken out;
// other listing failures leave it. Other failures are reported with the folder scan's
// location and the scan goes on.
void GetSubDirectories2016(FolderCollection& folders, bool recurse, ScanContext& context);

} // namespace AddFolder

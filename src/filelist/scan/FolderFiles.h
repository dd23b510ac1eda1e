#pragma once

#include "FolderAccess.h"
#include "FolderListings.h"

#include <QString>
#include <QStringList>

namespace AddFolder {

// The attribute value of a file that folder scans leave out: hidden + archive, nothing else.
inline constexpr int HiddenArchiveFile = 34;

// The names of the files (no folders; hidden ones included) of folder that match pattern
// and pass FileExists, in the order the file system gives them. A separator is added to
// folder when it has none at its end. Listing failures pass to the caller.
QStringList ListFolderFiles(const QString& folder, const QString& pattern,
                            FolderAccess& access = FolderAccess::system());

// ListFolderFiles for a folder of a scan: the names kept from the scan's own read of it when
// there are (keptFromScan then says so), otherwise read now.
QStringList ListScannedFolderFiles(const QString& folder, FolderListings& listings,
                                   FolderAccess& access, bool& keptFromScan);

// Whether a listed file goes into the file list: its name does not begin with "~", it exists
// and its attribute value is not exactly HiddenArchiveFile. When ListFolderFiles has just
// found it (no yield since), its existence is known and not asked again: on a large tree
// that second look-up costs a fifth of the scan. The same holds for an attribute value the
// scan's read of the folder learned.
bool IsFileToAdd(const QString& name, const QString& path, FolderAccess& access,
                 bool knownToExist = false, std::optional<int> knownAttributes = std::nullopt);

} // namespace AddFolder

#pragma once

#include "NamePattern.h"

#include <optional>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// What a folder scan asks of the file system, in one place so that tests can make single
// answers fail (permission bits stop no one running as root). The base class answers from
// the real file system.
//
// Listing failures are thrown as Failure with the numbers the scan tells apart:
// PermissionDenied and PathNotFound, anything else OtherError.
class FolderAccess
{
public:
    static constexpr int PermissionDenied = 70;
    static constexpr int PathNotFound = 76;
    static constexpr int OtherError = 75;

    struct SubFolder
    {
        QString name;
        bool link = false; // reached through a symbolic link
        // What attributesOf() gives for its entry in a scan (name and separator after the
        // folder), when the listing learned it; list() does, subFolders() does not.
        std::optional<int> attributes;
    };

    virtual ~FolderAccess() = default;

    // The direct sub-folders of folder (links to folders included, "." and ".." left out),
    // in the order the file system gives them. A name that the file-name encoding cannot
    // represent comes back with "?" in place of what it could not decode.
    virtual QList<SubFolder> subFolders(const QString& folder);

    // The names of the entries of folder that are not folders (hidden ones included), match
    // pattern and pass FileExists(folder + name), in the order the file system gives them.
    // The existence test is answered from the listing itself: a second look-up of each name
    // would cost more than the listing.
    virtual QStringList fileNames(const QString& folder, const NamePattern& pattern);

    struct Listing
    {
        QList<SubFolder> subFolders;
        QStringList fileNames;
        bool filesListed = false; // false: the file names were not read with the sub-folders
        // What attributesOf() gives for folder + name, for the listed names it learned it of.
        QHash<QString, std::optional<int>> fileAttributes;
    };
    // One read of folder: its sub-folders as subFolders() gives them and, when a pattern is
    // given, the names fileNames() gives for it, each entry classified as it is read.
    virtual Listing list(const QString& folder, const NamePattern* pattern);

    // The attribute bits of FileAttributesOf, or nothing when the entry cannot be read.
    virtual std::optional<int> attributesOf(const QString& path);
    // FileExists, answered with a single look-up.
    virtual bool fileExists(const QString& path);
    // The path with every link resolved; "" when it cannot be resolved.
    virtual QString resolvedPath(const QString& path);
    // True for the root of a file system ("/", or "C:\" where there are drives).
    virtual bool isRoot(const QString& folder);

    // The instance that works on the real file system.
    static FolderAccess& system();
};

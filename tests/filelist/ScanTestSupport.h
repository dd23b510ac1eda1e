#pragma once

#include "Failure.h"
#include "FolderAccess.h"

#include <QHash>
#include <QSet>
#include <QStringList>

// The real file system with sorted listings, so that orders can be compared exactly, and
// with single answers replaced: listing failures, attribute values, invented entries.
class ScriptedFolderAccess : public FolderAccess
{
public:
    QList<SubFolder> subFolders(const QString& folder) override;
    QStringList fileNames(const QString& folder, const NamePattern& pattern) override;
    Listing list(const QString& folder, const NamePattern* pattern) override;
    std::optional<int> attributesOf(const QString& path) override;
    bool fileExists(const QString& path) override;
    bool isRoot(const QString& folder) override;

    QHash<QString, Failure> subFolderFailures; // by folder, as the scan names it
    QHash<QString, Failure> fileFailures;
    QHash<QString, Failure> rootFailures;
    QHash<QString, int> attributes;
    // Folders whose listings are invented (no sub-folders, these files), for trees that
    // cannot be made in a test, such as the root's.
    QHash<QString, QStringList> inventedFiles;
    QSet<QString> inventedExisting;
    // How often each folder's entries were read, by any of the three listings.
    QHash<QString, int> reads;
    QHash<QString, int> attributeReads;
};

// Creates the files and folders ("name/" for a folder) below root; files hold their name.
void makeTree(const QString& root, const QStringList& entries);

// The paths with root + "/" taken off their beginning.
QStringList relativeTo(const QString& root, const QStringList& paths);

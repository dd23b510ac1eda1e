#include "ScanTestSupport.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
bool byName(const FolderAccess::SubFolder& a, const FolderAccess::SubFolder& b)
{
    return a.name < b.name;
}
} // namespace

QList<FolderAccess::SubFolder> ScriptedFolderAccess::subFolders(const QString& folder)
{
    ++reads[folder];
    if (subFolderFailures.contains(folder))
        throw *subFolderFailures.constFind(folder);
    if (inventedFiles.contains(folder))
        return {};
    QList<SubFolder> found = FolderAccess::subFolders(folder);
    std::sort(found.begin(), found.end(), byName);
    return found;
}

FolderAccess::Listing ScriptedFolderAccess::list(const QString& folder, const NamePattern* pattern)
{
    if (!pattern)
        return {subFolders(folder), {}, false, {}};
    ++reads[folder];
    if (subFolderFailures.contains(folder))
        throw *subFolderFailures.constFind(folder);
    if (inventedFiles.contains(folder)) {
        QStringList names = inventedFiles.value(folder);
        names.sort();
        return {{}, names, true, {}};
    }
    Listing listing = FolderAccess::list(folder, pattern);
    std::sort(listing.subFolders.begin(), listing.subFolders.end(), byName);
    for (SubFolder& sub : listing.subFolders) {
        const QString path = folder + sub.name + u'/';
        if (attributes.contains(path))
            sub.attributes = attributes.value(path);
    }
    listing.fileNames.sort();
    for (auto it = listing.fileAttributes.begin(); it != listing.fileAttributes.end(); ++it)
        if (attributes.contains(folder + it.key()))
            it.value() = attributes.value(folder + it.key());
    // A file listing that fails is left to fail when the files are asked for.
    if (fileFailures.contains(folder))
        listing = {listing.subFolders, {}, false, {}};
    return listing;
}

QStringList ScriptedFolderAccess::fileNames(const QString& folder, const NamePattern& pattern)
{
    ++reads[folder];
    if (fileFailures.contains(folder))
        throw *fileFailures.constFind(folder);
    QStringList found = inventedFiles.contains(folder) ? inventedFiles.value(folder)
                                                       : FolderAccess::fileNames(folder, pattern);
    found.sort();
    return found;
}

std::optional<int> ScriptedFolderAccess::attributesOf(const QString& path)
{
    ++attributeReads[path];
    if (attributes.contains(path))
        return attributes.value(path);
    return FolderAccess::attributesOf(path);
}

bool ScriptedFolderAccess::fileExists(const QString& path)
{
    return inventedExisting.contains(path) || FolderAccess::fileExists(path);
}

bool ScriptedFolderAccess::isRoot(const QString& folder)
{
    if (rootFailures.contains(folder))
        throw *rootFailures.constFind(folder);
    return FolderAccess::isRoot(folder);
}

void makeTree(const QString& root, const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QString path = root + u'/' + entry;
        if (entry.endsWith(u'/')) {
            QDir().mkpath(path);
            continue;
        }
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(entry.toUtf8());
    }
}

QStringList relativeTo(const QString& root, const QStringList& paths)
{
    QStringList relative;
    for (const QString& path : paths)
        relative.append(path.startsWith(root + u'/') ? path.mid(root.size() + 1) : path);
    return relative;
}

#include "ScanTestSupport.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QList<FolderAccess::SubFolder> ScriptedFolderAccess::subFolders(const QString& folder)
{
    if (subFolderFailures.contains(folder))
        throw *subFolderFailures.constFind(folder);
    if (inventedFiles.contains(folder))
        return {};
    QList<SubFolder> found = FolderAccess::subFolders(folder);
    std::sort(found.begin(), found.end(),
              [](const SubFolder& a, const SubFolder& b) { return a.name < b.name; });
    return found;
}

QStringList ScriptedFolderAccess::fileNames(const QString& folder, const NamePattern& pattern)
{
    if (fileFailures.contains(folder))
        throw *fileFailures.constFind(folder);
    QStringList found = inventedFiles.contains(folder) ? inventedFiles.value(folder)
                                                       : FolderAccess::fileNames(folder, pattern);
    found.sort();
    return found;
}

std::optional<int> ScriptedFolderAccess::attributesOf(const QString& path)
{
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

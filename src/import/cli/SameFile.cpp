#include "SameFile.h"

#include "PathTests.h"

#include <QDir>
#include <QFileInfo>

namespace {
// Where a path would be, with its folder resolved: links and ".." in the folder are followed.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : QDir(folder).filePath(info.fileName());
}
} // namespace

bool NameSameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const bool aExists = QFileInfo::exists(a);
    const bool bExists = QFileInfo::exists(b);
    if (aExists && bExists)
        return SameFile(a, b);
    return aExists == bExists && resolved(a) == resolved(b);
}

QString ErrorsFileConflict(const QString& path, const QStringList& inputs,
                           const QString& databasePath)
{
    for (const QString& input : inputs)
        if (input != QLatin1String("-") && NameSameFile(path, input))
            return QStringLiteral("the errors file %1 is one of the files to load").arg(path);
    if (databasePath.isEmpty())
        return {};
    for (const char* companion : {"", "-journal", "-wal", "-shm"})
        if (NameSameFile(path, databasePath + QLatin1String(companion)))
            return QStringLiteral("the errors file %1 is the database %2").arg(path, databasePath);
    return {};
}

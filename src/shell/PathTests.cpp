#include "PathTests.h"

#include "FileAttributes.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

bool PathExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

bool FileExists(const QString& path)
{
    if (path.isEmpty() || path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?')))
        return false;
    // A name that does not survive the trip through the file-name encoding reaches the file
    // system as some other name.
    if (QFile::decodeName(QFile::encodeName(path)) != path)
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool IsFolder(const QString& path)
{
    const std::optional<int> bits = FileAttributesOf(path);
    return bits && (*bits & FileAttribute::Directory) != 0;
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

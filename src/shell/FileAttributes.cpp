#include "FileAttributes.h"

#include <QFileInfo>

std::optional<int> FileAttributesOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    const bool link = info.isSymLink();
    if (!info.exists() && !link)
        return std::nullopt;

    int bits = 0;
    if (link)
        bits |= FileAttribute::ReparsePoint;
    if (info.fileName().startsWith(QLatin1Char('.')))
        bits |= FileAttribute::Hidden;
    if (!info.exists())
        return bits; // a dangling link: nothing more can be learned about it
    if (info.isDir())
        bits |= FileAttribute::Directory;
    else if (info.isFile())
        bits |= FileAttribute::Archive;
    if (!info.permission(QFileDevice::WriteOwner))
        bits |= FileAttribute::ReadOnly;
    return bits;
}

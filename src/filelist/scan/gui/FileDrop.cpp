#include "FileDrop.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

bool AcceptsFileDrop(const QMimeData& data)
{
    if (!data.hasUrls())
        return false;
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty())
        return false;
    for (const QUrl& url : urls)
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return false;
    return true;
}

QStringList DroppedLocalPaths(const QMimeData& data)
{
    QStringList paths;
    if (!AcceptsFileDrop(data))
        return paths;
    for (const QUrl& url : data.urls())
        paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    return paths;
}

#include "FileOperations.h"

#include "PathTests.h"
#include "PathText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
bool hasWildcard(QStringView text)
{
    return text.contains(u'*') || text.contains(u'?');
}

constexpr Qt::CaseSensitivity fileNameCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

// "*" matches any run of characters (also none), "?" exactly one; nothing else is special.
bool matchesWildcard(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' ||
                    QStringView(pattern).mid(p, 1).compare(name.mid(n, 1), fileNameCase) == 0)) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

void deleteOneFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return;
    if (QFile::remove(path))
        return;
    // A read-only file: some platforms refuse to delete it until it may be written.
    if (info.exists() && !info.isSymLink()) {
        const QFileDevice::Permissions before = info.permissions();
        QFile::setPermissions(path, before | QFileDevice::WriteOwner);
        // A delete that still fails leaves the file as it was found.
        if (!QFile::remove(path))
            QFile::setPermissions(path, before);
    }
}
} // namespace

void DeleteFileQuietly(Interaction& interaction, const QString& path)
{
    interaction.yield();
    if (path.isEmpty())
        return;
    const qsizetype cut = path.lastIndexOf(NativeSeparator);
    const QString name = path.mid(cut + 1);
    if (!hasWildcard(name)) {
        deleteOneFile(path);
        return;
    }
    const QString folder = cut < 0 ? QStringLiteral(".") : path.left(cut + 1);
    const QDir dir(folder);
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (matchesWildcard(name, entry))
            deleteOneFile(dir.filePath(entry));
}

void CopyFileIfPossible(const QString& source, const QString& destination)
{
    if (destination.trimmed().isEmpty() || source.trimmed().isEmpty())
        return;
    const QString s = CleanPath(source);
    QString d = CleanPath(destination);
    if (hasWildcard(s))
        d = ParentFolderOf(d);
    if (IsFolder(ParentFolderOf(d)) && FileExists(s))
        CopyFileQuietly(s, d);
}

void CopyFileQuietly(const QString& source, const QString& destination)
{
    const QFileInfo from(source);
    if (source.isEmpty() || destination.isEmpty() || hasWildcard(source) || !from.isFile())
        return;
    QString target = destination;
    if (target.endsWith(NativeSeparator))
        target += from.fileName();
    const QFileInfo to(target);
    if (to.isDir() || (to.exists() && !to.permission(QFileDevice::WriteOwner)))
        return;

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0) {
            out.cancelWriting();
            break;
        }
        if (got == 0)
            break;
        if (out.write(buffer, got) != got) {
            out.cancelWriting();
            break;
        }
    }
    if (out.commit())
        QFile::setPermissions(target, from.permissions());
}

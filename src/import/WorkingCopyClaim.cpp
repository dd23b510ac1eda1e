#include "WorkingCopyClaim.h"

#include <cerrno>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
enum class Attempt
{
    Held,
    Taken,    // another run holds it, or another user owns it: try the next name
    NoFolder, // no name in this folder can be held
};

// A working copy left there by another user cannot be replaced by this one.
bool ownedByAnother(const QString& path)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return info.st_uid != ::geteuid();
}

Attempt tryHold(const QString& path, int& lock)
{
    const QByteArray lockName = QFile::encodeName(path + QStringLiteral(".lock"));
    const int fd = ::open(lockName.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == EROFS)
            return Attempt::NoFolder;
        // Refused for a lock file of another user's: the next name. Refused with no file there:
        // the folder itself cannot be written.
        struct stat info
        {
        };
        if (errno == EACCES && ::lstat(lockName.constData(), &info) != 0)
            return Attempt::NoFolder;
        return Attempt::Taken;
    }
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0 || ownedByAnother(path) || ownedByAnother(path + QStringLiteral(".part"))) {
        ::close(fd);
        return Attempt::Taken;
    }
    lock = fd;
    return Attempt::Held;
}
} // namespace

QString WorkingCopyClaim::candidate(const QString& preferredPath, int n)
{
    if (n <= 1)
        return preferredPath;
    const QFileInfo info(preferredPath);
    QString suffix = info.suffix();
    QString stem = info.fileName().chopped(suffix.isEmpty() ? 0 : suffix.size() + 1);
    if (stem.isEmpty()) { // ".upload": the dot starts the name, it ends no stem
        stem = info.fileName();
        suffix.clear();
    }
    QString name = stem + QLatin1Char('-') + QString::number(n);
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
    const qsizetype slash = preferredPath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? name : preferredPath.left(slash + 1) + name;
}

WorkingCopyClaim::WorkingCopyClaim(const QString& preferredPath) : m_path(preferredPath)
{
    for (int n = 1; n <= MaxCandidates; ++n) {
        const QString path = candidate(preferredPath, n);
        const Attempt attempt = tryHold(path, m_lock);
        if (attempt == Attempt::Held) {
            m_path = path;
            return;
        }
        if (attempt == Attempt::NoFolder)
            return;
    }
}

WorkingCopyClaim::~WorkingCopyClaim()
{
    // The lock file stays: removing it would let a third run lock a new file of the same name
    // while a second one still holds the old.
    if (m_lock >= 0)
        ::close(m_lock);
}

#include "WorkingCopyClaim.h"

#include "PathTests.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A lock file begins with this line; one that holds anything else is not ours to write.
constexpr char Heading[] = "Tessaloom working copy\n";
constexpr qsizetype HeadingLength = sizeof Heading - 1;
constexpr qsizetype MaxRecord = 4096;
// The working copy and its partial rewrite: no more files are ever ours at once.
constexpr qsizetype Recorded = 2;

enum class Attempt
{
    Held,
    Taken,    // another run holds it, or a file not ours stands there: try the next name
    NoFolder, // no name in this folder can be held
};

// A file as made: its inode alone is not enough, since a freed inode is soon given again.
struct Identity
{
    QByteArray file;    // device and inode
    QByteArray version; // size and modification time
    uid_t owner = 0;
};

bool identityOf(const QString& path, Identity& identity)
{
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    identity.file =
        QByteArray::number(quint64(info.st_dev)) + ' ' + QByteArray::number(quint64(info.st_ino));
    identity.version = QByteArray::number(qint64(info.st_size)) + ' ' +
                       QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
                       QByteArray::number(qint64(info.st_mtim.tv_nsec));
    identity.owner = info.st_uid;
    return true;
}

QByteArray recordLine(const Identity& identity)
{
    return identity.file + ' ' + identity.version;
}

QByteArray readRecord(int fd)
{
    QByteArray record(MaxRecord, Qt::Uninitialized);
    const ssize_t got = ::pread(fd, record.data(), size_t(record.size()), 0);
    record.resize(got > 0 ? got : 0);
    return record;
}

QList<QByteArray> recordedLines(const QByteArray& record)
{
    QList<QByteArray> lines = record.mid(HeadingLength).split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

// Empty (a lock file of an earlier version, or one just made) or headed by our line.
bool isOurLockFile(const QByteArray& record)
{
    return record.isEmpty() || record.startsWith(QByteArrayView(Heading, HeadingLength));
}

bool isOneOf(const QString& path, const QStringList& inputs)
{
    return std::any_of(inputs.begin(), inputs.end(), [&](const QString& input) {
        return input != QLatin1String("-") && SameFile(path, input);
    });
}

// What stands at path (nothing, or a file this program made that is no input) may be replaced.
bool replaceable(const QString& path, const QByteArray& record, const QStringList& inputs)
{
    Identity identity;
    if (!identityOf(path, identity))
        return errno == ENOENT || errno == ENOTDIR;
    if (identity.owner != ::geteuid() || isOneOf(path, inputs))
        return false;
    return recordedLines(record).contains(recordLine(identity));
}

Attempt tryHold(const QString& path, const QStringList& inputs, int& lock)
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
    const QByteArray record = locked == 0 ? readRecord(fd) : QByteArray();
    if (locked != 0 || !isOurLockFile(record) || !replaceable(path, record, inputs) ||
        !replaceable(path + QStringLiteral(".part"), record, inputs)) {
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

WorkingCopyClaim::WorkingCopyClaim(const QString& preferredPath)
    : m_preferred(preferredPath), m_path(preferredPath)
{
    claim(preferredPath, 1, {});
}

void WorkingCopyClaim::claim(const QString& preferredPath, int from, const QStringList& inputs)
{
    for (int n = from; n <= MaxCandidates; ++n) {
        const QString path = candidate(preferredPath, n);
        const Attempt attempt = tryHold(path, inputs, m_lock);
        if (attempt == Attempt::Held) {
            m_path = path;
            return;
        }
        if (attempt == Attempt::NoFolder)
            return;
    }
}

void WorkingCopyClaim::avoid(const QString& input)
{
    if (m_lock < 0 ||
        !(isOneOf(m_path, {input}) || isOneOf(m_path + QStringLiteral(".part"), {input})))
        return;
    ::close(m_lock);
    m_lock = -1;
    claim(m_preferred, 2, {input});
}

void WorkingCopyClaim::recordMade(const QString& path)
{
    Identity identity;
    if (m_lock < 0 || !identityOf(path, identity))
        return;
    // The file's earlier version (its inode given again, or itself before it was written)
    // makes way for this one, which goes last; only the latest few are kept.
    QList<QByteArray> lines = recordedLines(readRecord(m_lock));
    lines.removeIf([&](const QByteArray& line) { return line.startsWith(identity.file + ' '); });
    lines.append(recordLine(identity));
    while (lines.size() > Recorded)
        lines.removeFirst();
    QByteArray rewritten(Heading, HeadingLength);
    for (const QByteArray& kept : lines)
        rewritten += kept + '\n';
    if (::pwrite(m_lock, rewritten.constData(), size_t(rewritten.size()), 0) ==
        ssize_t(rewritten.size()))
        (void)!::ftruncate(m_lock, off_t(rewritten.size()));
}

bool WorkingCopyClaim::mayReplace(const QString& path) const
{
    return replaceable(path, m_lock >= 0 ? readRecord(m_lock) : QByteArray(), {});
}

WorkingCopyClaim::~WorkingCopyClaim()
{
    // The lock file stays: removing it would let a third run lock a new file of the same name
    // while a second one still holds the old.
    if (m_lock >= 0)
        ::close(m_lock);
}

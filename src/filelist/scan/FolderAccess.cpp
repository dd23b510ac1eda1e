#include "FolderAccess.h"

#include "Failure.h"
#include "FileAttributes.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void throwListingFailure(int error)
{
    const QString description = QString::fromLocal8Bit(std::strerror(error));
    if (error == EACCES || error == EPERM)
        throw Failure(description, FolderAccess::PermissionDenied);
    if (error == ENOENT || error == ENOTDIR)
        throw Failure(description, FolderAccess::PathNotFound);
    throw Failure(description, FolderAccess::OtherError);
}

// The folder's descriptor, closed when it goes.
class OpenFolder
{
public:
    explicit OpenFolder(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(),
                      O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC))
    {
        if (m_fd < 0)
            throwListingFailure(errno);
    }
    ~OpenFolder() { ::close(m_fd); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Bytes that do not decode come back as U+FFFD; the name then stands with "?" there, as a
// name the file system could not be asked for.
QString decodedName(const char* bytes)
{
    // Most names are plain ASCII, which reads the same in every encoding names come in.
    const std::size_t size = std::strlen(bytes);
    bool ascii = true;
    for (std::size_t i = 0; i < size && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii)
        return QString::fromLatin1(bytes, qsizetype(size));
    QString name = QFile::decodeName(bytes);
    if (name.contains(QChar::ReplacementCharacter) &&
        QFile::encodeName(name) != QByteArrayView(bytes))
        name.replace(QChar::ReplacementCharacter, u'?');
    return name;
}

enum class EntryKind
{
    Folder,
    FolderLink,
    File, // anything else that exists: a file, a link to one, a pipe ...
    Gone  // a dangling link, or an entry that went while it was listed
};

EntryKind kindOf(int at, const dirent64* entry)
{
    const unsigned char type = entry->d_type;
    if (type == DT_DIR)
        return EntryKind::Folder;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return EntryKind::File;
    struct stat info;
    if (type == DT_UNKNOWN) {
        if (fstatat(at, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Gone;
        if (S_ISDIR(info.st_mode))
            return EntryKind::Folder;
        if (!S_ISLNK(info.st_mode))
            return EntryKind::File;
    }
    if (fstatat(at, entry->d_name, &info, 0) != 0)
        return EntryKind::Gone;
    return S_ISDIR(info.st_mode) ? EntryKind::FolderLink : EntryKind::File;
}

// FileAttributesOf's answer for name (relative to the folder `at` when it is not absolute) from
// one lstat, and a stat for a link, without QFileInfo.
std::optional<int> entryAttributes(int at, const char* name, bool hiddenName)
{
    struct stat info;
    if (fstatat(at, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    int bits = hiddenName ? FileAttribute::Hidden : 0;
    if (S_ISLNK(info.st_mode)) {
        bits |= FileAttribute::ReparsePoint;
        if (fstatat(at, name, &info, 0) != 0)
            return bits; // a dangling link: nothing more can be learned about it
    }
    if (S_ISDIR(info.st_mode))
        bits |= FileAttribute::Directory;
    else if (S_ISREG(info.st_mode))
        bits |= FileAttribute::Archive;
    if (!(info.st_mode & S_IWUSR))
        bits |= FileAttribute::ReadOnly;
    return bits;
}

// attributesOf()'s answer for the folder entry of a scan, "folder/name/", asked relative to the
// folder being read: the separator at its end makes a link count as the folder it leads to,
// and leaves it no name that could make it hidden.
std::optional<int> folderAttributes(int at, const dirent64* entry)
{
    struct stat info;
    if (fstatat(at, entry->d_name, &info, 0) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FileAttribute::Directory | ((info.st_mode & S_IWUSR) ? 0 : FileAttribute::ReadOnly);
}

// FileExists refuses paths holding "*" or "?" and paths that would not come back the same
// through the file-name encoding. That is UTF-8 here, which holds every character but half a
// surrogate pair.
bool usableText(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'*' || c == u'?')
            return false;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Calls visit(folder descriptor, entry) for every entry but "." and ".."; a read error ends the
// listing with a failure, as an open error does. The entries are read straight into one buffer:
// opendir would look the folder up once more to learn what it already knows.
template <typename Visit> void forEachEntry(const QString& folder, Visit&& visit)
{
    const OpenFolder dir(folder);
    alignas(dirent64) char buffer[32768];
    for (;;) {
        const ssize_t read = getdents64(dir.fd(), buffer, sizeof buffer);
        if (read < 0)
            throwListingFailure(errno);
        if (read == 0)
            return;
        for (ssize_t at = 0; at < read;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            if (!isDotOrDotDot(entry->d_name))
                visit(dir.fd(), entry);
        }
    }
}

} // namespace

QList<FolderAccess::SubFolder> FolderAccess::subFolders(const QString& folder)
{
    QList<SubFolder> found;
    forEachEntry(folder, [&](int at, const dirent64* entry) {
        const EntryKind kind = kindOf(at, entry);
        if (kind == EntryKind::Folder || kind == EntryKind::FolderLink)
            found.append({decodedName(entry->d_name), kind == EntryKind::FolderLink, {}});
    });
    return found;
}

QStringList FolderAccess::fileNames(const QString& folder, const NamePattern& pattern)
{
    QStringList found;
    const bool usableFolder = usableText(folder);
    forEachEntry(folder, [&](int at, const dirent64* entry) {
        const std::optional<bool> byBytes = pattern.matchesBytes(entry->d_name);
        if (byBytes == false)
            return;
        // Matching first spares the type look-up for most names of a large folder.
        QString name = decodedName(entry->d_name);
        if (usableFolder && (byBytes ? *byBytes : pattern.matches(name)) && usableText(name) &&
            kindOf(at, entry) == EntryKind::File)
            found.append(std::move(name));
    });
    return found;
}

FolderAccess::Listing FolderAccess::list(const QString& folder, const NamePattern* pattern)
{
    Listing listing;
    if (!pattern) {
        listing.subFolders = subFolders(folder);
        return listing;
    }
    const bool usableFolder = usableText(folder);
    forEachEntry(folder, [&](int at, const dirent64* entry) {
        // A file whose name cannot match is passed over before its name is decoded.
        const bool maybeFolder =
            entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
        const std::optional<bool> byBytes = pattern->matchesBytes(entry->d_name);
        if (!maybeFolder && byBytes == false)
            return;
        QString name = decodedName(entry->d_name);
        // The type is known from the entry itself for most names; a look-up is needed only for
        // links and file systems that do not say, and then only for names that can count.
        const bool candidate =
            usableFolder && (byBytes ? *byBytes : pattern->matches(name)) && usableText(name);
        if (!candidate && entry->d_type != DT_DIR && entry->d_type != DT_LNK &&
            entry->d_type != DT_UNKNOWN)
            return;
        const EntryKind kind = kindOf(at, entry);
        if (kind == EntryKind::Folder || kind == EntryKind::FolderLink)
            listing.subFolders.append(
                {std::move(name), kind == EntryKind::FolderLink, folderAttributes(at, entry)});
        else if (candidate && kind == EntryKind::File) {
            // Only a hidden file's value is ever asked for when it is added.
            if (name.startsWith(u'.'))
                listing.fileAttributes.insert(name, entryAttributes(at, entry->d_name, true));
            listing.fileNames.append(std::move(name));
        }
    });
    listing.filesListed = true;
    return listing;
}

std::optional<int> FolderAccess::attributesOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    // The name is what follows the last separator; a path ending in one has none.
    return entryAttributes(AT_FDCWD, QFile::encodeName(path).constData(),
                           path.sliced(path.lastIndexOf(u'/') + 1).startsWith(u'.'));
}

// FileExists's answer with one stat and no QFileInfo, for a file met during a scan.
bool FolderAccess::fileExists(const QString& path)
{
    if (path.isEmpty() || !usableText(path))
        return false;
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

QString FolderAccess::resolvedPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool FolderAccess::isRoot(const QString& folder)
{
    return QDir(folder).isRoot();
}

FolderAccess& FolderAccess::system()
{
    static FolderAccess access;
    return access;
}

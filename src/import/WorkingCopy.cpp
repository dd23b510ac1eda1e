#include "WorkingCopy.h"

#include "Failure.h"
#include "LineReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A file of our own at path: any entry there (a planted link included) is removed first and
// the new file is created exclusively, never through a link.
int createExclusive(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    return ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

class Output
{
public:
    explicit Output(int fd) : m_fd(fd) { m_buffer.reserve(2 * FlushSize); }
    ~Output()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void write(const char* data, size_t length)
    {
        m_buffer.append(data, qsizetype(length));
        if (m_buffer.size() >= FlushSize)
            flush();
    }
    // The line as UTF-8 and CR LF, encoded straight into the buffer.
    void writeLine(QStringView line)
    {
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + line.size() + 2);
        char* out = m_buffer.data() + at;
        const char16_t* in = line.utf16();
        qsizetype i = 0;
        for (; i < line.size() && in[i] < 0x80; ++i)
            *out++ = char(in[i]);
        if (i < line.size()) {
            // Rarer text through Qt's own conversion, as the rows are read back with it.
            m_buffer.resize(at + i);
            m_buffer.append(line.mid(i).toUtf8());
            m_buffer.append("\r\n", 2);
        } else {
            *out++ = '\r';
            *out = '\n';
        }
        if (m_buffer.size() >= FlushSize)
            flush();
    }
    void flush()
    {
        const char* p = m_buffer.constData();
        qsizetype left = m_buffer.size();
        while (left > 0) {
            const ssize_t put = ::write(m_fd, p, size_t(left));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                throw Failure(
                    QStringLiteral("The working copy cannot be written: %1").arg(systemError()));
            p += put;
            left -= put;
        }
        // Emptied, not freed: the next lines reuse the same memory.
        m_buffer.resize(0);
    }
    void finish()
    {
        flush();
        if (::close(m_fd) != 0) {
            m_fd = -1;
            throw Failure(
                QStringLiteral("The working copy cannot be written: %1").arg(systemError()));
        }
        m_fd = -1;
    }

private:
    static constexpr qsizetype FlushSize = 1 << 18;
    int m_fd;
    QByteArray m_buffer;
};
} // namespace

QString WorkingCopy::defaultPath()
{
    const QByteArray temp = qgetenv("TEMP");
    if (!temp.isEmpty())
        return QDir(QFile::decodeName(temp)).filePath(QStringLiteral("upload.txt"));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.cache");
    folder += QStringLiteral("/Tessaloom");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder + QStringLiteral("/upload.txt");
}

void WorkingCopy::remove() const
{
    ::unlink(QFile::encodeName(m_path).constData());
    ::unlink(QFile::encodeName(m_path + QStringLiteral(".part")).constData());
}

void WorkingCopy::copyFrom(const QString& source)
{
    remove();
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QFileInfo(folder).isDir())
        throw Failure(
            QStringLiteral("The temporary folder %1 does not exist, so %2 cannot be prepared.")
                .arg(folder, source));
    // Not blocking: a named pipe in the list must not stall the run until someone writes to it.
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        throw Failure(QStringLiteral("The file %1 cannot be read: %2").arg(source, systemError()));
    struct stat info
    {
    };
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        throw Failure(QStringLiteral("%1 is not a file that can be imported.").arg(source));
    }
    const int outFd = createExclusive(m_path);
    if (outFd < 0) {
        const QString reason = systemError();
        ::close(in);
        throw Failure(
            QStringLiteral("The working copy %1 cannot be created: %2").arg(m_path, reason));
    }
    Output out(outFd);
    QByteArray chunk(1 << 18, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, chunk.data(), size_t(chunk.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const QString reason = systemError();
            ::close(in);
            throw Failure(QStringLiteral("The file %1 cannot be read: %2").arg(source, reason));
        }
        if (got == 0)
            break;
        out.write(chunk.constData(), size_t(got));
    }
    ::close(in);
    out.finish();
}

WorkingCopy::Prepared WorkingCopy::keepLines(const std::function<bool()>& skipsFirstLine,
                                             const std::function<void()>& onLine,
                                             const std::function<void(Step)>& step)
{
    Prepared prepared;
    LineReader reader;
    reader.open(m_path);
    const QString partial = m_path + QStringLiteral(".part");
    step(Step::OpenForWriting);
    const int fd = createExclusive(partial);
    if (fd < 0)
        throw Failure(QStringLiteral("The working copy %1 cannot be created: %2")
                          .arg(partial, systemError()));
    Output out(fd);
    QString line;
    int counter = 0;
    for (;;) {
        onLine();
        step(Step::Read);
        if (!reader.readLine(line))
            break;
        const bool keep = !(counter == 0 && skipsFirstLine());
        if (keep) {
            step(Step::Write);
            out.writeLine(line);
        }
        if (counter == 0) {
            prepared.firstLine = line;
            prepared.hasLines = true;
            prepared.firstLineKept = keep;
        }
        ++counter;
    }
    reader.close();
    step(Step::Close);
    out.finish();
    // Renaming replaces whatever entry stands at the path itself; it never follows a link.
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(m_path).constData()) !=
        0)
        throw Failure(
            QStringLiteral("The working copy %1 cannot be written: %2").arg(m_path, systemError()));
    return prepared;
}

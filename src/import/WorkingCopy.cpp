#include "WorkingCopy.h"

#include "Failure.h"
#include "LineReader.h"
#include "PathTests.h"
#include "RecordReader.h"
#include "WorkingCopyClaim.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
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

// Waits until a descriptor opened without blocking (standard input may be) has data.
void awaitData(int fd)
{
    pollfd wanted{fd, POLLIN, 0};
    while (::poll(&wanted, 1, -1) < 0 && errno == EINTR) {
    }
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
    // The line as UTF-8 and CR LF, encoded straight into the buffer a piece at a time: a very
    // long line never exists twice over.
    void writeLine(QStringView line)
    {
        constexpr qsizetype Piece = 1 << 16;
        qsizetype from = 0;
        while (from < line.size()) {
            qsizetype length = std::min(Piece, line.size() - from);
            // A surrogate pair is never cut in two.
            if (from + length < line.size() && line[from + length - 1].isHighSurrogate())
                ++length;
            append(line.sliced(from, length));
            from += length;
            if (m_buffer.size() >= FlushSize)
                flush();
        }
        write("\r\n", 2);
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
    void append(QStringView piece)
    {
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + piece.size());
        char* out = m_buffer.data() + at;
        const char16_t* in = piece.utf16();
        qsizetype i = 0;
        for (; i < piece.size() && in[i] < 0x80; ++i)
            out[i] = char(in[i]);
        if (i < piece.size()) {
            // Rarer text through Qt's own conversion, as the rows are read back with it.
            m_buffer.resize(at + i);
            m_buffer.append(piece.sliced(i).toUtf8());
        }
    }

    static constexpr qsizetype FlushSize = 1 << 18;
    int m_fd;
    QByteArray m_buffer;
};
} // namespace

QString WorkingCopy::defaultPath()
{
    for (const char* variable : {"TEMP", "TMPDIR"}) {
        const QByteArray temp = qgetenv(variable);
        if (!temp.isEmpty())
            return QDir(QFile::decodeName(temp)).filePath(QStringLiteral("upload.txt"));
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.cache");
    folder += QStringLiteral("/Tessaloom");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder + QStringLiteral("/upload.txt");
}

void WorkingCopy::clear(const QString& path) const
{
    if (m_claim && !m_claim->mayReplace(path))
        throw Failure(QStringLiteral("%1 was not made by Tessaloom, so it is left as it is and "
                                     "cannot serve as the working copy.")
                          .arg(path));
    // An old entry that cannot be removed (a read-only folder) is the reason to give, not the
    // "File exists" of the exclusive create after it.
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT && errno != ENOTDIR)
        throw Failure(
            QStringLiteral("The working copy %1 cannot be created: %2").arg(path, systemError()));
}

int WorkingCopy::create(const QString& path) const
{
    clear(path);
    // Exclusive and never through a link: a file of our own, or none.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Failure(
            QStringLiteral("The working copy %1 cannot be created: %2").arg(path, systemError()));
    if (m_claim)
        m_claim->recordMade(path);
    return fd;
}

void WorkingCopy::copyFrom(const QString& source)
{
    const bool standardInput = source == QLatin1String("-");
    // A file being loaded is never replaced by its own working copy: a claim moves to another
    // name, a working copy without one refuses.
    if (m_claim && !standardInput) {
        m_claim->avoid(source);
        m_path = m_claim->path();
    }
    const QString partial = m_path + QStringLiteral(".part");
    if (!standardInput && (SameFile(source, m_path) || SameFile(source, partial)))
        throw Failure(QStringLiteral("The file %1 is this run's working copy, so it cannot be "
                                     "loaded.")
                          .arg(source));
    clear(m_path);
    clear(partial);
    const QString folder = QFileInfo(m_path).absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
        throw Failure(
            (folderInfo.exists()
                 ? QStringLiteral("The temporary folder %1 is not a folder, so %2 cannot be "
                                  "prepared.")
                 : QStringLiteral("The temporary folder %1 does not exist, so %2 cannot be "
                                  "prepared."))
                .arg(folder, source));
    // Not blocking: a named pipe in the list must not stall the run until someone writes to it.
    // Standard input is read as it comes, whatever it is.
    const int in = standardInput ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                                 : ::open(QFile::encodeName(source).constData(),
                                          O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        throw Failure(QStringLiteral("The file %1 cannot be read: %2").arg(source, systemError()));
    struct stat info
    {
    };
    if (!standardInput && (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(in);
        throw Failure(QStringLiteral("%1 is not a file that can be imported.").arg(source));
    }
    int outFd = -1;
    try {
        outFd = create(m_path);
    } catch (const Failure&) {
        ::close(in);
        throw;
    }
    Output out(outFd);
    QByteArray chunk(1 << 18, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, chunk.data(), size_t(chunk.size()));
        if (got < 0 && errno == EINTR)
            continue;
        // Standard input handed over without blocking (a pipe another program set so) waits
        // for its data like any other.
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && standardInput) {
            awaitData(in);
            continue;
        }
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
    if (m_claim)
        m_claim->recordMade(m_path); // as written
}

WorkingCopy::Prepared WorkingCopy::keepLines(const std::function<bool()>& skipsFirstLine,
                                             const std::function<void()>& onLine,
                                             const std::function<void(Step)>& step)
{
    Prepared prepared;
    LineReader lines;
    lines.open(m_path, m_encoding);
    RecordReader reader(lines, m_separator, m_quote);
    const Record& record = reader.record();
    const QString partial = m_path + QStringLiteral(".part");
    step(Step::OpenForWriting);
    Output out(create(partial));
    QString line;
    int counter = 0;
    for (;;) {
        onLine();
        step(Step::Read);
        if (!reader.nextText(line))
            break;
        // The header is the first line that is not blank: blank lines are no rows anywhere.
        const bool blank = line.isEmpty() && !record.unterminated;
        const bool header = counter == 0 && !blank;
        const bool keep = !(header && skipsFirstLine());
        const QString& fault = record.fault;
        if (keep) {
            step(Step::Write);
            if (fault.isEmpty()) {
                out.writeLine(line);
            } else {
                // Nothing of it is loaded: its lines stay, blank.
                for (qint64 n = record.firstLine; n <= record.lastLine; ++n)
                    out.writeLine(QString());
                prepared.unreadable.push_back({record.firstLine, fault, line});
            }
        }
        if (header) {
            prepared.firstLine = line;
            prepared.hasLines = true;
            prepared.firstLineKept = keep;
            prepared.firstLineAt = record.firstLine;
            prepared.firstLineSpan = record.lastLine - record.firstLine + 1;
            prepared.firstLineUnterminated = record.unterminated;
            prepared.firstLineFault = fault;
        }
        if (!blank)
            ++counter;
    }
    lines.close();
    step(Step::Close);
    out.finish();
    if (m_claim)
        m_claim->recordMade(partial); // as written
    // Renaming replaces whatever entry stands at the path itself; it never follows a link.
    clear(m_path);
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(m_path).constData()) !=
        0)
        throw Failure(
            QStringLiteral("The working copy %1 cannot be written: %2").arg(m_path, systemError()));
    if (m_claim)
        m_claim->recordMade(m_path);
    return prepared;
}

#include "LineReader.h"

#include "Failure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <QFile>
#include <unistd.h>

LineReader::~LineReader()
{
    close();
}

void LineReader::open(const QString& path)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw Failure(QStringLiteral("The file %1 cannot be read: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    m_path = path;
    m_buffer.resize(BufferSize);
    m_start = m_end = 0;
    m_eof = false;
    m_firstLine = true;
    m_partial.clear();
}

void LineReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool LineReader::fill()
{
    if (m_eof || m_fd < 0)
        return false;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data(), size_t(m_buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(QStringLiteral("The file %1 cannot be read: %2")
                              .arg(m_path, QString::fromLocal8Bit(std::strerror(errno))));
        m_start = 0;
        m_end = got;
        if (got == 0)
            m_eof = true;
        return got > 0;
    }
}

bool LineReader::atEnd()
{
    if (m_start < m_end || !m_partial.isEmpty())
        return false;
    return !fill() && m_partial.isEmpty();
}

void LineReader::decode(const char* begin, qsizetype length, QString& line)
{
    if (m_firstLine) {
        m_firstLine = false;
        if (length >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) {
            begin += 3;
            length -= 3;
        }
    }
    m_utf8.resetState();
    line = m_utf8.decode(QByteArrayView(begin, length));
    if (m_utf8.hasError())
        line = QString::fromLatin1(begin, length);
}

bool LineReader::readLine(QString& line)
{
    if (m_fd < 0)
        return false;
    for (;;) {
        if (m_start >= m_end && !fill()) {
            if (m_partial.isEmpty())
                return false;
            decode(m_partial.constData(), m_partial.size(), line);
            m_partial.clear();
            return true;
        }
        const char* data = m_buffer.constData();
        const char* begin = data + m_start;
        const char* end = data + m_end;
        const char* stop = begin;
        while (stop < end && *stop != '\n' && *stop != '\r')
            ++stop;
        if (stop == end) {
            m_partial.append(begin, end - begin);
            m_start = m_end;
            continue;
        }
        const char terminator = *stop;
        if (m_partial.isEmpty()) {
            decode(begin, stop - begin, line);
        } else {
            m_partial.append(begin, stop - begin);
            decode(m_partial.constData(), m_partial.size(), line);
            m_partial.clear();
        }
        m_start = (stop - data) + 1;
        if (terminator == '\r') {
            // A CR LF pair may be split across two reads.
            if (m_start >= m_end)
                fill();
            if (m_start < m_end && m_buffer.at(m_start) == '\n')
                ++m_start;
        }
        return true;
    }
}

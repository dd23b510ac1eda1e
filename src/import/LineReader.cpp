#include "LineReader.h"

#include "Failure.h"
#include "TextDecoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <QFile>
#include <unistd.h>

namespace {
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The first CR or LF in [begin, end), or end.
const char* lineBreakIn(const char* begin, const char* end)
{
    while (begin < end && *begin != '\n' && *begin != '\r')
        ++begin;
    return begin;
}
} // namespace

LineReader::~LineReader()
{
    close();
}

void LineReader::openFile(const QString& path)
{
    close();
    m_fd = path == QLatin1String("-")
               ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
               : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw Failure(QStringLiteral("The file %1 cannot be read: %2").arg(path, systemError()));
    m_path = path;
    m_ownUtf8 = false;
    m_seekable = ::lseek(m_fd, 0, SEEK_CUR) >= 0;
    m_bufferOffset = 0;
    m_long = false;
    m_longText = QString();
    m_buffer.resize(BufferSize);
    m_start = m_end = 0;
    m_eof = false;
    m_partial.clear();
    m_break = Break::None;
    m_lineNumber = 0;
    m_text.clear();
    m_textStart = 0;
    m_textAt = 0;
    m_textEnded = false;
    m_textPartial.clear();
    m_fault.clear();
}

void LineReader::open(const QString& path, const QString& encoding)
{
    if (!encoding.isEmpty() && !m_decoder.open(encoding))
        throw Failure(QStringLiteral("The encoding %1 is not known.").arg(encoding));
    openFile(path);
    // The mark needs the first four bytes, which a pipe may hand over one at a time.
    constexpr qsizetype LongestMark = 4;
    while (m_end < LongestMark && !m_eof) {
        const qsizetype before = m_end;
        const ssize_t got = ::read(m_fd, m_buffer.data() + before, size_t(LongestMark - before));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(
                QStringLiteral("The file %1 cannot be read: %2").arg(m_path, systemError()));
        m_end += got;
        m_eof = got == 0;
    }
    qsizetype markLength = 0;
    const TextDecoding::Mark mark =
        TextDecoding::markAt(QByteArrayView(m_buffer.constData(), m_end), markLength);
    m_start = markLength;
    switch (mark) {
    case TextDecoding::Mark::Utf8:
        m_mode = Mode::Utf8;
        return;
    case TextDecoding::Mark::None:
        if (encoding.isEmpty()) {
            m_mode = Mode::Detect;
            return;
        }
        break;
    default:
        m_decoder.open(TextDecoding::encodingOf(mark));
        break;
    }
    startDecoder();
}

void LineReader::openUtf8(const QString& path)
{
    openFile(path);
    m_mode = Mode::Utf8;
    m_ownUtf8 = true;
}

void LineReader::startDecoder()
{
    m_mode = Mode::Decoder;
    // What was read for the mark is decoded first.
    m_decoder.decode(QByteArrayView(m_buffer.constData() + m_start, m_end - m_start), m_text);
    m_start = m_end = 0;
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
    m_bufferOffset += m_end;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data(), size_t(m_buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(
                QStringLiteral("The file %1 cannot be read: %2").arg(m_path, systemError()));
        m_start = 0;
        m_end = got;
        if (got == 0)
            m_eof = true;
        return got > 0;
    }
}

void LineReader::decode(QByteArrayView bytes, QString& line)
{
    // A UTF-8 mark does not make a broken line valid: it too is read as Windows-1252, so that
    // no byte is replaced.
    m_utf8.resetState();
    line = m_utf8.decode(bytes);
    if (m_utf8.hasError())
        line = TextDecoding::fromWindows1252(bytes);
}

bool LineReader::readLine(QString& line)
{
    m_fault.clear();
    if (m_fd < 0)
        return false;
    const bool read = m_mode == Mode::Decoder ? readTextLine(line) : readBytesLine(line);
    if (read)
        ++m_lineNumber;
    return read;
}

bool LineReader::readBytesLine(QString& line)
{
    for (;;) {
        if (m_start >= m_end && !fill()) {
            if (!m_long && m_partial.isEmpty())
                return false;
            finishLine({}, line);
            m_break = Break::None;
            return true;
        }
        const char* data = m_buffer.constData();
        const char* begin = data + m_start;
        const char* end = data + m_end;
        const char* stop = lineBreakIn(begin, end);
        if (stop == end) {
            keep(begin, end - begin);
            m_start = m_end;
            continue;
        }
        finishLine(QByteArrayView(begin, stop - begin), line);
        endLineAt(data, stop);
        return true;
    }
}

// Steps past the line break at stop and notes which one it was.
void LineReader::endLineAt(const char* data, const char* stop)
{
    const char terminator = *stop;
    m_start = (stop - data) + 1;
    m_break = Break::Lf;
    if (terminator == '\r') {
        m_break = Break::Cr;
        // A CR LF pair may be split across two reads.
        if (m_start >= m_end)
            fill();
        if (m_start < m_end && m_buffer.at(m_start) == '\n') {
            ++m_start;
            m_break = Break::CrLf;
        }
    }
}

bool LineReader::readUtf8Line(QByteArray& line)
{
    if (m_fd < 0)
        return false;
    Q_ASSERT(m_mode == Mode::Utf8 && !m_long);
    for (;;) {
        if (m_start >= m_end && !fill()) {
            if (m_partial.isEmpty())
                return false;
            line = std::move(m_partial);
            m_partial = QByteArray();
            m_break = Break::None;
            ++m_lineNumber;
            return true;
        }
        const char* data = m_buffer.constData();
        const char* begin = data + m_start;
        const char* end = data + m_end;
        const char* stop = lineBreakIn(begin, end);
        if (stop == end) {
            // A line longer than the buffer is gathered in place of a copy of it: it is
            // handed over whole, never held twice.
            m_partial.append(begin, end - begin);
            m_start = m_end;
            continue;
        }
        if (m_partial.isEmpty()) {
            // The line's memory is reused when nobody else holds it, unless a very long line
            // left it large.
            if (line.capacity() > LongLine)
                line = QByteArray();
            line.resize(stop - begin);
            std::memcpy(line.data(), begin, size_t(stop - begin));
        } else {
            m_partial.append(begin, stop - begin);
            line = std::move(m_partial);
            m_partial = QByteArray();
        }
        endLineAt(data, stop);
        ++m_lineNumber;
        return true;
    }
}

// Keeps the bytes of a line that goes on past the buffer.
void LineReader::keep(const char* data, qsizetype length)
{
    if (m_long) {
        m_longText += m_longDecoder.decode(QByteArrayView(data, length));
        m_longBytes += length;
        return;
    }
    if (m_partial.isEmpty())
        m_partialStart = m_bufferOffset + (data - m_buffer.constData());
    m_partial.append(data, length);
    // Only a file that can be read again decodes as it goes: a line found not to be UTF-8
    // is then read again from its start as Windows-1252.
    if (m_partial.size() >= LongLine && m_seekable) {
        m_long = true;
        m_longDecoder.resetState();
        m_longText = m_longDecoder.decode(m_partial);
        m_longBytes = m_partial.size();
        m_partial = QByteArray();
    }
}

void LineReader::finishLine(QByteArrayView last, QString& line)
{
    if (!m_long) {
        if (m_partial.isEmpty()) {
            decode(last, line);
            return;
        }
        m_partial.append(last);
        decode(m_partial, line);
        m_partial = QByteArray(); // a long line's bytes are not kept past their use
        return;
    }
    m_long = false;
    m_longText += m_longDecoder.decode(last);
    m_longBytes += last.size();
    // A sequence cut short at the end of the line shows as an error once a byte follows it.
    const QString after = m_longDecoder.decode(QByteArrayView("\n", 1)); // decoding is lazy
    Q_UNUSED(after);
    if (!m_longDecoder.hasError()) {
        line = std::move(m_longText);
        m_longText = QString();
        return;
    }
    m_longText = QString();
    line = rereadAsWindows1252(m_partialStart, m_longBytes);
}

QString LineReader::rereadAsWindows1252(qint64 offset, qint64 length)
{
    QString text;
    text.reserve(length);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    while (length > 0) {
        const ssize_t got = ::pread(m_fd, chunk.data(),
                                    size_t(std::min<qint64>(chunk.size(), length)), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw Failure(
                QStringLiteral("The file %1 cannot be read: %2").arg(m_path, systemError()));
        text += TextDecoding::fromWindows1252(QByteArrayView(chunk.constData(), got));
        offset += got;
        length -= got;
    }
    return text;
}

bool LineReader::fillText()
{
    m_textAt += m_text.size();
    m_textStart = 0;
    if (fill()) {
        m_decoder.decode(QByteArrayView(m_buffer.constData(), m_end), m_text);
        m_start = m_end;
        return true;
    }
    if (m_textEnded) {
        m_text.clear();
        return false;
    }
    // A character the file ends inside shows only once the decoder knows the end has come.
    m_textEnded = true;
    m_decoder.decode({}, m_text, true);
    return !m_text.isEmpty();
}

bool LineReader::readTextLine(QString& line)
{
    for (;;) {
        if (m_textStart >= m_text.size() && !fillText()) {
            if (m_textPartial.isEmpty())
                return false;
            line = std::move(m_textPartial);
            m_textPartial = QString();
            m_break = Break::None;
            m_fault = m_decoder.takeFaultsUpTo(std::numeric_limits<qint64>::max());
            return true;
        }
        const char16_t* data = reinterpret_cast<const char16_t*>(m_text.constData());
        const char16_t* begin = data + m_textStart;
        const char16_t* end = data + m_text.size();
        const char16_t* stop = begin;
        while (stop < end && *stop != u'\n' && *stop != u'\r')
            ++stop;
        const QStringView piece(begin, stop - begin);
        if (stop == end) {
            m_textPartial += piece;
            m_textStart = m_text.size();
            continue;
        }
        if (m_textPartial.isEmpty()) {
            line = piece.toString();
        } else {
            m_textPartial += piece;
            line = std::move(m_textPartial);
            m_textPartial = QString();
        }
        m_fault = m_decoder.takeFaultsUpTo(m_textAt + (stop - data));
        m_textStart = (stop - data) + 1;
        m_break = Break::Lf;
        if (*stop == u'\r') {
            m_break = Break::Cr;
            if (m_textStart >= m_text.size())
                fillText();
            if (m_textStart < m_text.size() && m_text.at(m_textStart) == u'\n') {
                ++m_textStart;
                m_break = Break::CrLf;
            }
        }
        return true;
    }
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// Reads a text file line by line without holding it in memory. A line ends at LF, CR LF or a
// lone CR; a UTF-8 byte-order mark at the start of the file is dropped. Each line is decoded
// as UTF-8 when it is valid UTF-8, and otherwise byte for byte as Latin-1, so a file in an
// 8-bit code page loses no character.
class LineReader
{
public:
    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Throws Failure when the file cannot be opened for reading.
    void open(const QString& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // False at the end of the file. Throws Failure on a read error.
    bool readLine(QString& line);
    bool atEnd();

    static constexpr qsizetype BufferSize = 1 << 18;

private:
    bool fill();
    void decode(const char* begin, qsizetype length, QString& line);

    int m_fd = -1;
    QString m_path;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    bool m_firstLine = true;
    QByteArray m_partial;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
};

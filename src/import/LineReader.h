#pragma once

#include "CharsetDecoder.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

// Reads a text file line by line without holding it in memory. A line ends at LF, CR LF or a
// lone CR; which one ended it is kept, so a reader of quoted fields can put it back exactly.
//
// A file to import: a byte-order mark at its start decides its encoding (UTF-8, UTF-16LE,
// UTF-16BE, UTF-32LE, UTF-32BE) and is dropped; a U+FEFF anywhere else is data. Without a mark
// the file is read in the encoding named at open, or, when none is named, line by line as
// UTF-8, a line that is not valid UTF-8 as Windows-1252, so no byte is lost.
//
// In a named encoding, and in UTF-16 and UTF-32, bytes that do not decode are not repaired:
// the line that holds them is still read, so lines keep their numbers, and lastFault() says
// what is wrong with it.
class LineReader
{
public:
    enum class Break
    {
        None, // the last line of a file that does not end with a line break
        Lf,
        Cr,
        CrLf
    };

    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens a file to import; "-" is standard input. Throws Failure when the file cannot be
    // opened for reading or the encoding is not known.
    void open(const QString& path, const QString& encoding = {});
    // Opens a text this program wrote itself in UTF-8: nothing is detected, nothing dropped.
    void openUtf8(const QString& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // Opened with openUtf8(): its lines can be read as the bytes they are.
    bool readsOwnUtf8() const { return m_ownUtf8; }

    // False at the end of the file. Throws Failure on a read error.
    bool readLine(QString& line);
    // The next line's bytes as they stand, for a file opened with openUtf8(): nothing is
    // decoded, so a row goes on as the UTF-8 it already is. False at the end of the file.
    bool readUtf8Line(QByteArray& line);
    Break lastBreak() const { return m_break; }
    // Why the last line read cannot be trusted, for a user: the bytes that do not decode and
    // the encoding, e.g. "The bytes 82 FF cannot be read as Shift_JIS."; empty when it
    // decoded cleanly. Its text then holds U+FFFD where those bytes stood.
    QString lastFault() const { return m_fault; }
    // The number of the last line read; the first line is 1.
    qint64 lineNumber() const { return m_lineNumber; }
    // The bytes of the file taken so far (read into lines, or held for the line being read).
    qint64 bytesRead() const { return m_bufferOffset + m_start; }

    static constexpr qsizetype BufferSize = 1 << 18;
    // A line longer than this is decoded as it is read, so that its bytes and its text are
    // not both held whole: a very long line costs about the size of its text.
    static constexpr qsizetype LongLine = 1 << 22;

private:
    enum class Mode
    {
        Detect, // UTF-8 line by line, Windows-1252 where a line is not UTF-8
        Utf8,   // our own UTF-8
        Decoder // any other encoding, decoded before lines are cut
    };

    void openFile(const QString& path);
    bool fill();
    void startDecoder();
    bool readBytesLine(QString& line);
    void endLineAt(const char* data, const char* stop);
    void keep(const char* data, qsizetype length);
    void finishLine(QByteArrayView last, QString& line);
    QString rereadAsWindows1252(qint64 offset, qint64 length);
    bool readTextLine(QString& line);
    bool fillText();
    void decode(QByteArrayView bytes, QString& line);

    int m_fd = -1;
    QString m_path;
    Mode m_mode = Mode::Detect;
    bool m_ownUtf8 = false;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    QByteArray m_partial;
    qint64 m_bufferOffset = 0; // where in the file m_buffer begins
    qint64 m_partialStart = 0; // where in the file the line being read begins
    bool m_seekable = false;
    // A long line being decoded as it is read.
    bool m_long = false;
    qint64 m_longBytes = 0;
    QString m_longText;
    QStringDecoder m_longDecoder{QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom};
    Break m_break = Break::None;
    qint64 m_lineNumber = 0;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom};
    // Decoder mode: the text decoded so far and where the next line starts in it.
    CharsetDecoder m_decoder;
    QString m_text;
    qsizetype m_textStart = 0;
    qint64 m_textAt = 0; // where m_text begins in the whole text
    bool m_textEnded = false;
    QString m_textPartial;
    QString m_fault;
};

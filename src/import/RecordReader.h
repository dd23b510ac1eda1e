#pragma once

#include "LineReader.h"

#include <QString>

// The records of a delimited file, read from its lines. Without a quote character a record is
// one line. With one, a field that begins with it may hold the separator, line breaks and the
// quote doubled: such a record runs on over as many lines as its quote stays open, and the
// breaks inside it are kept exactly as they stand in the file.
class RecordReader
{
public:
    explicit RecordReader(LineReader& lines) : m_lines(lines) {}

    // A null quote reads plain lines. The separator tells where a field begins, since only
    // there a quote opens one.
    void setQuote(QChar quote, const QString& separator)
    {
        m_quote = quote;
        m_separator = separator;
    }

    // False at the end of the file. Throws Failure on a read error.
    bool next(QString& record);
    // The next record as the UTF-8 bytes of its line, for lines opened with openUtf8() and no
    // quote character. False at the end of the file.
    bool nextUtf8(QByteArray& record);
    // The lines of the file that the last record spans, the first line being 1.
    qint64 firstLine() const { return m_firstLine; }
    qint64 lastLine() const { return m_lines.lineNumber(); }
    // True when the last record ended with the file while a quote was still open.
    bool unterminated() const { return m_unterminated; }
    // The fault of the first of the last record's lines that did not decode (see
    // LineReader::lastFault()); empty when all of them did.
    QString lastFault() const { return m_fault; }

private:
    enum class State
    {
        FieldStart,
        Unquoted,
        Quoted,
        AfterQuote
    };
    State scan(QStringView text, State state) const;

    LineReader& m_lines;
    QChar m_quote;
    QString m_separator;
    QString m_line;
    qint64 m_firstLine = 0;
    bool m_unterminated = false;
    QString m_fault;
};

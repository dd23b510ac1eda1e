#pragma once

#include "LineReader.h"
#include "RecordGrammar.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// One record of a delimited file, as read from its lines.
struct Record
{
    QList<QByteArrayView> fields; // split and unquoted, UTF-8; empty for a blank line
    QByteArrayView text;          // as it stands in the file, lines joined by their own breaks
    qint64 firstLine = 0;         // the file's lines it spans, from 1
    qint64 lastLine = 0;
    bool unterminated = false; // the file ended while a quote was open
    QString fault;             // the first undecodable line's fault (LineReader::lastFault)
};

// The records of a delimited file, read from its lines and split into fields in one pass (see
// RecordGrammar). Without a quote character a record is one line. With one, a record runs on
// over as many lines as its quote stays open, and the breaks inside it are kept as they stand.
class RecordReader
{
public:
    // separator: the whole text that separates fields (may be several characters; empty: the
    // record is one field); quote: null for none.
    RecordReader(LineReader& lines, const QString& separator, QChar quote);

    // False at the end of the file; throws Failure on a read error. Our own UTF-8
    // (LineReader::openUtf8) is split as the bytes it is, never decoded; other lines are
    // decoded and split as their UTF-8.
    bool next();
    const Record& record() const { return m_record; } // valid until the next call
    const LineReader& lines() const { return m_lines; }
    // The next record as text, for lines that are decoded: record() then tells its lines, its
    // fault and whether it ended unterminated, but holds no fields.
    bool nextText(QString& text);

private:
    void setQuote(QChar quote, const QString& separator);
    void startRecord();
    bool readLine(QByteArray& line);
    QByteArrayView readQuotedOn();

    LineReader& m_lines;
    QChar m_quote;
    RecordGrammar<QByteArrayView> m_bytes;
    RecordGrammar<QStringView> m_text;
    QByteArray m_line;
    QByteArray m_joined; // a record of several lines
    QString m_textLine;
    Record m_record;
};

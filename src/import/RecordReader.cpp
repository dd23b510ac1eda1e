#include "RecordReader.h"

namespace {
QStringView breakText(LineReader::Break lineBreak)
{
    switch (lineBreak) {
    case LineReader::Break::Lf:
        return u"\n";
    case LineReader::Break::Cr:
        return u"\r";
    case LineReader::Break::CrLf:
        return u"\r\n";
    case LineReader::Break::None:
        break;
    }
    return {};
}

QByteArrayView breakBytes(LineReader::Break lineBreak)
{
    switch (lineBreak) {
    case LineReader::Break::Lf:
        return "\n";
    case LineReader::Break::Cr:
        return "\r";
    case LineReader::Break::CrLf:
        return "\r\n";
    case LineReader::Break::None:
        break;
    }
    return {};
}
} // namespace

RecordReader::RecordReader(LineReader& lines, const QString& separator, QChar quote)
    : m_lines(lines)
{
    setQuote(quote, separator);
}

void RecordReader::setQuote(QChar quote, const QString& separator)
{
    m_quote = quote;
    const QString quoteText = quote.isNull() ? QString() : QString(quote);
    m_text.setMatching(separator, quoteText);
    // A separator UTF-8 cannot hold (a lone surrogate) is in no line of UTF-8.
    const QByteArray separatorBytes = separator.toUtf8();
    m_bytes.setMatching(separatorBytes, quote.isSurrogate() ? QByteArray() : quoteText.toUtf8(),
                        QString::fromUtf8(separatorBytes) == separator);
}

void RecordReader::startRecord()
{
    m_record.unterminated = false;
    m_record.fault.clear();
}

bool RecordReader::readLine(QByteArray& line)
{
    if (m_lines.readsOwnUtf8())
        return m_lines.readUtf8Line(line);
    if (!m_lines.readLine(m_textLine))
        return false;
    line = m_textLine.toUtf8();
    if (m_record.fault.isEmpty())
        m_record.fault = m_lines.lastFault();
    return true;
}

bool RecordReader::next()
{
    startRecord();
    if (!readLine(m_line))
        return false;
    m_record.firstLine = m_record.lastLine = m_lines.lineNumber();
    m_bytes.begin(&m_record.fields);
    QByteArrayView text = m_line;
    if (m_bytes.read(text, 0))
        text = readQuotedOn();
    m_bytes.end(text);
    m_record.text = text;
    return true;
}

// Adds lines to the record in m_line while its quote stays open; returns its whole text.
QByteArrayView RecordReader::readQuotedOn()
{
    m_joined = m_line;
    for (;;) {
        const QByteArrayView lineBreak = breakBytes(m_lines.lastBreak());
        if (!readLine(m_line)) {
            // The file ended inside a quote; the break after the last line is not data.
            m_record.unterminated = true;
            return m_joined;
        }
        m_joined += lineBreak;
        const qsizetype from = m_joined.size();
        m_joined += m_line;
        m_record.lastLine = m_lines.lineNumber();
        if (!m_bytes.read(m_joined, from))
            return m_joined;
    }
}

bool RecordReader::nextText(QString& text)
{
    startRecord();
    m_record.fields.clear();
    m_record.text = {};
    if (!m_lines.readLine(m_textLine))
        return false;
    m_record.firstLine = m_record.lastLine = m_lines.lineNumber();
    m_record.fault = m_lines.lastFault();
    text = m_textLine;
    // Most records hold no quote at all: they are their line.
    if (m_quote.isNull() || !m_textLine.contains(m_quote))
        return true;
    m_text.begin(nullptr);
    bool open = m_text.read(text, 0);
    while (open) {
        const QStringView lineBreak = breakText(m_lines.lastBreak());
        if (!m_lines.readLine(m_textLine)) {
            m_record.unterminated = true;
            break;
        }
        text += lineBreak;
        const qsizetype from = text.size();
        text += m_textLine;
        m_record.lastLine = m_lines.lineNumber();
        if (m_record.fault.isEmpty())
            m_record.fault = m_lines.lastFault();
        open = m_text.read(text, from);
    }
    return true;
}

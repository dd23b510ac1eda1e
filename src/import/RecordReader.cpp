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
} // namespace

RecordReader::State RecordReader::scan(QStringView text, State state) const
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        switch (state) {
        case State::FieldStart:
            if (text[i] == m_quote) {
                state = State::Quoted;
                ++i;
            } else {
                state = State::Unquoted;
            }
            break;
        case State::Unquoted: {
            if (m_separator.isEmpty())
                return State::Unquoted;
            const qsizetype at = text.indexOf(m_separator, i);
            if (at < 0)
                return State::Unquoted;
            i = at + m_separator.size();
            state = State::FieldStart;
            break;
        }
        case State::Quoted: {
            const qsizetype at = text.indexOf(m_quote, i);
            if (at < 0)
                return State::Quoted;
            i = at + 1;
            state = State::AfterQuote;
            break;
        }
        case State::AfterQuote:
            if (text[i] == m_quote) {
                // A doubled quote stands for one and the field goes on.
                state = State::Quoted;
                ++i;
            } else {
                state = State::Unquoted;
            }
            break;
        }
    }
    return state;
}

bool RecordReader::nextUtf8(QByteArray& record)
{
    Q_ASSERT(m_quote.isNull());
    m_unterminated = false;
    m_fault.clear();
    if (!m_lines.readUtf8Line(record))
        return false;
    m_firstLine = m_lines.lineNumber();
    return true;
}

bool RecordReader::next(QString& record)
{
    m_unterminated = false;
    m_fault.clear();
    if (!m_lines.readLine(m_line))
        return false;
    m_firstLine = m_lines.lineNumber();
    m_fault = m_lines.lastFault();
    // Most records hold no quote at all: they are their line.
    if (m_quote.isNull() || !m_line.contains(m_quote)) {
        record = m_line;
        return true;
    }
    State state = scan(m_line, State::FieldStart);
    if (state != State::Quoted) {
        record = m_line;
        return true;
    }
    record = m_line;
    while (state == State::Quoted) {
        const QStringView lineBreak = breakText(m_lines.lastBreak());
        if (!m_lines.readLine(m_line)) {
            // The file ended inside a quote; the break after the last line is not data.
            m_unterminated = true;
            return true;
        }
        record += lineBreak;
        record += m_line;
        if (m_fault.isEmpty())
            m_fault = m_lines.lastFault();
        state = scan(m_line, State::Quoted);
    }
    return true;
}

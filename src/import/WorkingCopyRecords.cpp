#include "WorkingCopyRecords.h"

#include "FieldSplitter.h"

WorkingCopyRecords::WorkingCopyRecords(LineReader& lines, const QString& separator, QChar quote)
    : m_records(lines), m_separator(separator), m_utf8Separator(separator.toUtf8()),
      m_separatorMatches(QString::fromUtf8(m_utf8Separator) == separator), m_quote(quote)
{
    m_records.setQuote(quote, separator);
}

bool WorkingCopyRecords::next()
{
    m_record.fields.clear();
    if (m_quote.isNull()) {
        if (!m_records.nextUtf8(m_line))
            return false;
        splitPlain();
    } else {
        if (!m_records.next(m_text))
            return false;
        splitQuoted(m_text);
    }
    m_record.firstLine = m_records.firstLine();
    m_record.lastLine = m_records.lastLine();
    m_record.unterminated = m_records.unterminated();
    return true;
}

void WorkingCopyRecords::splitPlain()
{
    m_record.text = m_line;
    if (m_separatorMatches)
        SplitFields(QByteArrayView(m_line), QByteArrayView(m_utf8Separator), m_record.fields);
    else if (!m_line.isEmpty())
        m_record.fields.append(QByteArrayView(m_line)); // the separator cannot occur here
}

void WorkingCopyRecords::splitQuoted(const QString& text)
{
    QList<QStringView> fields;
    SplitQuotedFields(text, m_separator, m_quote, m_unquoted, fields);
    m_line = text.toUtf8();
    m_record.text = m_line;
    m_bytes.clear();
    m_ends.clear();
    for (QStringView field : fields) {
        m_bytes += field.toUtf8().toStdString();
        m_ends.push_back(qsizetype(m_bytes.size()));
    }
    qsizetype start = 0;
    for (qsizetype end : m_ends) {
        m_record.fields.append(QByteArrayView(m_bytes.data() + start, end - start));
        start = end;
    }
}

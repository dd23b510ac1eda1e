#pragma once

#include "LineReader.h"
#include "RecordReader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <string>
#include <vector>

// One record of the working copy: its fields as UTF-8 and where it stands in the file.
struct CopyRecord
{
    QList<QByteArrayView> fields; // split and unquoted; empty for a blank line
    QByteArrayView text;          // the record as it stands
    qint64 firstLine = 0;
    qint64 lastLine = 0;
    bool unterminated = false; // the file ended while a quote was open
};

// Reads the working copy record by record, each split into its fields.
class WorkingCopyRecords
{
public:
    WorkingCopyRecords(LineReader& lines, const QString& separator, QChar quote);

    // False at the end. Throws Failure on a read error.
    bool next();
    const CopyRecord& record() const { return m_record; }

private:
    void splitPlain();
    void splitQuoted(const QString& text);

    RecordReader m_records;
    QString m_separator;
    QByteArray m_utf8Separator;
    bool m_separatorMatches = true; // false when it cannot occur in UTF-8 text at all
    QChar m_quote;
    CopyRecord m_record;
    QByteArray m_line;
    QString m_text;
    QString m_unquoted;
    std::string m_bytes;
    std::vector<qsizetype> m_ends;
};

#include "GatheredRows.h"

#include "ErrorsFile.h"

void GatheredRows::row(const QString& path, qint64 line, const QString& reason, const QString& text)
{
    m_entries.append({path, line, reason, text});
    ++m_rows;
}

void GatheredRows::file(const QString& path, const QString& reason)
{
    m_entries.append({path, 0, reason, QString()});
}

void GatheredRows::clear()
{
    m_entries.clear();
    m_rows = 0;
}

void GatheredRows::saveAs(const QString& path) const
{
    ErrorsFile out(path);
    for (const RowNotLoaded& entry : m_entries) {
        if (entry.line == 0)
            out.file(entry.path, entry.reason);
        else
            out.row(entry.path, entry.line, entry.reason, entry.text);
    }
    out.finish();
}

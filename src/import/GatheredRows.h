#pragma once

#include "RejectedRows.h"

#include <QList>
#include <QString>

// One row, or a whole file (line 0), that a run did not load.
struct RowNotLoaded
{
    QString path;
    qint64 line = 0;
    QString reason;
    QString text;
};

// The rows a run did not load, kept in order for the window's list.
class GatheredRows : public RejectedRows
{
public:
    void row(const QString& path, qint64 line, const QString& reason, const QString& text) override;
    void file(const QString& path, const QString& reason) override;

    const QList<RowNotLoaded>& entries() const { return m_entries; }
    // Rows told one by one (files given up whole are not counted).
    qint64 rowCount() const { return m_rows; }
    void clear();
    // Writes every entry in the runner's errors-file format. Throws Failure.
    void saveAs(const QString& path) const;

private:
    QList<RowNotLoaded> m_entries;
    qint64 m_rows = 0;
};

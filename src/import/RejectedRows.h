#pragma once

#include <QString>

// Where an import run lists what it did not load, besides the reports it shows: every row not
// loaded, and every file of which nothing was loaded, so that rows loaded and rows listed
// together make up the rows of the files.
class RejectedRows
{
public:
    virtual ~RejectedRows() = default;
    // A row of the file at path, beginning on line (the file's first line is 1), not loaded.
    virtual void row(const QString& path, qint64 line, const QString& reason,
                     const QString& text) = 0;
    // A file of which no row was loaded or listed on its own.
    virtual void file(const QString& path, const QString& reason) = 0;
    // The run is done with a file: what was listed of it should now be kept.
    virtual void fileEnded() {}
};

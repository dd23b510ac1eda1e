#pragma once

#include "RejectedRows.h"

#include <QFile>
#include <QString>

// The rows not loaded, as a file the user can read and feed back: one line per row, four
// fields separated by tabs: the file's path, the line number (0 for a whole file), the
// reason and the row's text. In the path, the reason and the text a tab, CR, LF and backslash
// are written \t, \r, \n and \\, so each row stays one line. UTF-8.
// What is listed reaches the disk within about a second and at the end of each file, so a run
// that dies leaves its list behind.
class ErrorsFile : public RejectedRows
{
public:
    // Creates or empties the file; throws Failure when it cannot be written.
    explicit ErrorsFile(const QString& path);

    void row(const QString& path, qint64 line, const QString& reason, const QString& text) override;
    void file(const QString& path, const QString& reason) override;
    void fileEnded() override { flush(); }
    // Writes out what is listed when the last write out is a second old.
    void flushIfDue();
    // Throws Failure when what was listed could not all be written.
    void finish();

    static QString escaped(const QString& text);

private:
    void flush();
    void write(const QString& path, qint64 line, const QString& reason, const QString& text);

    QFile m_file;
    bool m_failed = false;
    qint64 m_lastFlush = 0; // milliseconds of the coarse monotonic clock
};

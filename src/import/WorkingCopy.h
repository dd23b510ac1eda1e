#pragma once

#include <functional>
#include <QString>

class LineReader;

// The working copy of the file being imported: "upload.txt" in the folder named by TEMP, or
// TMPDIR when TEMP is not set, or else in a private folder of the user's own. A run holds its
// name through WorkingCopyClaim, so runs at the same time each have their own.
// It is never written through a symbolic link planted at its path: the old entry is removed
// and the new file is created exclusively.
class WorkingCopy
{
public:
    explicit WorkingCopy(QString path) : m_path(std::move(path)) {}

    // TEMP + "/upload.txt", TMPDIR + "/upload.txt", or the private fallback.
    static QString defaultPath();
    const QString& path() const { return m_path; }

    // Replaces the working copy with a copy of source. Throws Failure naming the file when the
    // source is missing, a folder or unreadable, or the working copy cannot be written, so
    // another file's rows are never read in its place.
    void copyFrom(const QString& source);

    struct Prepared
    {
        QString firstLine;
        bool hasLines = false;
        bool firstLineKept = false;
    };
    // Rewrites the working copy with the lines to keep, each ended by CR LF, streaming.
    // skipsFirstLine is asked for every line read; when it says so, the first line is dropped.
    // onLine runs before every line read (the run yields there); step is told which step
    // begins, so a failure can be reported with it.
    enum class Step
    {
        Read,
        OpenForWriting,
        Write,
        Close
    };
    Prepared keepLines(
        const std::function<bool()>& skipsFirstLine, const std::function<void()>& onLine,
        const std::function<void(Step)>& step = [](Step) {});

    // Removes the working copy (and a stale partial rewrite) without following links.
    void remove() const;

private:
    QString m_path;
};

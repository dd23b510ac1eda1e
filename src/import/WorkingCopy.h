#pragma once

#include <deque>
#include <functional>
#include <QString>

class LineReader;
class WorkingCopyClaim;

// The working copy of the file being imported: "upload.txt" in the folder named by TEMP, or
// TMPDIR when TEMP is not set, or else in a private folder of the user's own. A run holds its
// name through WorkingCopyClaim, so runs at the same time each have their own.
// It is never written through a symbolic link planted at its path: the old entry is removed
// and the new file is created exclusively. With a claim, only an entry this program made is
// ever removed, and each new file is recorded as made.
class WorkingCopy
{
public:
    explicit WorkingCopy(QString path, WorkingCopyClaim* claim = nullptr)
        : m_path(std::move(path)), m_claim(claim)
    {
    }

    // TEMP + "/upload.txt", TMPDIR + "/upload.txt", or the private fallback.
    static QString defaultPath();
    const QString& path() const { return m_path; }

    // How the source is read: its encoding (empty: detected) and, when quote is not null,
    // records whose quoted fields may span lines. The working copy is always UTF-8.
    void setSourceFormat(const QString& encoding, QChar quote, const QString& separator)
    {
        m_encoding = encoding;
        m_quote = quote;
        m_separator = separator;
    }

    // Replaces the working copy with a copy of source ("-": standard input). When source is
    // the file at the claimed name, the claim first moves to another name. Throws Failure naming
    // the file when the source is missing, a folder or unreadable, or the working copy cannot be
    // written, so another file's rows are never read in its place.
    void copyFrom(const QString& source);

    // A record of the file that could not be read in its encoding: never loaded, and a blank
    // line in the working copy for each of its lines, so the file's lines keep their numbers.
    struct Unreadable
    {
        qint64 line; // the line of the file it begins on
        QString reason;
        QString text; // as far as it could be read
    };

    // The first record that is not blank: the file's header, when it has one.
    struct Prepared
    {
        QString firstLine;
        bool hasLines = false; // any record that is not blank
        bool firstLineKept = false;
        qint64 firstLineAt = 1;             // the line of the file it begins on
        qint64 firstLineSpan = 1;           // lines of the file it takes
        bool firstLineUnterminated = false; // its quote was still open at the end of the file
        QString firstLineFault;             // why it could not be read, when it could not
        std::deque<Unreadable> unreadable;  // in the file's order, the header's never

        // The line of the file that a line of the working copy came from.
        qint64 fileLine(qint64 copyLine) const
        {
            return !firstLineKept && hasLines && copyLine >= firstLineAt ? copyLine + firstLineSpan
                                                                         : copyLine;
        }
    };
    // Rewrites the working copy with the lines to keep, each ended by CR LF, streaming.
    // skipsFirstLine is asked at the first line that is not blank; when it says so, that line
    // is dropped.
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

private:
    // Removes what stands at path, when it may be replaced; throws Failure otherwise.
    void clear(const QString& path) const;
    // Creates path anew for writing, exclusively; throws Failure naming it when it cannot.
    int create(const QString& path) const;

    QString m_path;
    WorkingCopyClaim* m_claim;
    QString m_encoding;
    QChar m_quote;
    QString m_separator;
};

#pragma once

#include <deque>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

struct UConverter;

// Decodes a file's bytes in a named encoding a piece at a time, as ICU's converter for that
// name reads them. A sequence of bytes that does not decode, or that the file ends inside, is
// not repaired silently: it stands as U+FFFD in the text and is kept as a fault, with its bytes
// and its place in the text, so the line holding it can be reported.
class CharsetDecoder
{
public:
    CharsetDecoder() = default;
    ~CharsetDecoder();
    CharsetDecoder(const CharsetDecoder&) = delete;
    CharsetDecoder& operator=(const CharsetDecoder&) = delete;

    // False when no converter knows the name. Any name ICU knows (e.g. "windows-1251",
    // "IBM850", "Shift_JIS"), and "Locale" for the system's encoding.
    bool open(const QString& name);
    static bool isKnown(const QString& name);
    // The system's converters by their IANA names (their own where they have none), sorted.
    static QStringList availableNames();

    // Replaces text with the text of bytes, which follow those given before. The last call,
    // at the end of the file, gives no bytes and last true: a character the file ends inside
    // is then found.
    void decode(QByteArrayView bytes, QString& text, bool last = false);

    // A description of the faults that stand in the text decoded so far up to position (the
    // whole text since open, the first character being 0), which are then forgotten; empty
    // when there are none.
    QString takeFaultsUpTo(qint64 position);

private:
    struct Fault
    {
        qint64 at;        // where its U+FFFD stands in the text
        qint64 end;       // past the last U+FFFD of a run of faults next to each other
        QByteArray bytes; // its first bytes, as many as a description shows
        qint64 length;    // and how many it has
        bool truncated;   // the file ended inside the character
    };

    friend struct BadBytes;
    void note(const char16_t* target, QByteArrayView bytes, bool truncated);
    QString describe(const Fault& fault) const;
    void close();

    UConverter* m_converter = nullptr;
    QString m_name;
    // Where the text being written now begins, and its place in the whole text.
    const char16_t* m_written = nullptr;
    qint64 m_writtenAt = 0;
    std::deque<Fault> m_faults;
};

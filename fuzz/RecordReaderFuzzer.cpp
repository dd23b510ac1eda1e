// The record reader checked against a plain reference written here, character by character:
// the same records, lines, texts and fields, whether read from our own UTF-8, from decoded
// lines, or split from a record's text in memory. The first input byte picks the separator,
// the second the quote; the rest is the file.
#include "FieldSplitter.h"
#include "LineReader.h"
#include "RecordReader.h"

#include <cstdio>
#include <cstdlib>
#include <QStringDecoder>
#include <QStringList>
#include <QUtf8StringView>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {
void expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "differs from the reference: %s\n", what);
        std::abort();
    }
}

struct Line
{
    std::string text;
    std::string lineBreak; // empty for a last line without one
};

// Lines end at LF, CR LF or a lone CR.
std::vector<Line> referenceLines(const std::string& file)
{
    std::vector<Line> lines;
    Line line;
    bool pending = false;
    for (size_t i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c != '\n' && c != '\r') {
            line.text += c;
            pending = true;
            continue;
        }
        line.lineBreak = c;
        if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n')
            line.lineBreak += file[++i];
        lines.push_back(line);
        line = Line();
        pending = false;
    }
    if (pending)
        lines.push_back(line);
    return lines;
}

bool startsAt(const std::string& text, size_t i, const std::string& needle)
{
    return !needle.empty() && text.compare(i, needle.size(), needle) == 0;
}

struct ReferenceRecord
{
    std::vector<std::string> fields;
    std::string text;
    qint64 firstLine = 0, lastLine = 0;
    bool unterminated = false;
};

// A field that begins with the quote runs to the next lone quote, a doubled quote standing
// for one; whatever else stands up to the next separator is the field's as written. A record
// goes on past its line while a quote is open.
std::vector<ReferenceRecord> referenceRecords(const std::vector<Line>& lines,
                                              const std::string& separator,
                                              const std::string& quote)
{
    std::vector<ReferenceRecord> records;
    for (size_t n = 0; n < lines.size(); ++n) {
        ReferenceRecord record;
        record.firstLine = qint64(n) + 1;
        enum
        {
            Start,
            Plain,
            Quoted
        } state = Start;
        std::string field, text = lines[n].text;
        size_t i = 0;
        for (;;) {
            while (i < text.size()) {
                if (state == Quoted && startsAt(text, i, quote)) {
                    const bool doubled = startsAt(text, i + quote.size(), quote);
                    field += doubled ? quote : std::string();
                    i += doubled ? 2 * quote.size() : quote.size();
                    state = doubled ? Quoted : Plain;
                } else if (state == Quoted) {
                    field += text[i++];
                } else if (state == Start && startsAt(text, i, quote)) {
                    state = Quoted;
                    i += quote.size();
                } else if (startsAt(text, i, separator)) {
                    record.fields.push_back(field);
                    field.clear();
                    state = Start;
                    i += separator.size();
                } else {
                    field += text[i++];
                    state = Plain;
                }
            }
            if (state != Quoted)
                break;
            if (n + 1 == lines.size()) {
                record.unterminated = true;
                break;
            }
            field += lines[n].lineBreak;
            text += lines[n].lineBreak;
            i = text.size();
            text += lines[++n].text;
        }
        if (!text.empty())
            record.fields.push_back(field);
        record.text = text;
        record.lastLine = qint64(n) + 1;
        records.push_back(record);
    }
    return records;
}

QByteArrayView view(const std::string& s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

// A U+FEFF at the start is data, as the lines are decoded.
QString text(const std::string& s)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(view(s));
}

int fileOf(const std::string& bytes)
{
    const int fd = ::memfd_create("records", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        std::abort();
    return fd;
}

QString pathOf(int fd)
{
    return QStringLiteral("/proc/self/fd/") + QString::number(fd);
}

void expectSameRecord(const Record& got, const ReferenceRecord& want)
{
    expect(got.firstLine == want.firstLine && got.lastLine == want.lastLine, "a record's lines");
    expect(got.unterminated == want.unterminated, "whether a quote was left open");
    expect(got.text == view(want.text), "a record's text");
    expect(got.fields.size() == qsizetype(want.fields.size()), "the number of fields");
    for (size_t i = 0; i < want.fields.size(); ++i)
        expect(got.fields[qsizetype(i)] == view(want.fields[i]), "a field");
}

// next() over a file, opened as our own UTF-8 or decoded.
void checkSplitRecords(const QString& path, bool ownUtf8, const QString& separator, QChar quote,
                       const std::vector<ReferenceRecord>& expected)
{
    LineReader lines;
    if (ownUtf8)
        lines.openUtf8(path);
    else
        lines.open(path);
    RecordReader reader(lines, separator, quote);
    size_t n = 0;
    while (reader.next()) {
        expect(n < expected.size(), "more records than the reference");
        expectSameRecord(reader.record(), expected[n++]);
    }
    expect(n == expected.size(), "fewer records than the reference");
}

// nextText() over decoded lines, each record's text split in memory.
void checkTextRecords(const QString& path, const QString& separator, QChar quote,
                      const std::vector<ReferenceRecord>& expected)
{
    LineReader lines;
    lines.open(path);
    RecordReader reader(lines, separator, quote);
    QString record;
    size_t n = 0;
    while (reader.nextText(record)) {
        expect(n < expected.size(), "more text records than the reference");
        const ReferenceRecord& want = expected[n++];
        expect(record == text(want.text), "a text record");
        expect(reader.record().firstLine == want.firstLine &&
                   reader.record().lastLine == want.lastLine &&
                   reader.record().unterminated == want.unterminated,
               "a text record's lines");
        QStringList wanted;
        for (const std::string& field : want.fields)
            wanted << text(field);
        expect(SplitRecord(record, separator, quote) == wanted, "a record split in memory");
    }
    expect(n == expected.size(), "fewer text records than the reference");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const QString separators[] = {QStringLiteral(","),
                                         QStringLiteral(";"),
                                         QStringLiteral("\t"),
                                         QStringLiteral("||"),
                                         QStringLiteral("ab"),
                                         QStringLiteral("€"),
                                         QString(),
                                         QString(QChar(0xD800))};
    static const QChar quotes[] = {u'"', u'\'', u'a', QChar(0xA6), QChar(0x20AC), QChar()};
    const QString& separator = separators[data[0] % std::size(separators)];
    const QChar quote = quotes[data[1] % std::size(quotes)];
    // The runner refuses a quote that is part of the separator.
    if (!quote.isNull() && separator.contains(quote))
        return 0;
    const std::string file(reinterpret_cast<const char*>(data) + 2, size - 2);
    const QByteArray separatorBytes = separator.toUtf8();
    // A separator that UTF-8 cannot hold matches nothing.
    const std::string separatorText =
        QString::fromUtf8(separatorBytes) == separator ? separatorBytes.toStdString() : "";
    const std::string quoteText = quote.isNull() ? "" : QString(quote).toUtf8().toStdString();
    const std::vector<ReferenceRecord> expected =
        referenceRecords(referenceLines(file), separatorText, quoteText);

    const int fd = fileOf(file);
    checkSplitRecords(pathOf(fd), true, separator, quote, expected);
    // Decoded, a file of UTF-8 without a mark (which would be dropped) gives the same records.
    if (QUtf8StringView(file).isValidUtf8() && file.rfind("\xEF\xBB\xBF", 0) != 0) {
        checkSplitRecords(pathOf(fd), false, separator, quote, expected);
        checkTextRecords(pathOf(fd), separator, quote, expected);
    }
    ::close(fd);
    return 0;
}

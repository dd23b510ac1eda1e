// The line reader, the field splitter and the INSERT statement builder, checked against a
// plain reference written here: the same lines, the same fields, and statements that give
// back exactly the values of the fields. The first input byte picks the separator; the rest
// is the file.
#include "FieldSplitter.h"
#include "InsertText.h"
#include "LineReader.h"
#include "RecordReader.h"

#include <cstdio>
#include <cstdlib>
#include <QStringDecoder>
#include <QStringList>
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

// Well-formed UTF-8 as the Unicode standard defines it (its table 3-7).
bool isUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
        const unsigned char c = b(i);
        size_t n = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c < 0x80)
            n = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            n = 1;
        else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            if (c == 0xE0)
                low = 0xA0;
            if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;
        } else
            return false;
        for (size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size())
                return false;
            const unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
            if (b(i + k) < lo || b(i + k) > hi)
                return false;
        }
        i += n + 1;
    }
    return true;
}

// A line that is not UTF-8 is Windows-1252; its five undefined bytes stay Latin-1.
QString fromWindows1252(const std::string& line)
{
    static const char16_t high[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    QString text;
    for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        text += QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return text;
}

// A mark inside the data is a character of the line like any other.
QString decodeLine(const std::string& line)
{
    if (!isUtf8(line))
        return fromWindows1252(line);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(QByteArrayView(line.data(), qsizetype(line.size())));
}

// Lines end at LF, CR LF or a lone CR; a byte-order mark is dropped only at the file's start.
QStringList referenceLines(std::string file)
{
    if (file.rfind("\xEF\xBB\xBF", 0) == 0)
        file.erase(0, 3);
    QStringList lines;
    std::string line;
    bool pending = false;
    for (size_t i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c == '\n' || c == '\r') {
            lines << decodeLine(line);
            line.clear();
            pending = false;
            if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n')
                ++i;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending)
        lines << decodeLine(line);
    return lines;
}

QStringList referenceFields(const QString& line, const QString& separator)
{
    if (line.isEmpty())
        return {};
    if (separator.isEmpty())
        return {line};
    return line.split(separator, Qt::KeepEmptyParts);
}

// Reads back the values of "INSERT INTO [t] VALUES('a','b');" as a server would.
QStringList valuesOf(const QString& statement, const QString& table)
{
    const QString head = QStringLiteral("INSERT INTO [") + table + QStringLiteral("] VALUES(");
    expect(statement.startsWith(head) && statement.endsWith(QStringLiteral(");")),
           "the statement's frame");
    QStringList values;
    qsizetype i = head.size();
    const qsizetype end = statement.size() - 2;
    while (i < end) {
        expect(statement[i] == u'\'', "a value that does not start with an apostrophe");
        QString value;
        for (++i;; ++i) {
            expect(i < end, "a value that does not end");
            if (statement[i] == u'\'') {
                if (i + 1 < end && statement[i + 1] == u'\'') {
                    value += u'\'';
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            value += statement[i];
        }
        values << value;
        if (i < end) {
            expect(statement[i] == u',', "values not separated by a comma");
            ++i;
            expect(i < end, "a comma after the last value");
        }
    }
    return values;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const QString separators[] = {
        QStringLiteral(","),  QStringLiteral(";"),  QStringLiteral("\t"),
        QStringLiteral("|"),  QStringLiteral("::"), QString(),
        QStringLiteral("ab"), QStringLiteral("'"),  QStringLiteral("€")};
    const QString& separator = separators[data[0] % std::size(separators)];
    const std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);
    // UTF-16 and UTF-32 files (their mark decides) are beyond this byte-wise reference.
    if (file.rfind("\xFF\xFE", 0) == 0 || file.rfind("\xFE\xFF", 0) == 0 ||
        file.rfind(std::string("\0\0\xFE\xFF", 4), 0) == 0)
        return 0;

    const int fd = ::memfd_create("lines", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, file.data(), file.size()) != ssize_t(file.size()))
        std::abort();
    LineReader reader;
    reader.open(QStringLiteral("/proc/self/fd/") + QString::number(fd));
    const QStringList expected = referenceLines(file);
    const QString table = QStringLiteral("t]x");
    QString line;
    qsizetype n = 0;
    while (reader.readLine(line)) {
        expect(n < expected.size(), "more lines than the reference");
        expect(line == expected[n], "a line");
        const QStringList fields = SplitRecord(line, separator, QChar());
        const QStringList reference = referenceFields(line, separator);
        expect(fields == reference, "the fields");
        if (!fields.isEmpty()) {
            QList<QByteArray> bytes;
            QList<QByteArrayView> views;
            for (const QString& field : fields)
                bytes << field.toUtf8();
            for (const QByteArray& b : bytes)
                views << QByteArrayView(b);
            const QString statement = QString::fromUtf8(InsertText(table, views));
            expect(valuesOf(statement, table) == fields, "the values a statement stores");
        }
        ++n;
    }
    expect(n == expected.size(), "fewer lines than the reference");
    expect(!reader.readLine(line), "a line after the last one");
    reader.close();
    ::close(fd);

    // The working copy those lines make, read back as UTF-8 and split as bytes: the same
    // lines and fields.
    std::string copy;
    for (const QString& text : expected)
        copy += text.toUtf8().toStdString() + "\r\n";
    const int copyFd = ::memfd_create("copy", MFD_CLOEXEC);
    if (copyFd < 0 || ::write(copyFd, copy.data(), copy.size()) != ssize_t(copy.size()))
        std::abort();
    reader.openUtf8(QStringLiteral("/proc/self/fd/") + QString::number(copyFd));
    RecordReader records(reader, separator, QChar());
    n = 0;
    while (records.next()) {
        expect(n < expected.size(), "more UTF-8 lines than the reference");
        expect(records.record().text == expected[n].toUtf8(), "a UTF-8 line");
        const QList<QByteArrayView>& pieces = records.record().fields;
        const QStringList reference = referenceFields(expected[n], separator);
        expect(pieces.size() == reference.size(), "the number of UTF-8 fields");
        for (qsizetype i = 0; i < pieces.size(); ++i)
            expect(pieces[i] == reference[i].toUtf8(), "a UTF-8 field");
        ++n;
    }
    expect(n == expected.size(), "fewer UTF-8 lines than the reference");
    reader.close();
    ::close(copyFd);
    return 0;
}

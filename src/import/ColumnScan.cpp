#include "ColumnScan.h"

#include <algorithm>

bool ColumnScan::profileLines(LineReader& reader, std::vector<ColumnProfile>& profiles) const
{
    QByteArray line;
    while (reader.readUtf8Line(line)) {
        if (yield)
            yield();
        // The header is cut all the same: a quote there may open a record of several lines.
        const bool header = reader.lineNumber() == headerLine;
        if (!profileLine(line, header ? nullptr : &profiles))
            return false;
    }
    return true;
}

bool ColumnScan::profileLine(QByteArrayView line, std::vector<ColumnProfile>* profiles) const
{
    if (line.isEmpty())
        return true; // a blank line has no fields
    const char* p = line.data();
    const char* const end = p + line.size();
    const qsizetype quoteSize = quote.size();
    const qsizetype separatorSize = separator.size();
    const char separatorFirst = separatorSize ? separator[0] : '\0';
    size_t column = 0;
    for (;;) {
        if (quoteSize && end - p >= quoteSize && std::equal(p, p + quoteSize, quote.data()))
            return false;
        const char* const from = p;
        // A byte past ASCII may take other than one byte in the server's set.
        unsigned char high = 0;
        const char* cut = nullptr;
        while (p < end) {
            if (separatorSize && *p == separatorFirst &&
                (separatorSize == 1 || (end - p >= separatorSize &&
                                        std::equal(p, p + separatorSize, separator.data())))) {
                cut = p;
                break;
            }
            high |= static_cast<unsigned char>(*p);
            ++p;
        }
        if (profiles && column < profiles->size())
            addValue(QByteArrayView(from, (cut ? cut : end) - from), high < 0x80,
                     (*profiles)[column]);
        ++column;
        if (!cut)
            return true;
        p = cut + separatorSize; // a separator ending the line leaves an empty last field
    }
}

void ColumnScan::profileFields(const QList<QByteArrayView>& fields,
                               std::vector<ColumnProfile>& profiles) const
{
    const size_t count = std::min(size_t(fields.size()), profiles.size());
    for (size_t i = 0; i < count; ++i) {
        const QByteArrayView field = fields[qsizetype(i)];
        bool ascii = true;
        for (char c : field)
            ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        addValue(field, ascii, profiles[i]);
    }
}

void ColumnScan::addValue(QByteArrayView field, bool ascii, ColumnProfile& profile) const
{
    // The --null text stands for no value, as an empty field does.
    if (nullText && field == QByteArrayView(*nullText)) {
        profile.add({}, 0);
        return;
    }
    // No set takes more than four bytes for a character: a value that cannot be the longest
    // is not counted.
    qint64 bytes = field.size();
    if (!ascii && storedLength && bytes * 4 > profile.longest())
        bytes = storedLength(field);
    profile.add(field, bytes);
}

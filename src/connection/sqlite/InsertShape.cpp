#include "InsertShape.h"

bool InsertShape::parse(QStringView s)
{
    static const QString head = QStringLiteral("INSERT INTO [");
    static const QString middle = QStringLiteral("] VALUES(");
    rawValues.clear();
    if (!s.startsWith(head))
        return false;
    const qsizetype tableEnd = s.indexOf(QLatin1Char(']'), head.size());
    if (tableEnd < 0 || s.mid(tableEnd, middle.size()) != middle)
        return false;
    table = s.mid(head.size(), tableEnd - head.size());

    const char16_t* p = s.utf16();
    const qsizetype n = s.size();
    qsizetype i = tableEnd + middle.size();
    for (;;) {
        if (i >= n || p[i] != u'\'')
            return false;
        const qsizetype start = ++i;
        // The value ends at an apostrophe that is not doubled.
        for (;;) {
            while (i < n && p[i] != u'\'')
                ++i;
            if (i >= n)
                return false;
            if (i + 1 < n && p[i + 1] == u'\'') {
                i += 2;
                continue;
            }
            break;
        }
        rawValues.push_back(s.mid(start, i - start));
        ++i;
        if (i < n && p[i] == u',') {
            ++i;
            continue;
        }
        break;
    }
    // Only ");" may follow the last value.
    return n - i == 2 && p[i] == u')' && p[i + 1] == u';';
}

void InsertShape::encodeValues(std::string& out, std::vector<size_t>& ends) const
{
    out.clear();
    ends.clear();
    for (QStringView value : rawValues) {
        const char16_t* p = value.utf16();
        const qsizetype n = value.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = p[i];
            if (c == u'\'') {
                out.push_back('\'');
                ++i; // the second of a doubled pair
                continue;
            }
            if (c < 0x80) {
                out.push_back(char(c));
                continue;
            }
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
                ++i;
            } else if (c >= 0xD800 && c < 0xE000) {
                c = 0xFFFD; // a lone surrogate has no UTF-8 form
            }
            if (c < 0x800) {
                out.push_back(char(0xC0 | (c >> 6)));
                out.push_back(char(0x80 | (c & 0x3F)));
            } else if (c < 0x10000) {
                out.push_back(char(0xE0 | (c >> 12)));
                out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
                out.push_back(char(0x80 | (c & 0x3F)));
            } else {
                out.push_back(char(0xF0 | (c >> 18)));
                out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
                out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
                out.push_back(char(0x80 | (c & 0x3F)));
            }
        }
        ends.push_back(out.size());
    }
}

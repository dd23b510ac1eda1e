#include "TextDecoding.h"

#include "CharsetDecoder.h"

#include <cstring>

namespace TextDecoding {

Mark markAt(QByteArrayView start, qsizetype& length)
{
    // The longer marks first: FF FE 00 00 is UTF-32LE's, not UTF-16LE's and a U+0000.
    static constexpr struct
    {
        Mark mark;
        QByteArrayView bytes;
    } Marks[] = {{Mark::Utf32LE, QByteArrayView("\xFF\xFE\x00\x00", 4)},
                 {Mark::Utf32BE, QByteArrayView("\x00\x00\xFE\xFF", 4)},
                 {Mark::Utf8, QByteArrayView("\xEF\xBB\xBF", 3)},
                 {Mark::Utf16LE, QByteArrayView("\xFF\xFE", 2)},
                 {Mark::Utf16BE, QByteArrayView("\xFE\xFF", 2)}};
    for (const auto& candidate : Marks) {
        if (start.startsWith(candidate.bytes)) {
            length = candidate.bytes.size();
            return candidate.mark;
        }
    }
    length = 0;
    return Mark::None;
}

QString encodingOf(Mark mark)
{
    switch (mark) {
    case Mark::Utf8:
        return QStringLiteral("UTF-8");
    case Mark::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Mark::Utf16BE:
        return QStringLiteral("UTF-16BE");
    case Mark::Utf32LE:
        return QStringLiteral("UTF-32LE");
    case Mark::Utf32BE:
        return QStringLiteral("UTF-32BE");
    case Mark::None:
        break;
    }
    return {};
}

bool isKnown(const QString& name)
{
    return CharsetDecoder::isKnown(name);
}

QString fromWindows1252(QByteArrayView bytes)
{
    // 0x80 to 0x9F; the rest of the code page is Latin-1.
    static constexpr char16_t High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : char16_t(byte);
    }
    return text;
}

} // namespace TextDecoding

#include "TextDecoding.h"

#include <cstring>
#include <QStringDecoder>

namespace TextDecoding {

Mark markAt(QByteArrayView start, qsizetype& length)
{
    length = 0;
    if (start.size() >= 3 && std::memcmp(start.data(), "\xEF\xBB\xBF", 3) == 0) {
        length = 3;
        return Mark::Utf8;
    }
    if (start.size() >= 2 && std::memcmp(start.data(), "\xFF\xFE", 2) == 0) {
        length = 2;
        return Mark::Utf16LE;
    }
    if (start.size() >= 2 && std::memcmp(start.data(), "\xFE\xFF", 2) == 0) {
        length = 2;
        return Mark::Utf16BE;
    }
    return Mark::None;
}

bool isKnown(const QString& name)
{
    return !name.isEmpty() && QStringDecoder(name.toLatin1().constData()).isValid();
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

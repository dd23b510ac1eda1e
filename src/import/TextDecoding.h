#pragma once

#include <QByteArrayView>
#include <QString>

// How the bytes of a file to import become text.
namespace TextDecoding {

// What a byte-order mark at the start of a file says.
enum class Mark
{
    None,
    Utf8,
    Utf16LE,
    Utf16BE,
    Utf32LE,
    Utf32BE
};

// The mark the bytes begin with; its length in bytes goes to length (0 for None). UTF-32LE's
// mark begins with UTF-16LE's, so four bytes are needed to tell them apart.
Mark markAt(QByteArrayView start, qsizetype& length);

// The name of the encoding a mark other than None decides.
QString encodingOf(Mark mark);

// True when the converters files are decoded with know the encoding name (e.g. "windows-1251",
// "IBM850").
bool isKnown(const QString& name);

// Windows-1252, except that the five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) are read as Latin-1, so every byte stays a character.
QString fromWindows1252(QByteArrayView bytes);

} // namespace TextDecoding

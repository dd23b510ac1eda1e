#include "PointerFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace {

constexpr int DirectorySize = 6;
constexpr int EntrySize = 16;
constexpr quint16 IconKind = 1;
constexpr quint16 CursorKind = 2;

quint16 word(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 doubleWord(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

} // namespace

std::optional<PointerImage> ReadPointerFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    file.close();

    // The directory and its first entry are checked here, before the image reader sees the
    // bytes, so a damaged file cannot send it past the end of the data.
    if (bytes.size() < DirectorySize + EntrySize)
        return std::nullopt;
    const quint16 kind = word(bytes, 2);
    const quint16 imageCount = word(bytes, 4);
    if (word(bytes, 0) != 0 || (kind != IconKind && kind != CursorKind) || imageCount == 0)
        return std::nullopt;
    if (bytes.size() < DirectorySize + EntrySize * qsizetype(imageCount))
        return std::nullopt;
    const int entry = DirectorySize;
    const quint32 imageBytes = doubleWord(bytes, entry + 8);
    const quint32 imageOffset = doubleWord(bytes, entry + 12);
    if (imageOffset > quint32(bytes.size()) || imageBytes > quint32(bytes.size()) - imageOffset)
        return std::nullopt;

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    PointerImage pointer;
    pointer.image = reader.read();
    if (pointer.image.isNull())
        return std::nullopt;

    if (kind == CursorKind) {
        pointer.hotSpot = QPoint(word(bytes, entry + 4), word(bytes, entry + 6));
        if (!pointer.image.rect().contains(pointer.hotSpot))
            return std::nullopt;
    } else {
        pointer.hotSpot = pointer.image.rect().center();
    }
    return pointer;
}

std::optional<QCursor> LoadPointerFile(const QString& path)
{
    const std::optional<PointerImage> pointer = ReadPointerFile(path);
    if (!pointer)
        return std::nullopt;
    return QCursor(QPixmap::fromImage(pointer->image), pointer->hotSpot.x(), pointer->hotSpot.y());
}

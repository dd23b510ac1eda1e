#pragma once

#include <optional>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QString>

// An image from a Windows pointer file and the point of it that acts.
struct PointerImage
{
    QImage image;
    QPoint hotSpot;
};

// Reads the first image of a cursor (.cur) or icon (.ico) file. A cursor's hot spot comes
// from its directory entry; an icon acts at its centre. Nothing for a missing, unreadable or
// malformed file.
std::optional<PointerImage> ReadPointerFile(const QString& path);

// The same, as a cursor ready to show.
std::optional<QCursor> LoadPointerFile(const QString& path);

#include "ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // A sheet of delimited text.
    p.setPen(QPen(QColor(0x2b, 0x4a, 0x6f), 2));
    p.setBrush(QColor(0xfa, 0xfa, 0xf5));
    p.drawRoundedRect(QRectF(4, 4, 30, 38), 3, 3);
    p.setPen(QPen(QColor(0x6b, 0x8a, 0xad), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int row = 0; row < 5; ++row) {
        const qreal y = 12 + row * 6.5;
        p.drawLine(QPointF(9, y), QPointF(17, y));
        p.drawLine(QPointF(21, y), QPointF(29, y));
    }

    // The database drum it is loaded into.
    const QRectF body(26, 28, 34, 30);
    const QColor drum(0x2f, 0x7d, 0x5b);
    p.setPen(QPen(drum.darker(140), 2));
    p.setBrush(drum);
    QPainterPath cylinder;
    cylinder.moveTo(body.left(), body.top() + 5);
    cylinder.lineTo(body.left(), body.bottom() - 5);
    cylinder.arcTo(QRectF(body.left(), body.bottom() - 10, body.width(), 10), 180, 180);
    cylinder.lineTo(body.right(), body.top() + 5);
    cylinder.arcTo(QRectF(body.left(), body.top(), body.width(), 10), 0, -180);
    p.drawPath(cylinder);
    p.setBrush(drum.lighter(135));
    p.drawEllipse(QRectF(body.left(), body.top(), body.width(), 10));
    p.setPen(QPen(drum.lighter(160), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(body.left(), body.top() + 10, body.width(), 10), 180 * 16, 180 * 16);
    p.drawArc(QRectF(body.left(), body.top() + 18, body.width(), 10), 180 * 16, 180 * 16);
    return pixmap;
}
} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}

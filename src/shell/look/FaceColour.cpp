#include "FaceColour.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

QColor FaceColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

namespace {

void paintFace(QWidget& widget, const QColor& face)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, face);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool takesFaceColour(const QWidget& widget)
{
    return qobject_cast<const QRadioButton*>(&widget) || qobject_cast<const QCheckBox*>(&widget) ||
           qobject_cast<const QGroupBox*>(&widget) || qobject_cast<const QLabel*>(&widget);
}

} // namespace

void ApplyFaceColour(QWidget& window)
{
    const QColor face = FaceColour();
    paintFace(window, face);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (takesFaceColour(*child))
            paintFace(*child, face);
    }
}

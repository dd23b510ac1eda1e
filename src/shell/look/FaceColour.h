#pragma once

#include <QColor>

class QWidget;

// The platform's button-face colour: the Button colour of the application's palette.
QColor FaceColour();

// Paints the window and each of its option buttons, check boxes, frames and labels in the
// face colour; other controls keep theirs.
void ApplyFaceColour(QWidget& window);

#pragma once

#include <QFont>
#include <QString>

class QWidget;

// Places a control in its container by its designed position in twips, converted through the
// logical DPI of its screen, so the windows keep their proportions at 96 and 144 DPI.
void PlaceInTwips(QWidget& control, int left, int top, int width, int height);
// A window's client area of the designed size, fixed so nothing moves out of place.
void FixClientAreaInTwips(QWidget& window, int width, int height);
// The designed fonts: Arial (or the metric-compatible Liberation Sans), bold.
QFont DesignFont(double points);

// Widens each option button, check box and label of the window whose caption does not fit its
// designed width, as far as its container allows, so no caption is cut where there is room;
// one that still does not fit shows its whole caption as a tool tip.
void FitCaptions(QWidget& window);

// Gives every control of the window its designed font explicitly (push buttons the larger
// one), so a skin worn by the whole application cannot put the default font back.
void ApplyDesignFonts(QWidget& window, double points, double buttonPoints);

#pragma once

class QWidget;

// Window geometry is designed in twips: 1440 to the inch.
inline constexpr int TwipsPerInch = 1440;

// Twips to pixels at the given logical dots per inch, rounded to the nearest pixel.
int TwipsToPixels(int twips, double logicalDpi);

// Twips to pixels through the logical DPI of the widget's screen, across and down.
int TwipsToPixelsX(int twips, const QWidget& widget);
int TwipsToPixelsY(int twips, const QWidget& widget);

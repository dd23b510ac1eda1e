#include "Twips.h"

#include <cmath>
#include <QWidget>

int TwipsToPixels(int twips, double logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / TwipsPerInch));
}

int TwipsToPixelsX(int twips, const QWidget& widget)
{
    return TwipsToPixels(twips, widget.logicalDpiX());
}

int TwipsToPixelsY(int twips, const QWidget& widget)
{
    return TwipsToPixels(twips, widget.logicalDpiY());
}

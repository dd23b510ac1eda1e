#pragma once

#include <QString>

class QWidget;
class SkinFramework;

// True when the skin file "x/o.cjs" is a plain file in the program folder: a folder of that
// name or a hidden file does not count.
bool SkinFileExists(const QString& programFolder);

// Skins the window when the skin file is there: face colour, load the file, option bit 1,
// properties 5 and 10, then the window, in that order. Without the file nothing changes.
void ApplySkin(QWidget& window, SkinFramework& skinFramework, const QString& programFolder);

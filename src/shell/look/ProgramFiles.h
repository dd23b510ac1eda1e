#pragma once

#include <QString>

// The folder that holds the running executable, in native notation without a trailing
// separator.
QString ProgramFolder();

// The optional files looked for in the program folder.
QString HandCursorPath(const QString& programFolder); // "HAND-M.CUR"
QString DragIconPath(const QString& programFolder);   // "drag.ico"
QString SkinFilePath(const QString& programFolder);   // "x" then "o.cjs"

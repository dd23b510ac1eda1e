#pragma once

#include <QLoggingCategory>
#include <QString>

// Which program folder was taken and which of its files were found and loaded; silent unless
// switched on, for example with QT_LOGGING_RULES=tessaloom.programfiles.info=true.
Q_DECLARE_LOGGING_CATEGORY(lcProgramFiles)

// The folder that holds the running executable, in native notation without a trailing
// separator. A link to the executable (as on PATH after an installation) is followed to the
// real file, so the folder is the one that holds the pointer and skin files.
QString ProgramFolder();

// The optional files looked for in the program folder.
QString HandCursorPath(const QString& programFolder); // "HAND-M.CUR"
QString DragIconPath(const QString& programFolder);   // "drag.ico"
QString SkinFilePath(const QString& programFolder);   // "x" then "o.cjs"

// Names the folder and, for each of the files above, whether it is there (and, for the two
// pointers, whether it reads as one).
void ReportProgramFiles(const QString& programFolder);

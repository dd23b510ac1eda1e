#include "ProgramFiles.h"

#include "PathText.h"

#include <QCoreApplication>
#include <QDir>

QString ProgramFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString HandCursorPath(const QString& programFolder)
{
    return programFolder + NativeSeparator + QStringLiteral("HAND-M.CUR");
}

QString DragIconPath(const QString& programFolder)
{
    return programFolder + NativeSeparator + QStringLiteral("drag.ico");
}

QString SkinFilePath(const QString& programFolder)
{
    return programFolder + NativeSeparator + QStringLiteral("x") + NativeSeparator +
           QStringLiteral("o.cjs");
}

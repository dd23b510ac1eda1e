#include "ProgramFiles.h"

#include "PathText.h"
#include "PointerFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcProgramFiles, "tessaloom.programfiles", QtWarningMsg)

QString ProgramFolder()
{
    // Qt resolves the running executable through /proc/self/exe, which follows links.
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

void ReportProgramFiles(const QString& programFolder)
{
    qCInfo(lcProgramFiles).noquote() << "program folder" << programFolder;
    const auto pointerState = [](const QString& path) {
        if (!QFileInfo(path).isFile())
            return "missing";
        return ReadPointerFile(path) ? "found" : "unreadable";
    };
    for (const QString& path : {HandCursorPath(programFolder), DragIconPath(programFolder)})
        qCInfo(lcProgramFiles).noquote() << path << pointerState(path);
    const QString skin = SkinFilePath(programFolder);
    qCInfo(lcProgramFiles).noquote() << skin << (QFileInfo(skin).isFile() ? "found" : "missing");
}

#include "ApplySkin.h"

#include "FaceColour.h"
#include "ProgramFiles.h"
#include "SkinFramework.h"

#include <QFileInfo>

bool SkinFileExists(const QString& programFolder)
{
    const QFileInfo skin(SkinFilePath(programFolder));
    return skin.isFile() && !skin.isHidden();
}

void ApplySkin(QWidget& window, SkinFramework& skinFramework, const QString& programFolder)
{
    if (!SkinFileExists(programFolder))
        return;
    ApplyFaceColour(window);
    skinFramework.LoadSkin(SkinFilePath(programFolder), QString());
    skinFramework.setApplyOptions(skinFramework.applyOptions() | SkinFramework::ResolveFaceColours);
    skinFramework.setProperty(SkinFramework::AutoApplyNewWindowsProperty, true);
    skinFramework.setProperty(SkinFramework::KeepDesignedFontsProperty, true);
    skinFramework.ApplyWindow(window);
    qCInfo(lcProgramFiles).noquote() << "skin applied from" << SkinFilePath(programFolder);
}

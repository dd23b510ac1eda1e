#include "SkinFramework.h"

#include "Failure.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QRegularExpression>
#include <QWidget>

namespace {

constexpr int NoSuchProperty = 438;

[[noreturn]] void unknownProperty(int number)
{
    throw Failure(QStringLiteral("Object doesn't support this property or method (%1)").arg(number),
                  NoSuchProperty);
}

QString withoutFontDeclarations(QString sheet)
{
    static const QRegularExpression fontDeclaration(
        QStringLiteral(R"(\bfont(-family|-size|-weight|-style)?\s*:[^;}]*;?)"));
    return sheet.remove(fontDeclaration);
}

} // namespace

void SkinFramework::LoadSkin(const QString& skinPath, const QString& extraSheet)
{
    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Skin file cannot be read: %1").arg(skinPath));
    const QByteArray bytes = file.readAll();
    file.close();
    m_sheet = QString::fromUtf8(bytes) + extraSheet;
    m_loaded = true;
}

bool SkinFramework::property(int number) const
{
    switch (number) {
    case AutoApplyNewWindowsProperty:
        return m_autoApplyNewWindows;
    case KeepDesignedFontsProperty:
        return m_keepDesignedFonts;
    default:
        unknownProperty(number);
    }
}

void SkinFramework::setProperty(int number, bool value)
{
    switch (number) {
    case AutoApplyNewWindowsProperty:
        m_autoApplyNewWindows = value;
        return;
    case KeepDesignedFontsProperty:
        m_keepDesignedFonts = value;
        return;
    default:
        unknownProperty(number);
    }
}

QString SkinFramework::sheetFor(const QWidget& window) const
{
    QString sheet = m_sheet;
    if (m_options & ResolveFaceColours) {
        const QPalette& palette = window.palette();
        // The longer name first, so "@facetext" is not read as "@face" followed by "text".
        sheet.replace(QStringLiteral("@facetext"), palette.color(QPalette::WindowText).name());
        sheet.replace(QStringLiteral("@face"), palette.color(QPalette::Window).name());
        sheet.replace(QStringLiteral("@disabledtext"),
                      palette.color(QPalette::Disabled, QPalette::WindowText).name());
    }
    if (m_keepDesignedFonts)
        sheet = withoutFontDeclarations(sheet);
    return sheet;
}

void SkinFramework::ApplyWindow(QWidget& window)
{
    if (!m_loaded)
        return;
    const QString sheet = sheetFor(window);
    if (m_autoApplyNewWindows)
        qApp->setStyleSheet(sheet);
    else
        window.setStyleSheet(sheet);
}

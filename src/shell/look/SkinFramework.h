#pragma once

#include <QString>

class QWidget;

// The skin component: wears a Qt style sheet, read from a skin file, on windows.
//
//   LoadSkin(path, extra)  reads the skin file (UTF-8 style sheet text) and appends the extra
//                          sheet text to it; "" adds nothing. Throws Failure when the file
//                          cannot be read; the previous skin then stays.
//   ApplyOptions, bit 1    ResolveFaceColours: when the skin is applied, "@face" and
//                          "@facetext" in the sheet become the window's background and text
//                          colours (#rrggbb), and "@disabledtext" the colour of its disabled
//                          text, so a skin can build on the face colour that was set before it.
//                          Without the bit they stay as written.
//   property 5             AutoApplyNewWindows (yes/no, initially no): yes wears the skin on
//                          the whole application, so the windows shown later, message boxes
//                          included, are skinned too; no skins only the window applied to.
//   property 10            KeepDesignedFonts (yes/no, initially no): yes drops the sheet's
//                          font declarations, so the windows keep the fonts they were laid
//                          out with and only colours, borders and spacing change.
//   ApplyWindow(window)    wears the loaded skin; does nothing before a skin is loaded.
class SkinFramework
{
public:
    static constexpr int ResolveFaceColours = 1;
    static constexpr int AutoApplyNewWindowsProperty = 5;
    static constexpr int KeepDesignedFontsProperty = 10;

    void LoadSkin(const QString& skinPath, const QString& extraSheet);
    bool isLoaded() const { return m_loaded; }
    const QString& loadedSheet() const { return m_sheet; }

    int applyOptions() const { return m_options; }
    void setApplyOptions(int options) { m_options = options; }

    // The yes/no properties by number; an unknown number throws Failure (438).
    bool property(int number) const;
    void setProperty(int number, bool value);

    void ApplyWindow(QWidget& window);

    // The sheet as it is worn on the window, after the options and properties.
    QString sheetFor(const QWidget& window) const;

private:
    QString m_sheet;
    bool m_loaded = false;
    int m_options = 0;
    bool m_autoApplyNewWindows = false;
    bool m_keepDesignedFonts = false;
};

#pragma once

#include <QPoint>
#include <QString>

// How a message box looks: its buttons and icon.
enum class MessageStyle
{
    Plain,       // OK button, no icon
    Exclamation, // OK button, exclamation icon
};

// The number a style is written as where one is printed (the folder-scan bench's messages).
constexpr int MessageStyleNumber(MessageStyle style)
{
    return style == MessageStyle::Exclamation ? 48 : 0;
}

// Everything that shows something, asks the user, waits for the event loop or draws a
// random number goes through this interface: the program uses the Qt implementation,
// tests a scripted one, so nothing modal ever blocks a test.
class Interaction
{
public:
    virtual ~Interaction() = default;

    // A modal message box; returns when the user closed it.
    virtual void messageBox(const QString& text, MessageStyle style, const QString& title) = 0;

    // A modal message box with a check box of the given caption under the text; returns
    // whether the user left it checked.
    virtual bool messageBoxWithCheck(const QString& text, MessageStyle style, const QString& title,
                                     const QString& checkCaption)
    {
        (void)checkCaption;
        messageBox(text, style, title);
        return false;
    }

    // A modal text prompt preset with defaultAnswer; the typed text, or "" on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) = 0;

    // The open-file dialog with multiple selection. filter is in the "Description|pattern|..."
    // form. Returns "" when cancelled, one full path for one file, or the folder, a NUL and
    // the names separated by NULs for several files. May throw Failure (number 20476 when the
    // selection does not fit).
    virtual QString openFileDialog(const QString& title, const QString& filter) = 0;

    // The save-file dialog, asking before replacing a file. filter as for openFileDialog.
    // Returns the chosen path, or "" when cancelled.
    virtual QString saveFileDialog(const QString& title, const QString& filter)
    {
        (void)title;
        (void)filter;
        return QString();
    }

    // The folder picker (file-system folders only), preselecting startFolder when it exists.
    // Returns the chosen folder's full path, or "" when cancelled.
    virtual QString browseForFolder(const QString& title, const QString& startFolder) = 0;

    // Lets pending window events run.
    virtual void yield() = 0;

    // Opens a web address in the user's browser.
    virtual void openWebAddress(const QString& address) = 0;

    // The pointer's position on the screen, in screen pixels.
    virtual QPoint pointerPosition() = 0;

    // A uniform value in [0, 1), the generator reseeded from the time of day first.
    virtual double randomFromTimeOfDay() = 0;
};

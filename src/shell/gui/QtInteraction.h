#pragma once

#include "Interaction.h"

#include <QStringList>

class QWidget;

// The interaction interface on Qt Widgets: modal boxes and dialogs over the active window.
class QtInteraction : public Interaction
{
public:
    void messageBox(const QString& text, MessageStyle style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultAnswer) override;
    QString openFileDialog(const QString& title, const QString& filter) override;
    bool messageBoxWithCheck(const QString& text, MessageStyle style, const QString& title,
                             const QString& checkCaption) override;
    QString saveFileDialog(const QString& title, const QString& filter) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    void yield() override;
    void openWebAddress(const QString& address) override;
    QPoint pointerPosition() override;
    double randomFromTimeOfDay() override;

    // "Text Files|*.txt;*.csv|All|*.*|" as Qt name filters: "Text Files (*.txt *.csv)",
    // "All (*.*)". A description without a pattern gets "*"; one that already ends with its
    // patterns in parentheses ("All (*.*)|*.*") keeps its text.
    static QStringList nameFilters(const QString& filter);

    // The dialog's answer for the chosen files: "" for none, the full path for one, and for
    // several their common folder, then a NUL before each name relative to that folder.
    static QString openFileResult(const QStringList& paths);

    // Message texts break lines with CR LF or a lone CR; Qt's labels want LF.
    static QString displayText(const QString& text);

private:
    static QWidget* parentWindow();
};

#pragma once

#include "Interaction.h"

// Answers the folder button's two questions from the command line, lets queued events run
// on every yield (counting them), and prints any message box to the error stream.
class ConsoleInteraction : public Interaction
{
public:
    ConsoleInteraction(QString extension, QString folder)
        : m_extension(std::move(extension)), m_folder(std::move(folder))
    {
    }

    void messageBox(const QString& text, MessageStyle style, const QString& title) override;
    QString inputBox(const QString&, const QString&, const QString&) override
    {
        return m_extension;
    }
    QString openFileDialog(const QString&, const QString&) override { return QString(); }
    QString browseForFolder(const QString&, const QString&) override { return m_folder; }
    void yield() override;
    void openWebAddress(const QString&) override {}
    QPoint pointerPosition() override { return {}; }
    double randomFromTimeOfDay() override { return 0.5; }

    int yields() const { return m_yields; }
    int messages() const { return m_messages; }

private:
    QString m_extension;
    QString m_folder;
    int m_yields = 0;
    int m_messages = 0;
};

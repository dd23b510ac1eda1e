#pragma once

#include "Interaction.h"

#include <QStringList>

#include <cstdio>

// The interaction of the headless runner: every message becomes one line (its title, then
// its text with line breaks shown as "\n"), error reports on stderr and the rest on stdout;
// prompts are answered from a list given on the command line, Cancel once it is used up.
class ConsoleInteraction : public Interaction
{
public:
    explicit ConsoleInteraction(QStringList answers, std::FILE* out = stdout, std::FILE* err = stderr)
        : m_answers(std::move(answers)), m_out(out), m_err(err)
    {
    }

    static QString oneLine(const QString& title, const QString& text);

    void messageBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString openFileDialog(const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    void yield() override;
    void openWebAddress(const QString&) override {}
    QPoint pointerPosition() override { return {}; }
    double randomFromTimeOfDay() override { return 0.0; }

private:
    QStringList m_answers;
    std::FILE* m_out;
    std::FILE* m_err;
};

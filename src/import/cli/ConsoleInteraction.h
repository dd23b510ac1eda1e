#pragma once

#include "ImportRun.h"
#include "Interaction.h"

#include <cstdio>
#include <functional>
#include <QElapsedTimer>
#include <QStringList>

// The interaction of the headless runner: every message becomes one line (its title, then
// its text with line breaks shown as "\n"), error reports on stderr and the rest on stdout;
// prompts are answered from a list given on the command line, Cancel once it is used up; the
// prompt for column #1 begins the list again, so every file is served the same names.
// With a progress to show (on a terminal), a line on stderr rewritten in place when the run
// yields: the file, its rows and rows per second; a message first clears it.
class ConsoleInteraction : public Interaction
{
public:
    explicit ConsoleInteraction(QStringList answers, std::FILE* out = stdout,
                                std::FILE* err = stderr)
        : m_answers(std::move(answers)), m_out(out), m_err(err)
    {
    }

    static QString oneLine(const QString& title, const QString& text);

    void messageBox(const QString& text, MessageStyle style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultAnswer) override;
    QString openFileDialog(const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    void yield() override;

    void showProgress(const ImportProgress* progress) { m_progress = progress; }
    // Runs at every yield, whether progress is shown or not.
    void setOnYield(std::function<void()> onYield) { m_onYield = std::move(onYield); }
    // Clears the progress line, so what follows starts on a clean line.
    void endProgress();
    static QString progressLine(const ImportProgress& progress, double rowsPerSecond);
    void openWebAddress(const QString&) override {}
    QPoint pointerPosition() override { return {}; }
    double randomFromTimeOfDay() override { return 0.0; }

private:
    QStringList m_answers;
    qsizetype m_nextAnswer = 0;
    std::function<void()> m_onYield;
    std::FILE* m_out;
    std::FILE* m_err;
    const ImportProgress* m_progress = nullptr;
    QElapsedTimer m_shown;     // since the progress line was last written
    QElapsedTimer m_fileTimer; // since the file in hand began
    int m_position = 0;
    bool m_lineShown = false;
};

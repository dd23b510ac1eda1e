#pragma once

#include "Failure.h"
#include "Interaction.h"

#include <functional>
#include <optional>
#include <QList>
#include <QPoint>
#include <QQueue>
#include <QStringList>

// An Interaction for tests: records everything shown or asked and answers from queues that
// the test fills beforehand. An empty queue answers like a user who cancels: "" for prompts
// and dialogs, (0, 0) for the pointer, 0.5 for a random draw (no one-in-a-hundred event).
class ScriptedInteraction : public Interaction
{
public:
    struct Message
    {
        QString text;
        MessageStyle style = MessageStyle::Plain;
        QString title;
    };
    struct Prompt
    {
        QString prompt;
        QString title;
        QString defaultAnswer;
    };
    struct Dialog
    {
        enum Kind
        {
            OpenFile,
            SaveFile,
            Folder
        };
        Kind kind = OpenFile;
        QString title;
        QString argument; // the filter of an open-file dialog, the start folder of a picker
    };

    void messageBox(const QString& text, MessageStyle style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultAnswer) override;
    QString openFileDialog(const QString& title, const QString& filter) override;
    // Recorded as a message; the check box is left as answerCheck() said (unchecked by default).
    bool messageBoxWithCheck(const QString& text, MessageStyle style, const QString& title,
                             const QString& checkCaption) override;
    QString saveFileDialog(const QString& title, const QString& filter) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    void yield() override;
    void openWebAddress(const QString& address) override;
    QPoint pointerPosition() override;
    double randomFromTimeOfDay() override;

    // Answers, used first in first out.
    void answerPrompt(const QString& text) { m_promptAnswers.enqueue(text); }
    void answerFileDialog(const QString& result) { m_fileAnswers.enqueue({result, {}}); }
    void failFileDialog(const Failure& failure) { m_fileAnswers.enqueue({{}, failure}); }
    void answerCheck(bool checked) { m_checkAnswers.enqueue(checked); }
    void answerSaveDialog(const QString& path) { m_saveAnswers.enqueue(path); }
    void answerFolder(const QString& folder) { m_folderAnswers.enqueue(folder); }
    void answerPointer(QPoint position) { m_pointerAnswers.enqueue(position); }
    void answerRandom(double value) { m_randomAnswers.enqueue(value); }

    // Run on every yield (given the yield's count, from 1) or message box, so a test can act
    // while the code under test waits; they may throw to make that step fail.
    void onYield(std::function<void(int)> callback) { m_onYield = std::move(callback); }
    void onMessage(std::function<void(const Message&)> callback)
    {
        m_onMessage = std::move(callback);
    }

    const QList<Message>& messages() const { return m_messages; }
    QStringList messageTexts() const;
    const QList<Prompt>& prompts() const { return m_prompts; }
    const QList<Dialog>& dialogs() const { return m_dialogs; }
    int yields() const { return m_yields; }
    const QStringList& openedAddresses() const { return m_addresses; }
    int pointerQueries() const { return m_pointerQueries; }
    int randomDraws() const { return m_randomDraws; }

private:
    struct FileAnswer
    {
        QString result;
        std::optional<Failure> failure;
    };

    QList<Message> m_messages;
    QList<Prompt> m_prompts;
    QList<Dialog> m_dialogs;
    QStringList m_addresses;
    int m_yields = 0;
    int m_pointerQueries = 0;
    int m_randomDraws = 0;

    QQueue<QString> m_promptAnswers;
    QQueue<FileAnswer> m_fileAnswers;
    QQueue<QString> m_folderAnswers;
    QQueue<bool> m_checkAnswers;
    QQueue<QString> m_saveAnswers;
    QQueue<QPoint> m_pointerAnswers;
    QQueue<double> m_randomAnswers;

    std::function<void(int)> m_onYield;
    std::function<void(const Message&)> m_onMessage;
};

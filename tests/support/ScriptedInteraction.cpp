#include "ScriptedInteraction.h"

void ScriptedInteraction::messageBox(const QString& text, MessageStyle style, const QString& title)
{
    m_messages.append({text, style, title});
    if (m_onMessage)
        m_onMessage(m_messages.last());
}

bool ScriptedInteraction::messageBoxWithCheck(const QString& text, MessageStyle style,
                                              const QString& title, const QString& checkCaption)
{
    (void)checkCaption;
    messageBox(text, style, title);
    return !m_checkAnswers.isEmpty() && m_checkAnswers.dequeue();
}

QString ScriptedInteraction::saveFileDialog(const QString& title, const QString& filter)
{
    m_dialogs.append({Dialog::SaveFile, title, filter});
    return m_saveAnswers.isEmpty() ? QString() : m_saveAnswers.dequeue();
}

QString ScriptedInteraction::inputBox(const QString& prompt, const QString& title,
                                      const QString& defaultAnswer)
{
    m_prompts.append({prompt, title, defaultAnswer});
    return m_promptAnswers.isEmpty() ? QString() : m_promptAnswers.dequeue();
}

QString ScriptedInteraction::openFileDialog(const QString& title, const QString& filter)
{
    m_dialogs.append({Dialog::OpenFile, title, filter});
    if (m_fileAnswers.isEmpty())
        return QString();
    FileAnswer answer = m_fileAnswers.dequeue();
    if (answer.failure)
        throw *answer.failure;
    return answer.result;
}

QString ScriptedInteraction::browseForFolder(const QString& title, const QString& startFolder)
{
    m_dialogs.append({Dialog::Folder, title, startFolder});
    return m_folderAnswers.isEmpty() ? QString() : m_folderAnswers.dequeue();
}

void ScriptedInteraction::yield()
{
    ++m_yields;
    if (m_onYield)
        m_onYield(m_yields);
}

void ScriptedInteraction::openWebAddress(const QString& address)
{
    m_addresses.append(address);
}

QPoint ScriptedInteraction::pointerPosition()
{
    ++m_pointerQueries;
    return m_pointerAnswers.isEmpty() ? QPoint() : m_pointerAnswers.dequeue();
}

double ScriptedInteraction::randomFromTimeOfDay()
{
    ++m_randomDraws;
    return m_randomAnswers.isEmpty() ? 0.5 : m_randomAnswers.dequeue();
}

QStringList ScriptedInteraction::messageTexts() const
{
    QStringList texts;
    for (const Message& m : m_messages)
        texts << m.text;
    return texts;
}

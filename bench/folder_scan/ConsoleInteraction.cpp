#include "ConsoleInteraction.h"

#include <QCoreApplication>
#include <QTextStream>

void ConsoleInteraction::messageBox(const QString& text, MessageStyle style, const QString& title)
{
    ++m_messages;
    QTextStream(stderr) << title << " (" << MessageStyleNumber(style) << "): " << text << '\n';
}

void ConsoleInteraction::yield()
{
    ++m_yields;
    QCoreApplication::processEvents();
}

#include "ConsoleInteraction.h"

#include <QCoreApplication>
#include <QTextStream>

void ConsoleInteraction::messageBox(const QString& text, int style, const QString& title)
{
    ++m_messages;
    QTextStream(stderr) << title << " (" << style << "): " << text << '\n';
}

void ConsoleInteraction::yield()
{
    ++m_yields;
    QCoreApplication::processEvents();
}

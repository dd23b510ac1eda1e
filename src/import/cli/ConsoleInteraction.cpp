#include "ConsoleInteraction.h"

#include "Guard.h"

#include <QCoreApplication>

QString ConsoleInteraction::oneLine(const QString& title, const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return title + QStringLiteral(": ") + shown;
}

void ConsoleInteraction::messageBox(const QString& text, int, const QString& title)
{
    std::FILE* stream = title == ApplicationErrorTitle ? m_err : m_out;
    std::fprintf(stream, "%s\n", oneLine(title, text).toLocal8Bit().constData());
    std::fflush(stream);
}

QString ConsoleInteraction::inputBox(const QString&, const QString&, const QString&)
{
    if (m_answers.isEmpty())
        return {};
    return m_answers.takeFirst();
}

void ConsoleInteraction::yield()
{
    QCoreApplication::processEvents();
}

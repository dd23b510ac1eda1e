#include "Guard.h"

QString Locations::make(const QString& tag, const QString& module, const QString& procedure)
{
    return QStringLiteral("in ") + tag + QStringLiteral("2021/08/31.") + module + QLatin1Char('.') +
           procedure + QLatin1Char(' ');
}

QString Guard::composeReport(const QString& description, const QString& location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

bool Guard::reportOffering(const Failure& failure, const QString& checkCaption)
{
    ++m_failures;
    return m_interaction.messageBoxWithCheck(
        composeReport(failure.description(), m_location, m_currentLine), MessageStyle::Exclamation,
        ApplicationErrorTitle, checkCaption);
}

void Guard::report(const Failure& failure)
{
    ++m_failures;
    m_interaction.messageBox(composeReport(failure.description(), m_location, m_currentLine),
                             MessageStyle::Exclamation, ApplicationErrorTitle);
}

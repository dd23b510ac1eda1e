#include "ConsoleInteraction.h"

#include "Guard.h"

#include <QCoreApplication>
#include <QLocale>

QString ConsoleInteraction::oneLine(const QString& title, const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return title + QStringLiteral(": ") + shown;
}

void ConsoleInteraction::messageBox(const QString& text, MessageStyle, const QString& title)
{
    endProgress();
    std::FILE* stream = title == ApplicationErrorTitle ? m_err : m_out;
    std::fprintf(stream, "%s\n", oneLine(title, text).toLocal8Bit().constData());
    std::fflush(stream);
}

QString ConsoleInteraction::inputBox(const QString& prompt, const QString&, const QString&)
{
    // Each file asks for its columns from #1 on.
    if (prompt.endsWith(QStringLiteral("#1:")))
        m_nextAnswer = 0;
    if (m_nextAnswer >= m_answers.size())
        return {};
    return m_answers.at(m_nextAnswer++);
}

void ConsoleInteraction::yield()
{
    QCoreApplication::processEvents();
    if (m_onYield)
        m_onYield();
    if (!m_progress || m_progress->position == 0)
        return;
    if (m_progress->position != m_position) {
        m_position = m_progress->position;
        m_fileTimer.start();
    } else if (m_shown.isValid() && m_shown.elapsed() < 250) {
        return;
    }
    const double seconds = double(m_fileTimer.elapsed()) / 1000.0;
    const double rate = seconds > 0 ? double(m_progress->rows) / seconds : 0.0;
    std::fprintf(m_err, "\r%s\033[K", progressLine(*m_progress, rate).toLocal8Bit().constData());
    std::fflush(m_err);
    m_shown.start();
    m_lineShown = true;
}

void ConsoleInteraction::endProgress()
{
    if (!m_lineShown)
        return;
    std::fputs("\r\033[K", m_err);
    std::fflush(m_err);
    m_lineShown = false;
}

QString ConsoleInteraction::progressLine(const ImportProgress& progress, double rowsPerSecond)
{
    const QLocale english(QLocale::English);
    return progress.path + QStringLiteral(": ") + english.toString(progress.rows) +
           QStringLiteral(" rows, ") + english.toString(qint64(rowsPerSecond)) +
           QStringLiteral(" rows/s");
}

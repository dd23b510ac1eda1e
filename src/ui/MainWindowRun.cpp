// The main window while a run goes: its progress, "Stop", and the waits on the server.
#include "ApplicationTitle.h"
#include "MainWindow.h"
#include "MoreOptionsFrame.h"
#include "RowsNotLoadedWindow.h"
#include "RunMessages.h"
#include "RunProgressPanel.h"
#include "ServerSockets.h"
#include "ServerWaitPump.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QTimer>

std::optional<QString> MainWindow::encoding() const
{
    return m_moreOptions->encoding();
}

BulkCopy MainWindow::bulkCopy() const
{
    return m_bulkAppend->isChecked() ? BulkCopy::AlsoAppended : BulkCopy::NewTables;
}

std::optional<QChar> MainWindow::quote() const
{
    return m_moreOptions->quote();
}

// A quote character inside the separator would make every record ambiguous.
bool MainWindow::quoteRefused()
{
    const QChar quote = m_moreOptions->quote();
    if (quote.isNull() || !separator().contains(quote))
        return false;
    m_app.interaction.messageBox(RunMessages::quoteInSeparator(), MessageStyle::Exclamation,
                                 ApplicationTitle());
    return true;
}

void MainWindow::beginRunDisplay()
{
    // A cut asked for in an earlier run must not cut this run's logins.
    ServerSockets::clearCut();
    m_stopAsked = false;
    m_progress = ImportProgress{};
    m_gathered.clear();
    QList<qint64> sizes;
    for (int i = 0; i < m_files.count(); ++i)
        sizes << QFileInfo(m_files.path(i)).size();
    m_progressPanel->begin(sizes);
    m_progressTimer->start();
}

void MainWindow::endRunDisplay(const ImportOutcome& outcome)
{
    m_progressTimer->stop();
    m_progressPanel->end();
    // The cut was this run's: later logins (a table list, a connection test) go ahead.
    ServerSockets::clearCut();
    const bool stoppedHere = m_stopAsked && !m_ending && outcome.stopped();
    m_stopAsked = false;
    if (stoppedHere)
        m_app.interaction.messageBox(RunMessages::runStopped(outcome.stopReport),
                                     MessageStyle::Plain, ApplicationTitle());
    if (m_ending || m_gathered.entries().isEmpty())
        return;
    if (!m_rowsNotLoaded)
        m_rowsNotLoaded = new RowsNotLoadedWindow(m_app.interaction, this);
    m_rowsNotLoaded->showRows(m_gathered);
}

void MainWindow::showProgress()
{
    m_progressPanel->show(m_progress, m_gathered.rowCount());
}

void MainWindow::stopImporting()
{
    if (m_run->isRunning())
        m_stopAsked = true;
}

void MainWindow::waitOnServer(const std::function<void()>& call)
{
    struct WaitOver
    {
        RunProgressPanel& panel;
        ~WaitOver() { panel.waiting(0); }
    } over{*m_progressPanel};
    ServerWaitPump{m_app.interaction,
                   [this](double seconds) {
                       if (m_run->isRunning())
                           m_progressPanel->waiting(seconds);
                   },
                   // A stop waits for an answer that comes soon, so what was sent is settled;
                   // a wait that has gone on for a second is cut, as is any wait at the end.
                   [this](double seconds) { return m_ending || (m_stopAsked && seconds >= 1.0); }}
        .run(call);
}

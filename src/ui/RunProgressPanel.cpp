#include "RunProgressPanel.h"

#include "ImportRun.h"
#include "RunMessages.h"
#include "TwipsLayout.h"

#include <numeric>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int BarSteps = 1000;
}

RunProgressPanel::RunProgressPanel(QWidget* parent) : QWidget(parent)
{
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, BarSteps);
    m_bar->setValue(0);
    m_bar->setTextVisible(false); // no "0%" while no run goes
    m_bar->setAccessibleName(QStringLiteral("Import progress"));
    PlaceInTwips(*m_bar, 0, 15, 4935, 300);
    m_stop = new QPushButton(QStringLiteral("Sto&p"), this);
    m_stop->setObjectName(QStringLiteral("PushButton2"));
    m_stop->setAutoDefault(false);
    m_stop->setEnabled(false);
    m_stop->setAccessibleDescription(
        QStringLiteral("Stops the import after the row in hand; a wait on the server is cut"));
    PlaceInTwips(*m_stop, 5040, 0, 1080, 330);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Label9"));
    m_status->setAccessibleName(QStringLiteral("Import status"));
    PlaceInTwips(*m_status, 0, 390, 6120, 255);
}

void RunProgressPanel::begin(QList<qint64> fileSizes)
{
    m_sizes = std::move(fileSizes);
    m_total = std::accumulate(m_sizes.begin(), m_sizes.end(), qint64(0));
    m_lastCounts.clear();
    m_clock.start();
    m_bar->setValue(0);
    m_bar->setTextVisible(true);
    m_status->clear();
    m_stop->setEnabled(true);
}

void RunProgressPanel::show(const ImportProgress& progress, qint64 notLoaded)
{
    const int index = progress.position - 1;
    if (index >= 0 && index < m_sizes.size() && m_total > 0) {
        const qint64 before = std::accumulate(m_sizes.begin(), m_sizes.begin() + index, qint64(0));
        const double inFile =
            progress.bytes > 0 ? double(progress.bytesRead) / double(progress.bytes) : 0.0;
        const double done = (double(before) + inFile * double(m_sizes[index])) / double(m_total);
        m_bar->setValue(std::clamp(int(done * BarSteps), 0, BarSteps));
    }
    m_lastCounts = countsText(progress, notLoaded);
    showStatus();
}

void RunProgressPanel::showStatus()
{
    if (m_waitSeconds < 1.0) {
        m_status->setText(m_lastCounts);
        return;
    }
    const qint64 seconds = qint64(m_waitSeconds);
    m_status->setText(m_lastCounts.isEmpty()
                          ? QStringLiteral("Waiting on the server for %1 s").arg(seconds)
                          : m_lastCounts +
                                QStringLiteral("; waiting on the server for %1 s").arg(seconds));
}

QString RunProgressPanel::countsText(const ImportProgress& progress, qint64 notLoaded) const
{
    using RunMessages::grouped;
    const qint64 loaded = progress.loadedInEarlierFiles + progress.loadedInFile;
    const double seconds = m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0.0;
    const qint64 pace = seconds > 0.5 ? qint64(double(loaded) / seconds) : 0;
    return QStringLiteral("File %1 of %2, %3: %4 rows loaded, %5 not loaded, %6 rows/s")
        .arg(progress.position)
        .arg(m_sizes.size())
        .arg(QFileInfo(progress.path).fileName(), grouped(loaded), grouped(notLoaded),
             grouped(pace));
}

void RunProgressPanel::waiting(double seconds)
{
    const bool shown = m_waitSeconds >= 1.0 || seconds >= 1.0;
    m_waitSeconds = seconds;
    if (shown)
        showStatus();
}

void RunProgressPanel::end()
{
    m_stop->setEnabled(false);
    m_waitSeconds = 0;
    m_status->clear();
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
}

QString RunProgressPanel::statusText() const
{
    return m_status->text();
}

int RunProgressPanel::percent() const
{
    return m_bar->value() * 100 / BarSteps;
}

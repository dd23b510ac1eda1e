#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

struct ImportProgress;
class QLabel;
class QProgressBar;
class QPushButton;

// What a run shows while it goes: a bar of the bytes of the file list read, a line with the
// file in hand, the rows loaded and not loaded and the pace, and "Stop". Idle between runs.
class RunProgressPanel : public QWidget
{
public:
    explicit RunProgressPanel(QWidget* parent);

    QPushButton* stopButton() const { return m_stop; }

    // A run begins over files of these sizes (in the list's order).
    void begin(QList<qint64> fileSizes);
    // The run's state now; notLoaded counts the rows reported or listed as not loaded.
    void show(const ImportProgress& progress, qint64 notLoaded);
    // The run waits on the server and has for this long.
    void waiting(double seconds);
    void end();

    QString statusText() const;
    int percent() const;

private:
    QString countsText(const ImportProgress& progress, qint64 notLoaded) const;

    QProgressBar* m_bar = nullptr;
    QPushButton* m_stop = nullptr;
    QLabel* m_status = nullptr;
    QList<qint64> m_sizes;
    qint64 m_total = 0;
    QString m_lastCounts;
    QElapsedTimer m_clock;
};

#pragma once

#include "Interaction.h"

#include <QElapsedTimer>

// Lets the window's events run at the points where a scan offers to, but not more often
// than every interval: a scan offers several times per folder and per file, and yielding at
// each of them would cost more than the scan. An interval of 0 yields at every point.
class ScanPacer
{
public:
    static constexpr int DefaultIntervalMs = 10;

    explicit ScanPacer(Interaction& interaction, int intervalMs = DefaultIntervalMs)
        : m_interaction(interaction), m_intervalMs(intervalMs)
    {
    }

    void operator()()
    {
        if (m_intervalMs > 0 && m_timer.isValid() && m_timer.elapsed() < m_intervalMs)
            return;
        m_interaction.yield();
        ++m_yields;
        if (m_intervalMs > 0)
            m_timer.start();
    }

    // How often it has yielded: what was learned about the file system before a yield may
    // no longer hold after it, as the window's events may have changed it.
    int yields() const { return m_yields; }

private:
    Interaction& m_interaction;
    int m_intervalMs;
    QElapsedTimer m_timer;
    int m_yields = 0;
};

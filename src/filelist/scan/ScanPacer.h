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
        if (m_intervalMs > 0)
            m_timer.start();
    }

private:
    Interaction& m_interaction;
    int m_intervalMs;
    QElapsedTimer m_timer;
};

#pragma once

#include "Interaction.h"

#include <functional>
#include <QElapsedTimer>

// The program is ending: the scan stops where it stands.
struct ScanStopped
{
};

// Lets the window's events run at the points where a scan offers to, but not more often
// than every interval: a scan offers several times per folder and per file, and yielding at
// each of them would cost more than the scan. An interval of 0 yields at every point.
class ScanPacer
{
public:
    static constexpr int DefaultIntervalMs = 10;

    explicit ScanPacer(Interaction& interaction, int intervalMs = DefaultIntervalMs,
                       std::function<bool()> stopRequested = {})
        : m_interaction(interaction), m_intervalMs(intervalMs),
          m_stopRequested(std::move(stopRequested))
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
        // A window closed while the events ran: the program ends, so the scan does too.
        if (m_stopRequested && m_stopRequested())
            throw ScanStopped{};
    }

    // How often it has yielded: what was learned about the file system before a yield may
    // no longer hold after it, as the window's events may have changed it.
    int yields() const { return m_yields; }

private:
    Interaction& m_interaction;
    int m_intervalMs;
    std::function<bool()> m_stopRequested;
    QElapsedTimer m_timer;
    int m_yields = 0;
};

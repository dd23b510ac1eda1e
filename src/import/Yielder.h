#pragma once

#include "Interaction.h"

#include <functional>
#include <QElapsedTimer>

// Lets the window's events run between steps of a long loop, but not more often than every
// interval: yielding for every row and field would cost more than the work itself. When the
// events ran asked to stop (the program is ending), the yield throws Stop.
template <typename Stop> class BasicYielder
{
public:
    BasicYielder(Interaction& interaction, int intervalMs, std::function<bool()> stopRequested = {})
        : m_interaction(interaction), m_intervalMs(intervalMs),
          m_stopRequested(std::move(stopRequested))
    {
    }

    void operator()()
    {
        if (m_timer.isValid() && m_timer.elapsed() < m_intervalMs)
            return;
        m_interaction.yield();
        m_timer.start();
        if (m_stopRequested && m_stopRequested())
            throw Stop{};
    }
    // The next call yields whatever the time.
    void now() { m_timer.invalidate(); }

private:
    Interaction& m_interaction;
    int m_intervalMs;
    std::function<bool()> m_stopRequested;
    QElapsedTimer m_timer;
};

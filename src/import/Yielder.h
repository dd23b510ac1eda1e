#pragma once

#include "Interaction.h"

#include <QElapsedTimer>

// Lets the window's events run between steps of a long loop, but not more often than every
// interval: yielding for every row and field would cost more than the work itself.
class Yielder
{
public:
    Yielder(Interaction& interaction, int intervalMs)
        : m_interaction(interaction), m_intervalMs(intervalMs)
    {
    }

    void operator()()
    {
        if (m_timer.isValid() && m_timer.elapsed() < m_intervalMs)
            return;
        m_interaction.yield();
        m_timer.start();
    }
    // The next call yields whatever the time.
    void now() { m_timer.invalidate(); }

private:
    Interaction& m_interaction;
    int m_intervalMs;
    QElapsedTimer m_timer;
};

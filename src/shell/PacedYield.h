#pragma once

#include "CoarseClock.h"
#include "Interaction.h"

#include <cstdint>
#include <functional>

// The program is ending (a window was closed while events ran): long work stops where it stands.
struct ProgramEnding
{
};

// Lets the window's events run at the points where long work offers to, but not more often
// than every interval: yielding for every row, field or file would cost more than the work
// itself. An interval of 0 yields at every point. When the events that ran asked the program
// to end, the yield throws ProgramEnding.
class PacedYield
{
public:
    static constexpr int DefaultIntervalMs = 10;

    explicit PacedYield(Interaction& interaction, int intervalMs = DefaultIntervalMs,
                        std::function<bool()> stopRequested = {})
        : m_interaction(interaction), m_intervalMs(intervalMs),
          m_stopRequested(std::move(stopRequested))
    {
    }

    void operator()()
    {
        if (m_intervalMs > 0 && m_last >= 0 && CoarseMilliseconds() - m_last < m_intervalMs)
            return;
        m_interaction.yield();
        ++m_yields;
        m_last = CoarseMilliseconds();
        if (m_stopRequested && m_stopRequested())
            throw ProgramEnding{};
    }

    // The next call yields whatever the time.
    void now() { m_last = -1; }

    // How often it has yielded: what was learned about the file system before a yield may
    // no longer hold after it, as the window's events may have changed it.
    int yields() const { return m_yields; }

private:
    Interaction& m_interaction;
    int m_intervalMs;
    std::function<bool()> m_stopRequested;
    std::int64_t m_last = -1; // when it last yielded, in ms

    int m_yields = 0;
};

#include "SessionProvider.h"

#include "Failure.h"

void SessionProvider::submitRow(const RowStatement& row)
{
    RowOutcome outcome;
    outcome.ticket = row.ticket;
    try {
        execute(row.text);
        outcome.loaded = true;
    } catch (const Failure& failure) {
        outcome.description = failure.description();
        outcome.connectionLost = !isAlive();
    }
    m_outcomes.push_back(std::move(outcome));
}

std::vector<RowOutcome> SessionProvider::takeOutcomes()
{
    std::vector<RowOutcome> taken;
    taken.swap(m_outcomes);
    return taken;
}

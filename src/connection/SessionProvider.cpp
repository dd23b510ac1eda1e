#include "SessionProvider.h"

std::vector<RowOutcome> SessionProvider::takeOutcomes()
{
    std::vector<RowOutcome> taken;
    taken.swap(m_outcomes);
    return taken;
}

#include "PendingRows.h"

void PendingRows::succeeded(std::int64_t ticket)
{
    ++m_count;
    if (!m_entries.empty()) {
        Entry& last = m_entries.back();
        if (!last.isRejection && last.first + last.count == ticket) {
            ++last.count;
            return;
        }
    }
    m_entries.push_back({ticket, 1, QString(), false});
}

void PendingRows::rejected(std::int64_t ticket, const QString& description)
{
    ++m_count;
    m_entries.push_back({ticket, 1, description, true});
}

void PendingRows::committed(std::vector<RowOutcome>& outcomes)
{
    release(outcomes, true, QString());
}

void PendingRows::lost(const QString& description, std::vector<RowOutcome>& outcomes)
{
    release(outcomes, false, description);
}

void PendingRows::release(std::vector<RowOutcome>& outcomes, bool keptOnes, const QString& lostText)
{
    outcomes.reserve(outcomes.size() + size_t(m_count));
    for (const Entry& entry : m_entries) {
        for (std::int64_t i = 0; i < entry.count; ++i) {
            RowOutcome outcome;
            outcome.ticket = entry.first + i;
            if (entry.isRejection) {
                outcome.description = entry.rejection;
            } else if (keptOnes) {
                outcome.loaded = true;
            } else {
                outcome.description = lostText;
                outcome.storageFailed = true;
            }
            outcomes.push_back(std::move(outcome));
        }
    }
    m_entries.clear();
    m_count = 0;
}

#include "RowLedger.h"

std::int64_t RowLedger::handOver(qint64 line, QByteArray text)
{
    m_rows.push_back(Row{++m_lastTicket, line, std::move(text), QString()});
    return m_lastTicket;
}

RowLedger::Row RowLedger::take(std::int64_t ticket)
{
    // Outcomes come in submission order: the row is nearly always the first.
    for (auto it = m_rows.begin(); it != m_rows.end(); ++it) {
        if (it->ticket == ticket) {
            Row taken = std::move(*it);
            m_rows.erase(it);
            return taken;
        }
    }
    return Row{ticket, 0, QByteArray(), QString()};
}

std::optional<RowLedger::Loss> RowLedger::absorb(const std::vector<RowOutcome>& outcomes,
                                                 Telling telling)
{
    std::optional<Loss> loss;
    std::vector<Row> lost;
    for (const RowOutcome& outcome : outcomes) {
        Row row = take(outcome.ticket);
        if (outcome.loaded) {
            ++m_loaded;
            continue;
        }
        const bool gone = outcome.connectionLost || outcome.storageFailed || loss;
        if (!gone || telling == Telling::ListOnly) {
            m_refused(row, outcome.description, telling);
            continue;
        }
        if (!loss)
            loss = Loss{outcome.description,
                        outcome.lostCause.isEmpty() ? outcome.description : outcome.lostCause,
                        outcome.storageFailed};
        // Each keeps its own words: a row whose answer never came may be in the table.
        row.reason = outcome.description;
        lost.push_back(std::move(row));
    }
    m_rows.insert(m_rows.begin(), std::make_move_iterator(lost.begin()),
                  std::make_move_iterator(lost.end()));
    return loss;
}

void RowLedger::drain(const std::function<void(const Row&)>& each)
{
    for (const Row& row : m_rows)
        each(row);
    m_rows.clear();
}

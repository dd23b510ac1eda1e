#include "PendingRows.h"

PendingRows::Entry& PendingRows::add(std::int64_t ticket, const QString& table)
{
    Entry& entry = m_entries.emplace_back();
    entry.ticket = ticket;
    // A run sends to one table, or to the few the user selects while it runs.
    qsizetype index =
        m_tables.empty() || m_tables.back() != table ? -1 : qsizetype(m_tables.size() - 1);
    for (size_t i = 0; index < 0 && i < m_tables.size(); ++i)
        if (m_tables[i] == table)
            index = qsizetype(i);
    if (index < 0) {
        m_tables.push_back(table);
        index = qsizetype(m_tables.size() - 1);
    }
    entry.table = std::uint16_t(index);
    entry.bytesStart = std::uint32_t(m_bytes.size());
    entry.firstEnd = std::uint32_t(m_ends.size());
    return entry;
}

void PendingRows::succeeded(std::int64_t ticket, const QString& table, const std::string& bytes,
                            const std::vector<std::uint32_t>& ends, bool asText)
{
    Entry& entry = add(ticket, table);
    entry.asText = asText;
    entry.valueCount = std::uint32_t(ends.size());
    const size_t used = ends.empty() ? 0 : ends.back();
    m_bytes.append(bytes.data(), used);
    m_ends.insert(m_ends.end(), ends.begin(), ends.end());
}

void PendingRows::succeeded(std::int64_t ticket, const QString& table,
                            const QList<QByteArrayView>& utf8Fields)
{
    Entry& entry = add(ticket, table);
    entry.valueCount = std::uint32_t(utf8Fields.size());
    std::uint32_t used = 0;
    for (QByteArrayView field : utf8Fields) {
        m_bytes.append(field.data(), size_t(field.size()));
        used += std::uint32_t(field.size());
        m_ends.push_back(used);
    }
}

void PendingRows::rejected(std::int64_t ticket, const QString& description)
{
    Entry entry;
    entry.ticket = ticket;
    entry.firstEnd = std::uint32_t(m_rejections.size());
    entry.isRejection = true;
    m_rejections.push_back(description);
    m_entries.push_back(entry);
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
    outcomes.reserve(outcomes.size() + m_entries.size());
    for (const Entry& entry : m_entries) {
        RowOutcome outcome;
        outcome.ticket = entry.ticket;
        if (entry.isRejection) {
            outcome.description = std::move(m_rejections[entry.firstEnd]);
        } else if (keptOnes) {
            outcome.loaded = true;
        } else {
            outcome.description = lostText;
            outcome.storageFailed = true;
        }
        outcomes.push_back(std::move(outcome));
    }
    m_entries.clear();
    m_tables.clear();
    m_bytes.clear();
    m_ends.clear();
    m_rejections.clear();
}

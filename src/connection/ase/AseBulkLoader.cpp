#include "AseBulkLoader.h"

#include "AseRowBatcher.h"

AseBulkLoader::AseBulkLoader(BulkChannel& channel, StatementRoad road,
                             std::function<void(RowOutcome)> outcome, Limits limits, Clock clock)
    : m_channel(channel), m_road(std::move(road)), m_outcome(std::move(outcome)), m_limits(limits),
      m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); }))
{
}

bool AseBulkLoader::submit(const Row& row)
{
    const RowValues& values = row.values;
    if (m_lost) {
        lose(values.ticket, m_lostDescription);
        return true;
    }
    if (!values.columns || m_statementTables.contains(values.table)) {
        flush();
        return false;
    }
    if (!m_open || values.table != m_table) {
        flush();
        if (!beginTable(values)) {
            if (!m_lost)
                return false;
            lose(values.ticket, m_lostDescription);
            return true;
        }
    }
    if (!row.refusal) {
        const bool first = m_sent == 0;
        if (!row.carried || !m_channel.transfer(values.fields)) {
            // A table whose first row the library refuses is one it does not load.
            if (row.carried && first)
                m_statementTables.insert(values.table);
            // Ends the batch before this row, which then goes after it by statement.
            flush();
            if (!m_lost)
                return false;
            lose(values.ticket, m_lostDescription);
            return true;
        }
        ++m_sent;
    }
    hold(values, row.refusal);
    if (qsizetype(m_batch.size()) >= m_limits.rows || m_bytes.size() >= m_limits.bytes ||
        m_clock() - m_began >= m_limits.commitEvery)
        endBatch();
    return true;
}

void AseBulkLoader::flush()
{
    if (m_open)
        endBatch();
}

bool AseBulkLoader::beginTable(const RowValues& row)
{
    m_columns = *row.columns;
    switch (m_channel.begin(row.table, m_columns)) {
    case BulkStart::Ready:
        m_open = true;
        m_table = row.table;
        return true;
    case BulkStart::NotForThisTable:
        m_statementTables.insert(row.table);
        return false;
    case BulkStart::ConnectionLost:
        m_lost = true;
        m_lostDescription = m_channel.lostDescription();
        return false;
    }
    return false;
}

void AseBulkLoader::hold(const RowValues& row, const std::optional<QString>& refusal)
{
    if (m_batch.empty())
        m_began = m_clock();
    Entry entry{row.ticket, refusal, qsizetype(m_fieldEnds.size()), 0};
    if (!refusal) {
        // Kept only to be sent again by statement should the server reject the batch.
        for (QByteArrayView field : row.fields) {
            m_bytes.append(field);
            m_fieldEnds.push_back(m_bytes.size());
        }
        entry.fieldCount = row.fields.size();
    }
    m_batch.push_back(std::move(entry));
}

void AseBulkLoader::endBatch()
{
    // Every batch ends its copy: the library cannot tell a rejected batch from a next one that
    // failed to begin, and only the first must go again by statement. A batch of refused rows
    // alone sent nothing.
    m_open = false;
    settle(m_sent == 0 ? BulkEnd{true, false, {}} : m_channel.end());
}

void AseBulkLoader::settle(const BulkEnd& end)
{
    if (end.connectionLost) {
        m_lost = true;
        m_lostDescription = m_channel.lostDescription();
    }
    if (!end.committed && !end.connectionLost) {
        sendByStatement();
        clearBatch();
        return;
    }
    for (const Entry& entry : m_batch) {
        RowOutcome outcome;
        outcome.ticket = entry.ticket;
        if (entry.refusal) {
            outcome.description = *entry.refusal;
            m_outcome(std::move(outcome));
        } else if (end.committed) {
            outcome.loaded = true;
            m_outcome(std::move(outcome));
        } else {
            // The end of a batch is its commit: it may have reached the server.
            lose(entry.ticket,
                 m_lostDescription + QStringLiteral("\r\n") + AseRowBatcher::unknownCommitNote());
        }
    }
    clearBatch();
}

// The server rejected the batch whole: each of its rows goes again by statement, in order,
// and earns its own answer.
void AseBulkLoader::sendByStatement()
{
    for (const Entry& entry : m_batch) {
        RowValues row;
        row.ticket = entry.ticket;
        row.table = m_table;
        row.fields = fieldsOf(entry);
        row.columns = &m_columns;
        m_road.submit(row, entry.refusal);
    }
    m_road.flush();
}

QList<QByteArrayView> AseBulkLoader::fieldsOf(const Entry& entry) const
{
    QList<QByteArrayView> fields;
    fields.reserve(entry.fieldCount);
    for (qsizetype i = entry.firstField; i < entry.firstField + entry.fieldCount; ++i) {
        const qsizetype begin = i == 0 ? 0 : m_fieldEnds[size_t(i - 1)];
        fields << QByteArrayView(m_bytes).sliced(begin, m_fieldEnds[size_t(i)] - begin);
    }
    return fields;
}

void AseBulkLoader::clearBatch()
{
    m_batch.clear();
    m_bytes.resize(0); // keeps its room for the next batch
    m_fieldEnds.clear();
    m_sent = 0;
}

void AseBulkLoader::lose(std::int64_t ticket, const QString& description)
{
    RowOutcome outcome;
    outcome.ticket = ticket;
    outcome.connectionLost = true;
    outcome.description = description;
    outcome.lostCause = m_lostDescription;
    m_outcome(std::move(outcome));
}

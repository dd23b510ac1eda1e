// The two roads of AseConnection's rows: bulk copy where the run allows it and the table
// suits, statements otherwise; each road ends what it holds before the other goes on, so the
// outcomes stay in the order of the rows.
#include "AseConnection.h"
#include "BulkValues.h"
#include "ColumnValues.h"
#include "InsertText.h"

std::optional<QString> AseConnection::clientRefusal(const RowValues& row) const
{
    // The fields first: a row they refuse is never built into a text.
    std::optional<QString> refusal = fieldRefusal(row);
    if (!refusal && row.columns)
        refusal = ValueRefusal(*row.columns, row.fields);
    return refusal;
}

void AseConnection::submitRow(const RowValues& row)
{
    std::optional<QString> refusal = clientRefusal(row);
    if (m_bulkAllowed && row.bulkCopy && row.columns && m_bulk.mayTake(row.table)) {
        // As the statement would be checked: its first character the server's set lacks.
        for (qsizetype i = 0; !refusal && m_charset && i < row.fields.size(); ++i)
            refusal = m_charset->refusal(row.fields[i]);
        const bool carried = !refusal && BulkValues::carries(*row.columns, row.fields, *m_charset);
        // Bulk copy cannot run inside the statements' transaction.
        endStatements();
        if (m_bulk.submit(AseBulkLoader::Row{row, refusal, carried}))
            return;
    }
    submitStatement(row, std::move(refusal));
}

void AseConnection::submitStatement(const RowValues& row, std::optional<QString> refusal)
{
    endBulk();
    QByteArray statement;
    if (!refusal) {
        statement = row.columns ? InsertText(row.table, row.fields, *row.columns)
                                : InsertText(row.table, row.fields);
        if (m_charset)
            refusal = m_charset->refusal(QByteArrayView(statement));
    }
    m_rows.submit(row.ticket, std::move(statement), std::move(refusal));
}

void AseConnection::endBulk()
{
    m_bulk.flush();
}

void AseConnection::endStatements()
{
    m_rows.flush();
    std::vector<RowOutcome> taken = m_rows.take();
    m_ready.insert(m_ready.end(), std::make_move_iterator(taken.begin()),
                   std::make_move_iterator(taken.end()));
}

std::vector<RowOutcome> AseConnection::takeOutcomes()
{
    std::vector<RowOutcome> taken = m_rows.take();
    m_ready.insert(m_ready.end(), std::make_move_iterator(taken.begin()),
                   std::make_move_iterator(taken.end()));
    taken.clear();
    taken.swap(m_ready);
    return taken;
}

void AseConnection::flushRows()
{
    endBulk();
    endStatements();
}

AseBulkCopy::Link AseConnection::bulkLink()
{
    AseBulkCopy::Link link;
    link.connection = [this] { return m_connection; };
    link.takeMessages = [this] { return std::exchange(m_messages, {}); };
    link.alive = [this] { return isAlive(); };
    link.broken = [this] { m_broken = true; };
    link.charset = [this]() -> const ServerCharset& { return *m_charset; };
    link.allPagesLocked = [this](const QString& table) { return allPagesLocked(table); };
    return link;
}

#pragma once

#include "RowStatement.h"

#include <cstdint>
#include <QString>
#include <vector>

// The rows of the open transaction, waiting for its end to learn their outcome: a row is
// loaded only once its transaction is committed. Runs of rows that succeeded are kept as
// ranges of tickets, so a transaction of any size costs a few bytes.
class PendingRows
{
public:
    void succeeded(std::int64_t ticket);
    void rejected(std::int64_t ticket, const QString& description);

    bool isEmpty() const { return m_entries.empty(); }
    std::int64_t count() const { return m_count; }

    // Every held row gets its outcome: those that succeeded are loaded.
    void committed(std::vector<RowOutcome>& outcomes);
    // The transaction was lost: no held row is loaded; those that had succeeded carry
    // description and the mark that the database could not keep them.
    void lost(const QString& description, std::vector<RowOutcome>& outcomes);

private:
    struct Entry
    {
        std::int64_t first = 0;
        std::int64_t count = 0; // consecutive tickets from first
        QString rejection;      // for a single rejected row
        bool isRejection = false;
    };
    void release(std::vector<RowOutcome>& outcomes, bool keptOnes, const QString& lostText);

    std::vector<Entry> m_entries;
    std::int64_t m_count = 0;
};

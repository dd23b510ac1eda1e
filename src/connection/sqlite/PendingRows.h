#pragma once

#include "RowValues.h"

#include <cstdint>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <string>
#include <vector>

// The rows of the open transaction, waiting for its end to learn their outcome: a row is
// loaded only once its transaction is committed. Each row that succeeded is kept as the UTF-8
// bytes it was bound with, compactly, so that a transaction SQLite rolls back can be run again;
// the caller ends transactions before this grows large.
class PendingRows
{
public:
    // A row that succeeded: its table and values as bound (or its whole text, when it ran as
    // text); ends[i] is where value i ends in bytes.
    void succeeded(std::int64_t ticket, const QString& table, const std::string& bytes,
                   const std::vector<std::uint32_t>& ends, bool asText);
    void succeeded(std::int64_t ticket, const QString& table,
                   const QList<QByteArrayView>& utf8Fields);
    void rejected(std::int64_t ticket, const QString& description);

    bool isEmpty() const { return m_entries.empty(); }
    std::int64_t count() const { return std::int64_t(m_entries.size()); }
    size_t heldBytes() const { return m_bytes.size(); }

    // A kept row as it is run again.
    struct Kept
    {
        const QString& table;
        const char* bytes;         // the first value's start
        const std::uint32_t* ends; // ends of the values, counted from bytes
        int valueCount;
        bool asText;
    };
    // Calls run(kept) for each row that succeeded, in order, until it returns false; returns
    // false when one did.
    template <typename Run> bool runAgain(Run&& run) const;

    // Every held row gets its outcome: those that succeeded are loaded.
    void committed(std::vector<RowOutcome>& outcomes);
    // The transaction was lost: no held row is loaded; those that had succeeded carry
    // description and the mark that the database could not keep them.
    void lost(const QString& description, std::vector<RowOutcome>& outcomes);

private:
    // 24 bytes a row; a rejection's text is kept apart, as rejections are few.
    struct Entry
    {
        std::int64_t ticket = 0;
        std::uint32_t firstEnd = 0; // or, for a rejection, its place in m_rejections
        std::uint32_t bytesStart = 0;
        std::uint32_t valueCount = 0;
        std::uint16_t table = 0;
        bool asText = false;
        bool isRejection = false;
    };
    Entry& add(std::int64_t ticket, const QString& table);
    void release(std::vector<RowOutcome>& outcomes, bool keptOnes, const QString& lostText);

    std::vector<Entry> m_entries;
    std::vector<QString> m_tables; // the few tables rows went to
    std::string m_bytes;
    std::vector<std::uint32_t> m_ends; // relative to each row's bytesStart
    std::vector<QString> m_rejections;
};

template <typename Run> bool PendingRows::runAgain(Run&& run) const
{
    for (const Entry& entry : m_entries) {
        if (entry.isRejection)
            continue;
        const Kept kept{m_tables[entry.table], m_bytes.data() + entry.bytesStart,
                        m_ends.data() + entry.firstEnd, int(entry.valueCount), entry.asText};
        if (!run(kept))
            return false;
    }
    return true;
}

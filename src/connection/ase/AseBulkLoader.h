#pragma once

#include "BulkChannel.h"
#include "RowValues.h"

#include <chrono>
#include <functional>
#include <optional>
#include <QByteArray>
#include <QSet>
#include <QString>
#include <vector>

// Loads rows by bulk copy and still gives each row its own outcome, in order.
//
// - A batch holds up to `rows` rows or about `bytes` bytes, or what came within `commitEvery`;
//   the server commits or rejects each batch whole.
// - A row that bulk copy would not store as its statement would (see BulkValues), or that the
//   client library did not take, ends the batch and goes by statement; so do the rows of a
//   table bulk copy does not load.
// - A rejected batch goes again by statement, so each bad row gets the server's own message
//   and the others load.
// - A lost connection: the rows of the batch are not loaded; nothing more is sent.
class AseBulkLoader
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    struct Limits
    {
        int rows = 20000;
        qsizetype bytes = 4 * 1024 * 1024;
        std::chrono::milliseconds commitEvery{100};
    };

    // The statement road: rows bulk copy gives back, each with its fields or its refusal, and
    // a flush after which each of them has its outcome.
    struct StatementRoad
    {
        std::function<void(const RowValues& row, const std::optional<QString>& refusal)> submit;
        std::function<void()> flush;
    };

    // A row the loader is given: its values, why the client refuses it (it then fails alone
    // in its place) and whether bulk copy carries its values as a statement would.
    struct Row
    {
        const RowValues& values;
        const std::optional<QString>& refusal;
        bool carried = true;
    };

    AseBulkLoader(BulkChannel& channel, StatementRoad road, std::function<void(RowOutcome)> outcome,
                  Limits limits, Clock clock = nullptr);

    // False when the row is not for bulk copy: the loader has ended its batch, and the caller
    // sends the row by statement.
    bool submit(const Row& row);
    // Ends the batch and the copy, so that the connection takes statements again.
    void flush();
    bool lost() const { return m_lost; }
    // False for a table found not to suit bulk copy: its rows go by statement without ending
    // the statements' batches.
    bool mayTake(const QString& table) const { return !m_statementTables.contains(table); }

private:
    struct Entry
    {
        std::int64_t ticket = 0;
        std::optional<QString> refusal;
        qsizetype firstField = 0; // into m_fieldEnds
        qsizetype fieldCount = 0;
    };

    bool beginTable(const RowValues& row);
    void hold(const RowValues& row, const std::optional<QString>& refusal);
    void endBatch();
    void settle(const BulkEnd& end);
    void sendByStatement();
    QList<QByteArrayView> fieldsOf(const Entry& entry) const;
    void clearBatch();
    void lose(std::int64_t ticket, const QString& description);

    BulkChannel& m_channel;
    const StatementRoad m_road;
    const std::function<void(RowOutcome)> m_outcome;
    const Limits m_limits;
    const Clock m_clock;
    QString m_table;                   // the table being copied into, while a copy is open
    std::vector<ColumnType> m_columns; // its columns, for rows sent again by statement
    bool m_open = false;
    QSet<QString> m_statementTables; // tables bulk copy does not load
    std::vector<Entry> m_batch;
    int m_sent = 0;     // rows of the batch handed to the channel
    QByteArray m_bytes; // the fields of the batch's rows, one after another
    std::vector<qsizetype> m_fieldEnds;
    std::chrono::steady_clock::time_point m_began;
    bool m_lost = false;
    QString m_lostDescription;
};

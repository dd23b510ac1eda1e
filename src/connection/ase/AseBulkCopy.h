#pragma once

#include "BulkChannel.h"

#include <cstdint>
#include <functional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

struct _cs_connection;
struct _cs_blkdesc;
class ServerCharset;

// Bulk copy into an ASE table through Client-Library's bulk interface (blk_init, blk_bind,
// blk_rowxfer, blk_done), every value bound as characters that the library converts into its
// column's type. The connection must have logged in with CS_BULK_LOGIN.
class AseBulkCopy : public BulkChannel
{
public:
    // What the copy needs of its connection.
    struct Link
    {
        std::function<_cs_connection*()> connection;
        // The messages the callbacks collected since the last call.
        std::function<QStringList()> takeMessages;
        std::function<bool()> alive;
        // Nothing more is sent on the connection: it was lost during a copy.
        std::function<void()> broken;
        std::function<const ServerCharset&()> charset;
        // True when the table keeps its rows in the all-pages layout that the library writes
        // (a data-only-locked table takes another).
        std::function<bool(const QString& table)> allPagesLocked;
    };

    explicit AseBulkCopy(Link link);
    ~AseBulkCopy() override;
    AseBulkCopy(const AseBulkCopy&) = delete;
    AseBulkCopy& operator=(const AseBulkCopy&) = delete;

    BulkStart begin(const QString& table, const std::vector<ColumnType>& columns) override;
    bool transfer(const QList<QByteArrayView>& fields) override;
    BulkEnd end() override;
    QString lostDescription() const override { return m_lostDescription; }
    // Frees the library's descriptor; before the connection closes.
    void release();

private:
    bool suits(const QString& table, const std::vector<ColumnType>& columns);
    bool describedAsKnown();
    BulkStart lost(const QString& fallback);
    BulkStart beginHere(const QString& table, const std::vector<ColumnType>& columns);
    BulkEnd endHere();
    // The messages collected since the last call, as a description.
    QString takeDescription();

    Link m_link;
    _cs_blkdesc* m_blk = nullptr;
    QString m_table;        // the table m_blk was last made ready for
    QString m_checkedTable; // the last table found to suit bulk copy
    std::vector<ColumnType> m_columns;
    std::vector<QByteArray> m_converted;    // values in the server's character set, per column
    std::vector<std::int32_t> m_lengths;    // CS_INT, per column
    std::vector<std::int16_t> m_indicators; // CS_SMALLINT, per column
    QString m_lostDescription;
    bool m_batchStarted = false; // a row of the batch went to the library
};

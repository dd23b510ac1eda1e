#include "AseBulkCopy.h"

#include "BulkValues.h"
#include "ServerCharset.h"
#include "ServerWaits.h"

#include <bkpublic.h>
#include <ctpublic.h>

namespace {
// Where a NULL points: the library reads no byte of it, but refuses a missing buffer.
char nothing = 0;
char blank = ' ';
} // namespace

AseBulkCopy::AseBulkCopy(Link link) : m_link(std::move(link)) {}

AseBulkCopy::~AseBulkCopy()
{
    release();
}

void AseBulkCopy::release()
{
    if (m_blk)
        blk_drop(m_blk);
    m_blk = nullptr;
    m_table.clear();
}

QString AseBulkCopy::takeDescription()
{
    QStringList messages = m_link.takeMessages();
    // The bulk layer's own words ("blk_done: ... Failed when processing results") add nothing
    // to the server's or the connection's, which a statement would get alone.
    messages.removeIf([](const QString& m) { return m.startsWith(QStringLiteral("blk_")); });
    return messages.join(QStringLiteral("\r\n"));
}

BulkStart AseBulkCopy::lost(const QString& fallback)
{
    const QString messages = takeDescription();
    m_lostDescription = messages.isEmpty() ? fallback : messages;
    m_link.broken();
    release();
    return BulkStart::ConnectionLost;
}

// The table's own checks, once for each table in a row of batches.
bool AseBulkCopy::suits(const QString& table, const std::vector<ColumnType>& columns)
{
    if (table == m_checkedTable)
        return true;
    if (!BulkValues::takesTable(table, columns) || !m_link.allPagesLocked(table))
        return false;
    m_checkedTable = table;
    return true;
}

// Starting and ending a batch are where the server is waited for: a window keeps repainting.
BulkStart AseBulkCopy::begin(const QString& table, const std::vector<ColumnType>& columns)
{
    return ServerWaits::result([&] { return beginHere(table, columns); });
}

BulkEnd AseBulkCopy::end()
{
    return ServerWaits::result([&] { return endHere(); });
}

BulkStart AseBulkCopy::beginHere(const QString& table, const std::vector<ColumnType>& columns)
{
    m_batchStarted = false;
    if (!m_link.alive())
        return lost(QStringLiteral("The connection to the server was lost."));
    if (!suits(table, columns))
        return m_link.alive() ? BulkStart::NotForThisTable
                              : lost(QStringLiteral("The connection to the server was lost."));
    if (!m_blk && blk_alloc(m_link.connection(), BLK_VERSION_100, &m_blk) != CS_SUCCEED) {
        m_blk = nullptr;
        return BulkStart::NotForThisTable;
    }
    m_link.takeMessages();
    const QByteArray name = table.toUtf8();
    if (blk_init(m_blk, CS_BLK_IN, const_cast<char*>(name.constData()), CS_INT(name.size())) !=
        CS_SUCCEED) {
        if (!m_link.alive())
            return lost(QStringLiteral("The connection to the server was lost."));
        m_link.takeMessages();
        release();
        return BulkStart::NotForThisTable;
    }
    m_table = table;
    m_columns = columns;
    if (!describedAsKnown()) {
        release();
        m_checkedTable.clear();
        return BulkStart::NotForThisTable;
    }
    m_converted.resize(columns.size());
    m_lengths.assign(columns.size(), 0);
    m_indicators.assign(columns.size(), 0);
    return BulkStart::Ready;
}

// The library's view of the table must be the catalogue's, without an identity column, whose
// values a statement would have to name.
bool AseBulkCopy::describedAsKnown()
{
    for (CS_INT i = 1; i <= CS_INT(m_columns.size()); ++i) {
        CS_DATAFMT format{};
        if (blk_describe(m_blk, i, &format) != CS_SUCCEED || (format.status & CS_IDENTITY))
            return false;
    }
    CS_DATAFMT past{};
    const bool more = blk_describe(m_blk, CS_INT(m_columns.size()) + 1, &past) == CS_SUCCEED;
    m_link.takeMessages(); // the library's word on the column past the end
    return !more;
}

bool AseBulkCopy::transfer(const QList<QByteArrayView>& fields)
{
    if (!m_blk || fields.size() != qsizetype(m_columns.size()))
        return false;
    const ServerCharset& charset = m_link.charset();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const ColumnType& column = m_columns[size_t(i)];
        const char* bytes = &nothing;
        CS_INT length = 0;
        CS_SMALLINT indicator = -1;
        switch (BulkValues::formOf(column, fields[i])) {
        case BulkValues::Form::Null:
            break;
        case BulkValues::Form::Blank:
            bytes = &blank;
            length = 1;
            indicator = 0;
            break;
        case BulkValues::Form::Bytes:
            bytes = fields[i].data();
            length = CS_INT(fields[i].size());
            indicator = 0;
            // The library sends character values as they are bound, in no set of its own.
            if (column.kind == ColumnType::Kind::Character && !charset.encoding().isEmpty()) {
                m_converted[size_t(i)] = charset.encoded(fields[i]);
                bytes = m_converted[size_t(i)].constData();
                length = CS_INT(m_converted[size_t(i)].size());
            }
            break;
        }
        m_lengths[size_t(i)] = length;
        m_indicators[size_t(i)] = indicator;
        CS_DATAFMT format{};
        format.datatype = CS_CHAR_TYPE;
        format.format = CS_FMT_UNUSED;
        format.maxlength = length;
        format.count = 1;
        if (blk_bind(m_blk, CS_INT(i + 1), &format, const_cast<char*>(bytes), &m_lengths[size_t(i)],
                     &m_indicators[size_t(i)]) != CS_SUCCEED)
            return false;
    }
    m_link.takeMessages();
    // The library says nothing in its return of a row it could not build: only its messages
    // (a value it could not convert, a NULL it would not send) tell.
    CS_RETCODE sent = CS_FAIL;
    // A batch's first row starts the copy on the server and waits for its answer.
    if (m_batchStarted)
        sent = blk_rowxfer(m_blk);
    else
        ServerWaits::run([&] { sent = blk_rowxfer(m_blk); });
    m_batchStarted = true;
    return sent == CS_SUCCEED && m_link.takeMessages().isEmpty() && m_link.alive();
}

BulkEnd AseBulkCopy::endHere()
{
    BulkEnd end;
    if (!m_blk)
        return end;
    CS_INT rows = 0;
    end.committed = blk_done(m_blk, CS_BLK_ALL, &rows) == CS_SUCCEED;
    if (!end.committed) {
        end.description = takeDescription();
        if (!m_link.alive()) {
            end.connectionLost = true;
            m_lostDescription = end.description.isEmpty()
                                    ? QStringLiteral("The connection to the server was lost.")
                                    : end.description;
            m_link.broken();
            release();
        }
    }
    return end;
}
